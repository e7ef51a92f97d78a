#pragma once
// A model over the in-memory platform for the pages' tests: files in a FakeFileSystem, free
// space in a FakeSystem, message boxes answered from a script, and a page host without windows
// that asks the cancel question through the model, as the application's pages do.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pages/page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "setup/setup.h"

namespace pages::testing {

class FakeHost : public PageHost {
 public:
  int processed = 0;
  std::function<void()> onProcess;  // what a test watches whenever messages run
  std::vector<std::string> timers;  // "start 1 500", "stop 1"
  CancelQuestion cancelQuestion;    // none: cancelling goes on unasked

  WindowRef Handle() const override { return const_cast<FakeHost*>(this); }
  void ProcessMessages() override {
    ++processed;
    if (onProcess) onProcess();
  }
  void StartTimer(int id, unsigned ms) override {
    timers.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
  }
  void StopTimer(int id) override { timers.push_back("stop " + std::to_string(id)); }
  bool QueryCancel() override { return cancelQuestion ? cancelQuestion(Handle()) : true; }
};

class PageTest : public ::testing::Test {
 protected:
  PageTest() : model(setup::SetupPlatform{&files, &system, &registry, &boxes, nullptr}) {
    model.FCaption = L"Установка Sketrion";
    model.FNameApplication = L"Sketrion";
    host.cancelQuestion = [this](WindowRef owner) { return model.QueryCancel(owner); };
  }

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
  // The pages' host (tests of views attach the page's window instead).
  FakeHost host;
};

}  // namespace pages::testing
