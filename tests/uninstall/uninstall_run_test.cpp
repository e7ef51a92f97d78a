// UnInstall.exe's run over the fakes: its command line, the exit code of a finished removal, and
// the whole run of the first program (which hands over and waits) and of its temporary copy
// (which removes without a window, logs, reports, then removes the original).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/install_log.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "platform/file_io.h"
#include "uninstall/command_line.h"
#include "uninstall/exit_code.h"
#include "uninstall/remover.h"
#include "uninstall/uninstall_run.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/paths.h"
#include "util/text.h"

namespace {

using uninstall::ExitCode;
using uninstall::Outcome;

const std::wstring kCompany = L"C:\\Program files\\Sketrion";
const std::wstring kDest = kCompany + L"\\Sketrion 7.2";
const std::wstring kOriginal = kDest + L"\\UnInstall.exe";
const std::wstring kCopy = L"C:\\TEMP\\SketrionUninstall412\\UnInstall.exe";
const std::wstring kLog = L"C:\\Scripts\\removal.log";

// The arguments of a command line as Windows splits them where no backslash meets a quote.
std::vector<std::wstring> Split(const std::wstring& line) {
  std::vector<std::wstring> arguments(1);
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') quoted = !quoted;
    else if (c == L' ' && !quoted) arguments.emplace_back();
    else arguments.back() += c;
  }
  return arguments;
}

