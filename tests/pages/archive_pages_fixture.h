#pragma once
// The pages' model fixture with a scripted medium under the archive component: what the welcome
// and copy pages' tests share.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/rar.h"
#include "tests/archive/scripted_unrar.h"
#include "tests/pages/page_fixture.h"
#include "util/codepage.h"

namespace pages::testing {

// Adds to a page fixture (PageTest, or ViewTest for real windows) the medium and the archive
// component.
template <class Fixture>
class WithMedium : public Fixture {
 protected:
  WithMedium() : rar(medium, [this] { return now; }) {
    this->registry.CreateKey(platform::RegRoot::LocalMachine, L"Software");
    this->model.FDestDir = L"C:\\Program files\\Firm\\Sketrion\\";
  }

  // Adds a group whose archive lies at D:\<file>; returns its scripted archive.
  archive_test::ScriptedUnrar& AddArchive(const std::wstring& file, bool selected = true) {
    auto& model = this->model;
    auto group = std::make_unique<setup::TSetupGroupFile>(model.FGroups.get(), &model);
    group->FArchiveFile = L"D:\\" + file;
    group->FSelected = selected;
    model.FGroups->Add(std::move(group));
    return medium.Archive(L"D:\\" + file);
  }
  setup::TSetupGroupFile& Group(int i) { return *this->model.FGroups->Items(i); }

  // The texts of the boxes asked so far.
  std::vector<std::wstring> BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : this->boxes.Asked()) texts.push_back(box.text);
    return texts;
  }

  // The clock of the component's message pump (and of the copy page); it stands still unless a
  // test moves it.
  std::chrono::steady_clock::time_point now{};
  archive_test::ScriptedMedium medium;
  archive::TRAR rar;
  int backgroundWindow = 0;  // its address stands for the background window's handle
};

using ArchivePageTest = WithMedium<PageTest>;

// An entry name as the archive stores it: code page 866.
inline std::string Dos(const std::wstring& name) { return util::ToCp866(name); }

}  // namespace pages::testing
