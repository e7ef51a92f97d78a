#pragma once
// A model over the in-memory platform for the pages' tests: files in a FakeFileSystem, free
// space in a FakeSystem, message boxes answered from a script, and the pages' cancel question
// asked through the model, as the application wires it.
#include <gtest/gtest.h>

#include "pages/page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "setup/setup.h"

namespace pages::testing {

class PageTest : public ::testing::Test {
 protected:
  PageTest() : model(setup::SetupPlatform{&files, &system, &registry, &boxes, nullptr}) {
    model.FCaption = L"Установка Sketrion";
    model.FNameApplication = L"Sketrion";
    Page::SetCancelQuestion([this](WindowRef owner) { return model.QueryCancel(owner); });
  }
  ~PageTest() override { Page::SetCancelQuestion({}); }

  // Appends a group as a line of the section GROUPS would, with its measured size.
  setup::TSetupGroupFile& AddGroup(const std::wstring& line, int64_t size) {
    auto group = std::make_unique<setup::TSetupGroupFile>(model.FGroups.get(), &model);
    group->LoadFromLine(line);
    group->SetSize(size);
    setup::TSetupGroupFile& added = *group;
    model.FGroups->Add(std::move(group));
    return added;
  }

  platform::FakeFileSystem files;
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::ScriptedMessageBoxes boxes;
  setup::TSetup model;
};

}  // namespace pages::testing