TEST(UninstallCommandLine, OnlyNamedOptionsAreRead) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool sound;
  };
  const Case cases[] = {
      {{L"/UNINSTALL"}, true},
      {{L"/uninstall", L"/VerySilent", L"/LOG=C:\\x.log"}, true},
      {{L"/UNINSTALL", L"/FOR=C:\\Sketrion\\", L"/STARTER=412", L"/RESULT=7", L"/SILENT"}, true},
      {{L"/SILENT"}, false},                                     // no /UNINSTALL
      {{L"/UNINSTALL", L"C:\\Sketrion", L"412"}, false},         // the old positional hand-over
      {{L"/UNINSTALL", L"/SILENT", L"/SILENT"}, false},
      {{L"/UNINSTALL", L"/SILENT=yes"}, false},
      {{L"/UNINSTALL", L"/LOG="}, false},
      {{L"/UNINSTALL", L"/FOR=C:\\Sketrion"}, false},            // the hand-over only whole
      {{L"/UNINSTALL", L"/FOR=Sketrion", L"/STARTER=412", L"/RESULT=7"}, false},
      {{L"/UNINSTALL", L"/FOR=C:\\a\\..\\b", L"/STARTER=412", L"/RESULT=7"}, false},
      {{L"/UNINSTALL", L"/FOR=C:\\Sketrion", L"/STARTER=0", L"/RESULT=7"}, false},
      {{L"/UNINSTALL", L"/FOR=C:\\Sketrion", L"/STARTER=99999999999", L"/RESULT=7"}, false},
      {{L"/UNINSTALL", L"/FOR=C:\\Sketrion", L"/STARTER=412", L"/RESULT=-7"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(util::ToUtf8(c.arguments.back()));
    const uninstall::ParsedArguments parsed = uninstall::ParseArguments(c.arguments);
    EXPECT_EQ(parsed.fault.empty(), c.sound) << util::ToUtf8(parsed.fault);
  }
  const uninstall::UninstallOptions copy =
      uninstall::ParseArguments(cases[2].arguments).options;
  EXPECT_TRUE(copy.IsCopy());
  EXPECT_EQ(copy.forFolder, L"C:\\Sketrion");
  EXPECT_EQ(copy.starter, 412u);
}

TEST(UninstallExitCode, EachEndHasItsOwnCode) {
  struct Case {
    bool ran;
    std::vector<Outcome> kept;
    ExitCode code;
  };
  const Case cases[] = {
      {false, {}, ExitCode::NothingToRemove},
      {true, {}, ExitCode::Done},
      {true, {Outcome::AtRestart}, ExitCode::RestartNeeded},
      {true, {Outcome::AtRestart, Outcome::Changed}, ExitCode::SomethingKept},
      {true, {Outcome::InUse}, ExitCode::SomethingKept},
      {true, {Outcome::HoldsUsersFiles}, ExitCode::SomethingKept},
  };
  for (const Case& c : cases) {
    std::vector<uninstall::Kept> kept;
    for (Outcome outcome : c.kept) kept.push_back({L"C:\\x", outcome});
    EXPECT_EQ(uninstall::ExitCodeOf(c.ran, kept), c.code);
  }
}

// Removes from the fake file system; a file in `busy` is always in use.
class FakeRemover : public uninstall::Remover {
 public:
  explicit FakeRemover(platform::FakeFileSystem& files) : files_(files) {}
  std::vector<std::wstring> busy, atRestart;
  std::string fault;  // thrown by every removal when not empty: an error nobody expected

  uninstall::RemoveOutcome RemoveFile(const std::wstring& path) override {
    if (!fault.empty()) throw std::runtime_error(fault);
    for (const std::wstring& b : busy)
      if (util::EqualsNoCase(b, path)) return uninstall::RemoveOutcome::InUse;
    return files_.Remove(path) ? uninstall::RemoveOutcome::Removed : uninstall::RemoveOutcome::Missing;
  }
  uninstall::RemoveOutcome RemoveFolder(const std::wstring& path) override {
    bool empty = true;
    files_.List(path, [&](const platform::DirectoryEntry&) { return empty = false; });
    if (!empty) return uninstall::RemoveOutcome::NotEmpty;
    if (files_.Kind(path) != platform::PathKind::Directory) return uninstall::RemoveOutcome::Missing;
    files_.RemoveTree(path);
    return uninstall::RemoveOutcome::Removed;
  }
  bool RemoveAtRestart(const std::wstring& path) override {
    atRestart.push_back(path);
    return true;
  }

 private:
  platform::FakeFileSystem& files_;
};

// Records whether the original's file was still there when the result went to it.
class WatchingSystem : public platform::FakeSystem {
 public:
  explicit WatchingSystem(platform::FakeFileSystem& files) : files_(files) {}
  bool originalAtReport = false;
  bool ReportResult(const std::wstring& channel, int code) override {
    originalAtReport = files_.Kind(kOriginal) == platform::PathKind::File;
    return FakeSystem::ReportResult(channel, code);
  }

 private:
  platform::FakeFileSystem& files_;
};

// The demo's kind of installation: the uninstaller and a program in the destination, a shortcut,
// the record and the entry.
struct Installation {
  Installation() {
    shell.programs = L"C:\\Programs";
    shell.desktop = L"C:\\Desktop";
    files.MakeDirectory(L"C:\\Program files");
    files.MakeDirectory(L"C:\\Scripts");
    files.MakeDirectory(L"C:\\TEMP");
    files.MakeDirectory(L"C:\\TEMP\\SketrionUninstall412");
    files.MakeDirectory(shell.desktop);
    files.PutFile(kCopy, "MZ copy");
    formats::InstallLog log(files);
    log.Open(kDest + L"\\");
    for (const std::wstring name : {L"UnInstall.exe", L"BIN\\Sketrion.exe"}) {
      log.EntryStarting(name, false);
      files.MakeDirectory(kCompany);
      files.MakeDirectory(kDest);
      files.MakeDirectory(util::WithoutTrailingBackslash(util::FolderOf(kDest + L"\\" + name)));
      files.PutFile(kDest + L"\\" + name, "MZ");
      log.EntryDone(name, false, true, 2, 0);
    }
    files.PutFile(shell.desktop + L"\\Sketrion 7.2.lnk", "link");
    log.AddShortcut(shell.desktop + L"\\Sketrion 7.2.lnk");
    EXPECT_TRUE(log.Flush());
    util::IniFile record;
    record.WriteString(L"GENERAL", L"NameApplication", L"Sketrion 7.2");
    EXPECT_TRUE(platform::SaveIniFile(files, kDest + L"\\UnInstall.ini", record));
    const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion 7.2";
    registry.CreateKey(platform::RegRoot::LocalMachine, entry);
    registry.WriteValue(platform::RegRoot::LocalMachine, entry, L"UninstallString",
                        platform::StringValue(L"\"" + kOriginal + L"\" /UNINSTALL"));
    system.currentDir = L"C:\\Scripts";
  }

  ExitCode Run(std::vector<std::wstring> arguments) {
    uninstall::UninstallPlatform p{&files, &registry, &shell, &boxes, &remover};
    return uninstall::RunUninstall(arguments, system, p);
  }
  // The copy's run, as the original starts it, silent and logged.
  ExitCode RunCopy() {
    system.modulePath = kCopy;
    return Run({L"/UNINSTALL", L"/FOR=" + kDest, L"/STARTER=412", L"/RESULT=7", L"/VERYSILENT", L"/LOG=" + kLog});
  }

  std::vector<std::wstring> LogLines() const {
    const std::string* bytes = files.FileBytes(kLog);
    if (!bytes || bytes->compare(0, 3, "\xEF\xBB\xBF") != 0) return {};
    std::vector<std::wstring> lines;
    std::wstring text = util::FromUtf8(bytes->substr(3));
    for (size_t at = 0, end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
      lines.push_back(text.substr(at, end - at));
    return lines;
  }
  bool Logged(const std::wstring& part) const {
    for (const std::wstring& line : LogLines())
      if (line.find(part) != std::wstring::npos) return true;
    return false;
  }
  // The log's last line names the exit code.
  void ExpectCodeLast(ExitCode code) const {
    const std::vector<std::wstring> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    const std::wstring number = std::to_wstring(static_cast<int>(code));
    EXPECT_EQ(lines.back().substr(lines.back().size() - std::min(lines.back().size(), number.size() + 1)),
              L" " + number);
  }

  platform::FakeFileSystem files;
  platform::FakeRegistry registry;
  platform::FakeShell shell{files};
  platform::ScriptedMessageBoxes boxes;
  FakeRemover remover{files};
  WatchingSystem system{files};
};

TEST(UninstallRun, TheCopyRemovesSilentlyReportsThenRemovesTheOriginal) {
  struct Case {
    const char* what;
    std::function<void(Installation&)> change;
    ExitCode code;
    std::wstring keptPath;  // named in the log with why, when not empty
    Outcome why;
  };
  const Case cases[] = {
      {"everything goes", [](Installation&) {}, ExitCode::Done, L"", Outcome::Gone},
      {"a changed program stays",
       [](Installation& t) { t.files.PutFile(kDest + L"\\BIN\\Sketrion.exe", "MZ patched"); },
       ExitCode::SomethingKept, kDest + L"\\BIN\\Sketrion.exe", Outcome::Changed},
      {"a program in use stays, without a retry",
       [](Installation& t) { t.remover.busy.push_back(kDest + L"\\BIN\\Sketrion.exe"); },
       ExitCode::SomethingKept, kDest + L"\\BIN\\Sketrion.exe", Outcome::InUse},
      {"no record: nothing to remove", [](Installation& t) { t.files.Remove(kDest + L"\\UnInstall.ini"); },
       ExitCode::NothingToRemove, L"", Outcome::Gone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation t;
    c.change(t);
    EXPECT_EQ(t.RunCopy(), c.code);
    EXPECT_TRUE(t.boxes.Asked().empty());
    ASSERT_EQ(t.system.reports.size(), 1u);
    EXPECT_EQ(t.system.reports[0].code, static_cast<int>(c.code));
    EXPECT_EQ(t.system.reports[0].channel, L"7");
    EXPECT_EQ(t.system.waitedFor, std::vector<uint32_t>{412});
    t.ExpectCodeLast(c.code);
    if (!c.keptPath.empty()) {
      EXPECT_TRUE(t.Logged(c.keptPath + L" — " + uninstall::WhyKept(c.why)));
    }
    // The original stayed until the result was handed back, and goes after, unless nothing was removed.
    const bool removed = c.code != ExitCode::NothingToRemove;
    EXPECT_EQ(t.system.originalAtReport, true);
    EXPECT_EQ(t.files.Kind(kOriginal) == platform::PathKind::Missing, removed);
    EXPECT_EQ(t.files.Kind(kCompany) == platform::PathKind::Missing, c.code == ExitCode::Done);
    // The copy's own file and folder go at the restart.
    EXPECT_EQ(t.remover.atRestart, (std::vector<std::wstring>{kCopy, L"C:\\TEMP\\SketrionUninstall412"}));
  }
}

// An error nobody expected: without a window it is logged and told by the exit code, with the
// user it goes on to the general error box (the program's own catch).
TEST(UninstallRun, AnUnexpectedErrorOfASilentRunIsLoggedNotShown) {
  Installation t;
  t.remover.fault = "\xD0\xB4\xD0\xB8\xD1\x81\xD0\xBA";  // "диск", as our errors carry it
  EXPECT_EQ(t.RunCopy(), ExitCode::Failed);
  EXPECT_TRUE(t.boxes.Asked().empty());
  EXPECT_TRUE(t.Logged(L"диск"));
  t.ExpectCodeLast(ExitCode::Failed);

  Installation shown;
  shown.remover.fault = "disk";
  shown.system.modulePath = kCopy;
  shown.boxes.Answer(platform::MsgAnswer::Yes);  // "Удалить ...?"
  EXPECT_THROW(shown.Run({L"/UNINSTALL", L"/FOR=" + kDest, L"/STARTER=412", L"/RESULT=7"}),
               std::runtime_error);
}

TEST(UninstallRun, TheFirstHandsOverAndEndsWithTheCopysResult) {
  struct Case {
    const char* what;
    platform::ProgramResult copy;
    bool refuseStart;
    ExitCode code;
  };
  const Case cases[] = {
      {"the copy reports", {platform::ProgramResult::Status::Reported, 10}, false, ExitCode::SomethingKept},
      {"the copy ends without a report", {platform::ProgramResult::Status::EndedWithoutReport, 0}, false,
       ExitCode::Failed},
      // Without a copy the work is done here, and this file waits for the restart.
      {"the copy does not start", {}, true, ExitCode::RestartNeeded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation t;
    t.files.Remove(kCopy);
    t.files.Remove(L"C:\\TEMP\\SketrionUninstall412");
    t.system.modulePath = kOriginal;
    t.remover.busy.push_back(kOriginal);  // it runs
    t.system.result = c.copy;
    t.system.refuseStart = c.refuseStart;
    EXPECT_EQ(t.Run({L"/UNINSTALL", L"/SILENT", L"/LOG=removal.log"}), c.code);
    ASSERT_EQ(t.system.started.size(), 1u);
    const uninstall::ParsedArguments copyLine = uninstall::ParseArguments(Split(t.system.started[0].arguments));
    EXPECT_EQ(copyLine.fault, L"");
    EXPECT_EQ(copyLine.options.forFolder, kDest);
    EXPECT_TRUE(copyLine.options.silent);
    // A log named relative to the caller's folder, which the copy does not run in.
    EXPECT_EQ(copyLine.options.log, kLog);
    EXPECT_TRUE(t.boxes.Asked().empty());
    EXPECT_EQ(t.files.Kind(kDest + L"\\BIN\\Sketrion.exe") == platform::PathKind::Missing, c.refuseStart);
  }
}

// One installation or removal at a time: the process that removes holds the lock; beside
// another installation nothing is removed and the code asks for a later try.
TEST(UninstallRun, BesideAnotherInstallationNothingIsRemoved) {
  struct Case {
    const char* what;
    bool copy;
    bool silent;
  };
  const Case cases[] = {
      {"the program started, with the user", false, false},
      {"the program started, silent", false, true},
      {"the copy, silent", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation t;
    t.system.lockHeldElsewhere = true;
    const std::set<std::wstring> before = t.files.FilePaths();
    std::vector<std::wstring> line = {L"/UNINSTALL", L"/LOG=" + kLog};
    if (c.silent) line.push_back(L"/VERYSILENT");
    const ExitCode code = c.copy ? t.RunCopy() : (t.system.modulePath = kOriginal, t.Run(line));
    EXPECT_EQ(static_cast<int>(code), 1618);
    EXPECT_TRUE(t.system.started.empty()) << "no copy is made";
    std::set<std::wstring> after = t.files.FilePaths();
    after.erase(kLog);
    EXPECT_EQ(after, before);
    EXPECT_EQ(t.boxes.Asked().size(), c.silent ? 0u : 1u);
    t.ExpectCodeLast(code);
    if (c.copy) {
      ASSERT_EQ(t.system.reports.size(), 1u);
      EXPECT_EQ(t.system.reports[0].code, 1618);
    }
  }
  // Alone, the copy takes the lock; the program that only waits for it does not.
  Installation alone;
  alone.RunCopy();
  EXPECT_TRUE(alone.system.holdsLock);
  Installation original;
  original.files.Remove(kCopy);
  original.files.Remove(L"C:\\TEMP\\SketrionUninstall412");
  original.system.modulePath = kOriginal;
  original.system.result = {platform::ProgramResult::Status::Reported, 0};
  EXPECT_EQ(original.Run({L"/UNINSTALL", L"/VERYSILENT"}), ExitCode::Done);
  ASSERT_EQ(original.system.started.size(), 1u);
  EXPECT_FALSE(original.system.holdsLock);
}

TEST(UninstallRun, AFaultyLineOrLogRemovesNothing) {
  struct Case {
    const char* what;
    std::vector<std::wstring> arguments;
    ExitCode code;
    bool boxShown;
  };
  const Case cases[] = {
      {"a positional folder, silent", {L"/UNINSTALL", L"/VERYSILENT", L"/LOG=" + kLog, L"C:\\Other"},
       ExitCode::BadArgument, false},
      {"a positional folder, with the user", {L"/UNINSTALL", L"C:\\Other"}, ExitCode::BadArgument, true},
      {"no argument at all", {}, ExitCode::BadArgument, true},
      {"a log that names a folder", {L"/UNINSTALL", L"/VERYSILENT", L"/LOG=C:\\Scripts"},
       ExitCode::LogNotMade, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation t;
    t.system.modulePath = kOriginal;
    const std::set<std::wstring> before = t.files.FilePaths();
    EXPECT_EQ(t.Run(c.arguments), c.code);
    EXPECT_EQ(t.boxes.Asked().size(), c.boxShown ? 1u : 0u);
    EXPECT_TRUE(t.system.started.empty());
    std::set<std::wstring> after = t.files.FilePaths();
    after.erase(kLog);
    EXPECT_EQ(after, before);
  }
  Installation t;
  t.system.modulePath = kOriginal;
  t.Run(cases[0].arguments);
  t.ExpectCodeLast(ExitCode::BadArgument);
}

}  // namespace
