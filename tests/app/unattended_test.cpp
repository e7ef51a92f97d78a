// Setup.exe /VERYSILENT over a model of fakes and a scripted medium: the page chain runs without
// windows, each page's rules decide, and the exit code and the log say what happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "acad/autocad.h"
#include "app/answer_file.h"
#include "app/command_line.h"
#include "app/unattended.h"
#include "archive/rar.h"
#include "formats/run_log.h"
#include "pages/first_form.h"
#include "pages/get_path.h"
#include "pages/license.h"
#include "pages/pr_copy_file.h"
#include "platform/fake/fake_drives.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/registry.h"
#include "setup/setup.h"
#include "setup/uninstall_key.h"
#include "tests/acad/acad_fixture.h"
#include "tests/archive/scripted_unrar.h"
#include "util/codepage.h"
#include "util/text.h"

namespace {

using app::ExitCode;

constexpr wchar_t kLogFile[] = L"C:\\setup.log";

class Unattended : public ::testing::Test {
 protected:
  Unattended()
      : model(setup::SetupPlatform{&files, &system, &registry, &boxes, nullptr, &shell}),
        rar(medium, [] { return std::chrono::steady_clock::time_point{}; }),
        acAutoCAD(registry, [](const std::wstring&) { return false; }) {
    registry.CreateKey(platform::RegRoot::LocalMachine, L"Software");
    drives.drives[L'C'] = platform::FakeDrive{};
    system.freeSpace[L'c'] = system.freeSpace[L'C'] = int64_t{1} << 30;
    files.PutFile(L"D:\\Setup.ini", util::ToCp1251(
        L"[GENERAL]\r\nCaption=Установка Sketrion\r\nNameApplication=Sketrion\r\n"
        L"NameCompany=Firm\r\n"
        L"[GROUPS]\r\nbase=1|BASE.RAR|Основные файлы\r\nsamples=0|SAMPLES.RAR|Примеры\r\n"));
    medium.Archive(L"D:\\BASE.RAR").entries = {{"BIN\\SK.EXE", 0, 100}, {"README.TXT", 0, 10}};
    medium.Archive(L"D:\\SAMPLES.RAR").entries = {{"SAMPLES\\A.SCH", 0, 50}};
  }

  ExitCode Run(const std::wstring& commandLine) { return Run(commandLine, acAutoCAD); }
  // With an AutoCAD component of the test's (made after its releases were laid out).
  ExitCode Run(const std::wstring& commandLine, acad::TAutoCAD& acAutoCAD) {
    const app::ParsedCommandLine parsed = app::ParseCommandLine(commandLine);
    EXPECT_EQ(parsed.fault, L"");
    return app::RunUnattended(model, rar, acAutoCAD, drives, parsed.options, log, boxes);
  }

  // Extractions into `dest` of one archive of the medium.
  size_t Extracted(const std::wstring& archive, const std::wstring& dest) {
    return medium.Archive(archive).Count("process 2 " + util::ToUtf8(dest));
  }
  bool Logged(const std::wstring& line) const {
    for (const std::wstring& logged : log.Lines())
      if (logged == line) return true;
    return false;
  }
  bool EntryRegistered() {
    return registry.OpenKey(platform::RegRoot::LocalMachine,
                            platform::RegistryPath(std::wstring(setup::kUninstallKey) + L"Sketrion"),
                            platform::RegAccess::Read) == platform::RegStatus::Ok;
  }
  // Nothing of the installation anywhere: no extraction, no file but the log, no entry.
  void ExpectNothingWritten() {
    for (const wchar_t* archive : {L"D:\\BASE.RAR", L"D:\\SAMPLES.RAR"})
      EXPECT_EQ(medium.Archive(archive).Count("process 2"), 0u);
    for (const std::wstring& path : files.FilePaths())
      EXPECT_TRUE(path == kLogFile || path.rfind(L"D:\\", 0) == 0) << util::ToUtf8(path);
    EXPECT_FALSE(EntryRegistered());
  }

  // AutoCAD 2004 with one profile, and a component that finds it.
  acad::TAutoCAD& LayOutAutoCad2004() {
    acadtest::ReleaseLayout release;
    release.type = acad::geACAD2004;
    release.productName = L"AutoCAD 2004";
    release.location = L"C:\\Program Files\\AutoCAD 2004\\";
    release.profiles = {L"Первый"};
    acadtest::LayOutRelease(
        registry, [this](const std::wstring& p) { files.PutFile(p, "MZ"); }, release);
    acadWithRelease = std::make_unique<acad::TAutoCAD>(registry, [this](const std::wstring& p) {
      return files.Kind(p) == platform::PathKind::File;
    });
    return *acadWithRelease;
  }
  // The log's lines from `first` on, one text.
  std::wstring LoggedSince(size_t first) const {
    std::wstring text;
    for (size_t i = first; i < log.Lines().size(); ++i) text += log.Lines()[i] + L"\n";
    return text;
  }

  platform::FakeFileSystem files;
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::FakeDrives drives;
  platform::FakeShell shell{files};
  formats::RunLog log{files, kLogFile};
  formats::LoggingMessageBoxes boxes{log};
  setup::TSetup model;
  archive_test::ScriptedMedium medium;
  archive::TRAR rar;
  acad::TAutoCAD acAutoCAD;
  std::unique_ptr<acad::TAutoCAD> acadWithRelease;
};

TEST_F(Unattended, InstallsTheChosenGroupsIntoTheGivenFolderAndLogsEveryStep) {
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /DIR=\"C:\\CAD\\Sk\" /GROUPS=BASE,Samples /BDE"
                L" /LOG=C:\\setup.log"),
            ExitCode::Done);
  EXPECT_EQ(Extracted(L"D:\\BASE.RAR", L"C:\\CAD\\Sk\\"), 2u);
  EXPECT_EQ(Extracted(L"D:\\SAMPLES.RAR", L"C:\\CAD\\Sk\\"), 1u);
  EXPECT_TRUE(EntryRegistered());
  EXPECT_NE(files.FileBytes(L"C:\\CAD\\Sk\\UnInstall.ini"), nullptr);
  ASSERT_EQ(system.started.size(), 1u);  // no BDE program named: the medium's folder, which fails
  EXPECT_EQ(system.started[0].program, model.FBDESetup);
  EXPECT_TRUE(system.restarts.empty());
  EXPECT_TRUE(system.holdsLock);
  // The log on disk: a mark, then the lines kept, the exit code last.
  const std::string* bytes = files.FileBytes(kLogFile);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes->substr(0, 3), "\xEF\xBB\xBF");
  std::wstring text = util::FromUtf8(bytes->substr(3));
  std::wstring expected;
  for (const std::wstring& line : log.Lines()) expected += line + L"\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(log.Lines().back(), L"Код завершения: 0");
  // Each page's caption, and each archive with where it went.
  EXPECT_TRUE(Logged(L"Размещение Sketrion"));
  EXPECT_TRUE(Logged(L"Копирование файлов Sketrion"));
  EXPECT_TRUE(Logged(L"D:\\SAMPLES.RAR -> C:\\CAD\\Sk\\"));
}

TEST_F(Unattended, DefaultsAreTheWizardsAndARestartOnlyWhenAsked) {
  EXPECT_EQ(Run(L"/SILENT /ACCEPTAGREEMENT /RESTART"), ExitCode::Done);
  const std::wstring dest = L"C:\\Program files\\Firm\\Sketrion\\";
  EXPECT_EQ(model.FDestDir, dest);
  EXPECT_EQ(Extracted(L"D:\\BASE.RAR", dest), 2u);
  EXPECT_EQ(Extracted(L"D:\\SAMPLES.RAR", dest), 0u);  // not ticked by default
  EXPECT_EQ(system.restarts.size(), 1u);
  EXPECT_TRUE(system.started.empty());  // no /BDE
}

TEST_F(Unattended, AFileInUseIsReplacedAtTheRestartAndTheCodeSaysSo) {
  medium.Archive(L"D:\\BASE.RAR").entries[0].inUse = true;
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /DIR=C:\\Sk /LOG=C:\\setup.log"),
            ExitCode::RestartNeeded);
  EXPECT_EQ(Extracted(L"D:\\BASE.RAR", L"C:\\Sk\\"), 2u);
  EXPECT_TRUE(EntryRegistered());
  const auto named = std::count_if(log.Lines().begin(), log.Lines().end(), [](const std::wstring& line) {
    return line.find(L"C:\\Sk\\BIN\\SK.EXE") != std::wstring::npos;
  });
  EXPECT_EQ(named, 1) << "one line names the file that waits";
}

TEST_F(Unattended, WithoutAcceptingTheAgreementNothingIsWritten) {
  EXPECT_EQ(Run(L"/VERYSILENT"), ExitCode::AgreementNotAccepted);
  ExpectNothingWritten();
  pages::TfmLicense page(model);
  EXPECT_TRUE(Logged(page.Label1.text + L" " + page.rbNot.text));
  EXPECT_EQ(log.Lines().back(), L"Код завершения: 5");
}

TEST_F(Unattended, ARefusedDestinationEndsTheRunWithThePagesReason) {
  const wchar_t* refused[] = {L"C:\\", L"Z:\\CAD", L"C:\\CAD\\A*B", L"CAD"};
  for (const wchar_t* folder : refused) {
    EXPECT_EQ(Run(std::wstring(L"/VERYSILENT /ACCEPTAGREEMENT /DIR=\"") + folder + L"\""),
              ExitCode::RefusedDestination)
        << util::ToUtf8(folder);
    pages::TfmGetPath page(model, drives);
    page.edPath.text = folder;
    page.edPathChange();
    ASSERT_FALSE(page.lbPathError.text.empty());
    EXPECT_TRUE(Logged(std::wstring(folder) + L": " + page.lbPathError.text)) << util::ToUtf8(folder);
  }
  ExpectNothingWritten();
}

TEST_F(Unattended, TooLittleSpaceIsARefusedDestination) {
  system.freeSpace[L'c'] = system.freeSpace[L'C'] = 100;
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT"), ExitCode::RefusedDestination);
  ExpectNothingWritten();
}

TEST_F(Unattended, ADamagedMediumWritesNothing) {
  medium.Archive(L"D:\\SAMPLES.RAR").entries[0].processCode = ERAR_BAD_DATA;
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /GROUPS=base"), ExitCode::DamagedMedium);
  ExpectNothingWritten();
  // The boxes the welcome page shows are in the log, the damaged archive named.
  bool named = false;
  for (const std::wstring& line : log.Lines())
    named = named || line.find(L"D:\\SAMPLES.RAR") != std::wstring::npos;
  EXPECT_TRUE(named);
}

// A deployment tool's run beside a user's: the second one ends at once with the code those
// tools retry on, and writes its log only.
TEST_F(Unattended, BesideAnotherInstallationNothingIsDoneAndTheCodeAsksForALaterTry) {
  system.lockHeldElsewhere = true;
  EXPECT_EQ(static_cast<int>(Run(L"/VERYSILENT /ACCEPTAGREEMENT /LOG=C:\\setup.log")), 1618);
  EXPECT_TRUE(medium.opened.empty());
  ExpectNothingWritten();
  ASSERT_EQ(log.Lines().size(), 2u);
  EXPECT_NE(log.Lines().back().find(L"1618"), std::wstring::npos);
}

TEST_F(Unattended, ALogThatCannotBeMadeIsABadArgumentAndNothingIsDone) {
  files.MakeDirectory(L"C:\\Temp");
  formats::RunLog folderInItsPlace(files, L"C:\\Temp");  // a folder where the file would be
  EXPECT_FALSE(folderInItsPlace.Written());
  EXPECT_EQ(app::RunUnattended(model, rar, acAutoCAD, drives, app::SetupOptions{}, folderInItsPlace, boxes),
            ExitCode::BadArgument);
  EXPECT_TRUE(medium.opened.empty());
  ExpectNothingWritten();
}

TEST_F(Unattended, WithoutAdministratorRightsNoArchiveIsOpened) {
  registry.DenyAccess(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Full);
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT"), ExitCode::NotAdministrator);
  EXPECT_TRUE(medium.opened.empty());
  ExpectNothingWritten();
}

TEST_F(Unattended, AnUnknownGroupOrNoGroupIsABadArgument) {
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /GROUPS=base,manuals"), ExitCode::BadArgument);
  ExpectNothingWritten();
  files.PutFile(L"D:\\Setup.ini", "[GENERAL]\r\nNameApplication=Sketrion\r\n[GROUPS]\r\n"
                                  "base=0|BASE.RAR|Base\r\n");
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT"), ExitCode::BadArgument);
  ExpectNothingWritten();
}

TEST_F(Unattended, AShortcutThatCannotBeMadeIsACopyFailureAndTheEntryIsStillMade) {
  shell.refuseLinkObject = true;  // the shortcut of Link1 fails as one the shell refuses
  files.PutFile(L"D:\\Setup.ini", "[GENERAL]\r\nNameApplication=Sketrion\r\n[GROUPS]\r\n"
                                  "base=1|BASE.RAR|Base\r\n[Link1]\r\nFileLink=Sk.lnk\r\n"
                                  "DirLink=PROGRAMS\r\nFilename=BIN\\SK.EXE\r\n");
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT"), ExitCode::CopyFailed);
  EXPECT_EQ(boxes.Shown(), 1);
  EXPECT_TRUE(EntryRegistered());
}

TEST_F(Unattended, TheGivenReleaseGetsTheGivenProfileMadeFromItsFirst) {
  for (auto [type, name] : {std::pair{acad::geACAD2004, L"AutoCAD 2004"},
                            std::pair{acad::geACAD2005, L"AutoCAD 2005"}}) {
    acadtest::ReleaseLayout release;
    release.type = type;
    release.productName = name;
    release.location = std::wstring(L"C:\\Program Files\\") + name + L"\\";
    release.profiles = {L"Первый"};
    acadtest::LayOutRelease(registry, [this](const std::wstring& p) { files.PutFile(p, "MZ"); },
                            release);
  }
  acad::TAutoCAD acad(registry, [this](const std::wstring& p) {
    return files.Kind(p) == platform::PathKind::File;
  });
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"autocad 2005\" /PROFILE=Схемы", acad),
            ExitCode::Done);
  EXPECT_EQ(model.FGraphEditor, L"AutoCAD 2005");
  EXPECT_EQ(model.FGraphProfile, L"Схемы");
  EXPECT_TRUE(acad.FindProfile(L"Схемы"));
  EXPECT_NE(files.FileBytes(model.FDestDir + L"GraphEditor.ini"), nullptr);

  // A release that is not there, and a profile name the page refuses, are bad arguments.
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2000\"", acad),
            ExitCode::BadArgument);
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /PROFILE=a*b", acad), ExitCode::BadArgument);
}

// Two products of one name: /ACAD= reaches the second by its own text, and the profile is made in
// that product's store; an administrator's account running it for another person is logged.
TEST_F(Unattended, TheGivenProductGetsItsProfileAndTheAccountIsLogged) {
  acadtest::ProductLayout english, russian;
  english.key = acadtest::AcadProductKey(L"R25.0", L"ACAD-8101:409");
  russian.key = acadtest::AcadProductKey(L"R25.0", L"ACAD-8101:419");
  for (acadtest::ProductLayout* p : {&english, &russian}) {
    p->productName = L"AutoCAD 2025";
    p->location = L"C:\\Program Files\\" + p->key.substr(p->key.rfind(L'\\') + 1);
    p->profiles = {L"Первый"};
    acadtest::LayOutProduct(
        registry, [this](const std::wstring& f) { files.PutFile(f, "MZ"); }, *p);
  }
  acad::TAutoCAD acad(registry, [this](const std::wstring& p) {
    return files.Kind(p) == platform::PathKind::File;
  });
  acad::TAutoCADReleaseList list;
  acad.GetReleases(list);
  ASSERT_EQ(list.size(), 2u);
  system.accounts = {L"PC\\admin", L"PC\\ivanov"};

  EXPECT_EQ(
      Run(L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"" + list[1].ProductName + L"\" /PROFILE=Схемы",
          acad),
      ExitCode::Done);
  EXPECT_EQ(model.FGraphEditor, list[1].ProductName);
  EXPECT_EQ(
      registry.OpenKey(platform::RegRoot::CurrentUser, acadtest::ProfilesKey(russian) + L"\\Схемы",
                       platform::RegAccess::Read),
      platform::RegStatus::Ok);
  EXPECT_NE(
      registry.OpenKey(platform::RegRoot::CurrentUser, acadtest::ProfilesKey(english) + L"\\Схемы",
                       platform::RegAccess::Read),
      platform::RegStatus::Ok);
  bool accountsLogged = false;
  for (const std::wstring& line : log.Lines())
    accountsLogged = accountsLogged || (line.find(L"PC\\admin") != std::wstring::npos &&
                                        line.find(L"PC\\ivanov") != std::wstring::npos);
  EXPECT_TRUE(accountsLogged);
}

// For all users (asked for, or run as the system account) the shortcuts go to every user's
// desktop and Start menu and no AutoCAD profile is made; otherwise they go to the user's own.
TEST_F(Unattended, ForAllUsersTheShortcutsAreEveryUsersAndNoProfileIsMade) {
  files.PutFile(L"D:\\Setup.ini", "[GENERAL]\r\nNameApplication=Sketrion\r\nNameProfileGraphEditor=Schemes\r\n"
                                  "[GROUPS]\r\nbase=1|BASE.RAR|Base\r\n"
                                  "[Link1]\r\nFileLink=Sk.lnk\r\nDirLink=PROGRAMS\r\nFilename=BIN\\SK.EXE\r\n"
                                  "[Link2]\r\nFileLink=Sk.lnk\r\nDirLink=DESKTOP\r\nFilename=BIN\\SK.EXE\r\n");
  for (const std::wstring& folder : {shell.desktop, shell.programs, shell.commonDesktop, shell.commonPrograms})
    files.MakeDirectory(folder);
  acadtest::ReleaseLayout release;
  release.type = acad::geACAD2004;
  release.productName = L"AutoCAD 2004";
  release.location = L"C:\\Program Files\\AutoCAD 2004\\";
  release.profiles = {L"Первый"};
  acadtest::LayOutRelease(registry, [this](const std::wstring& p) { files.PutFile(p, "MZ"); }, release);
  acad::TAutoCAD acad(registry, [this](const std::wstring& p) { return files.Kind(p) == platform::PathKind::File; });

  struct Case {
    const wchar_t* commandLine;
    bool asSystem;
  };
  for (const Case& c : {Case{L"/VERYSILENT /ACCEPTAGREEMENT /ALLUSERS", false},
                        Case{L"/VERYSILENT /ACCEPTAGREEMENT", true}}) {
    system.localSystem = c.asSystem;
    EXPECT_EQ(Run(c.commandLine, acad), ExitCode::Done) << util::ToUtf8(c.commandLine);
    EXPECT_NE(shell.SavedLink(shell.commonPrograms + L"\\Sk.lnk"), nullptr);
    EXPECT_NE(shell.SavedLink(shell.commonDesktop + L"\\Sk.lnk"), nullptr);
    EXPECT_EQ(shell.SavedLink(shell.programs + L"\\Sk.lnk"), nullptr);
    EXPECT_EQ(shell.SavedLink(shell.desktop + L"\\Sk.lnk"), nullptr);
    EXPECT_FALSE(acad.FindProfile(L"Schemes"));
    EXPECT_FALSE(model.FGraphEditorSet);  // nor a GraphEditor.ini naming one
  }
  // A person's own installation: the user's folders and the profile.
  system.localSystem = false;
  model.SetShortcutsForAllUsers(false);
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT", acad), ExitCode::Done);
  EXPECT_NE(shell.SavedLink(shell.programs + L"\\Sk.lnk"), nullptr);
  EXPECT_NE(shell.SavedLink(shell.desktop + L"\\Sk.lnk"), nullptr);
  EXPECT_TRUE(acad.FindProfile(L"Schemes"));
}

// /SILENT's window is fed from the pages' own progress: the archive test, then the copying up to
// its last file.
TEST_F(Unattended, TheProgressShownFollowsTheTestAndTheCopying) {
  std::vector<app::RunProgress> shown;
  const app::ParsedCommandLine parsed = app::ParseCommandLine(L"/SILENT /ACCEPTAGREEMENT");
  EXPECT_EQ(app::RunUnattended(model, rar, acAutoCAD, drives, parsed.options, log, boxes,
                               [&shown](const app::RunProgress& progress) { shown.push_back(progress); }),
            ExitCode::Done);
  pages::TfmFirstForm welcome(model, rar, {});
  pages::TfmPrCopyFile copying(model, rar);
  welcome.FormCreate(model.FNameApplication);
  copying.FormCreate(model.FNameApplication);
  std::vector<std::wstring> captions;
  const app::RunProgress* last = nullptr;
  for (const app::RunProgress& progress : shown) {
    if (captions.empty() || captions.back() != progress.caption) captions.push_back(progress.caption);
    if (progress.caption == copying.Caption()) last = &progress;
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{welcome.Caption(), copying.Caption()}));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->max, 2);  // the base group's two files
  EXPECT_EQ(last->position, last->max);
}

// /SAVEINF records the answers a run used; /LOADINF replays them, and an option on the command
// line wins over the file's.
TEST_F(Unattended, SavedAnswersReplayTheSameInstallation) {
  acad::TAutoCAD& acad = LayOutAutoCad2004();
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /DIR=C:\\CAD\\Sk /GROUPS=samples "
                L"/ACAD=\"autocad 2004\" /PROFILE=Схемы /BDE /SAVEINF=C:\\answers.inf",
                acad),
            ExitCode::Done);
  const std::string* saved = files.FileBytes(L"C:\\answers.inf");
  ASSERT_NE(saved, nullptr);
  const std::string first = *saved;
  app::SetupOptions answers;
  EXPECT_EQ(app::ReadAnswerFile(first, &answers), L"");
  EXPECT_EQ(answers.dir, L"C:\\CAD\\Sk\\");
  EXPECT_EQ(answers.groups, std::vector<std::wstring>{L"samples"});
  EXPECT_EQ(answers.acad, L"AutoCAD 2004");  // as the page shows it
  EXPECT_EQ(answers.profile, L"Схемы");
  EXPECT_TRUE(answers.bde);
  EXPECT_FALSE(answers.allUsers);

  // The replay gives the same answers, so it records the same file.
  EXPECT_EQ(
      Run(L"/VERYSILENT /ACCEPTAGREEMENT /LOADINF=C:\\answers.inf /SAVEINF=C:\\again.inf", acad),
      ExitCode::Done);
  ASSERT_NE(files.FileBytes(L"C:\\again.inf"), nullptr);
  EXPECT_EQ(*files.FileBytes(L"C:\\again.inf"), first);
  EXPECT_EQ(Extracted(L"D:\\SAMPLES.RAR", L"C:\\CAD\\Sk\\"), 2u);  // once per run
  EXPECT_EQ(Extracted(L"D:\\BASE.RAR", L"C:\\CAD\\Sk\\"), 0u);
  EXPECT_EQ(system.started.size(), 2u);  // BDE's setup each time
  EXPECT_EQ(model.FGraphProfile, L"Схемы");

  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /LOADINF=C:\\answers.inf /DIR=C:\\Other", acad),
            ExitCode::Done);
  EXPECT_EQ(Extracted(L"D:\\SAMPLES.RAR", L"C:\\Other\\"), 1u);
  EXPECT_EQ(Extracted(L"D:\\SAMPLES.RAR", L"C:\\CAD\\Sk\\"), 2u);
}

// Answers are written only by a run that used them, and one that cannot be written is a fault.
TEST_F(Unattended, AnswersAreWrittenOnlyWhenUsed) {
  EXPECT_EQ(Run(L"/VERYSILENT /SAVEINF=C:\\answers.inf"), ExitCode::AgreementNotAccepted);
  EXPECT_EQ(files.FileBytes(L"C:\\answers.inf"), nullptr);
  ExpectNothingWritten();

  files.MakeDirectory(L"C:\\Temp");
  EXPECT_EQ(Run(L"/VERYSILENT /ACCEPTAGREEMENT /SAVEINF=C:\\Temp"), ExitCode::CopyFailed);
  EXPECT_TRUE(EntryRegistered());  // the installation itself ended
  EXPECT_NE(LoggedSince(0).find(L"C:\\Temp"), std::wstring::npos);
}

TEST_F(Unattended, AFaultyAnswerFileIsABadArgumentNamingItsLine) {
  files.PutFile(L"D:\\faulty.inf", "\xEF\xBB\xBF[Setup]\r\nDir=C:\\Sk\r\nColour=red\r\n");
  const struct {
    const wchar_t* commandLine;
    const wchar_t* named;  // what the log must name
  } cases[] = {
      {L"/VERYSILENT /ACCEPTAGREEMENT /LOADINF=D:\\faulty.inf", L"D:\\faulty.inf"},
      {L"/VERYSILENT /ACCEPTAGREEMENT /LOADINF=D:\\faulty.inf", L" 3:"},
      {L"/VERYSILENT /ACCEPTAGREEMENT /LOADINF=D:\\missing.inf", L"D:\\missing.inf"},
  };
  for (const auto& c : cases) {
    const size_t first = log.Lines().size();
    EXPECT_EQ(Run(c.commandLine), ExitCode::BadArgument) << util::ToUtf8(c.commandLine);
    EXPECT_NE(LoggedSince(first).find(c.named), std::wstring::npos) << util::ToUtf8(c.named);
  }
  EXPECT_TRUE(medium.opened.empty());
  ExpectNothingWritten();
}

// A product named that is not there is a bad argument even where its page would not come (no
// AutoCAD, or an installation for all users), and the log names the products found.
TEST_F(Unattended, AnAutoCadProductThatIsNotThereIsABadArgument) {
  const struct {
    bool acadInstalled;
    bool asSystem;
    const wchar_t* commandLine;
  } cases[] = {
      {false, false, L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2099\""},
      {false, false, L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2099\" /ALLUSERS"},
      {false, true, L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2099\""},
      {true, false, L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2099\" /ALLUSERS"},
      {true, true, L"/VERYSILENT /ACCEPTAGREEMENT /ACAD=\"AutoCAD 2099\""},
  };
  for (const auto& c : cases) {
    acad::TAutoCAD& acad = c.acadInstalled ? LayOutAutoCad2004() : acAutoCAD;
    system.localSystem = c.asSystem;
    const size_t first = log.Lines().size();
    EXPECT_EQ(Run(c.commandLine, acad), ExitCode::BadArgument) << util::ToUtf8(c.commandLine);
    const std::wstring logged = LoggedSince(first);
    EXPECT_NE(logged.find(L"AutoCAD 2099"), std::wstring::npos);
    EXPECT_EQ(logged.find(L"AutoCAD 2004") != std::wstring::npos, c.acadInstalled)
        << util::ToUtf8(logged);
    EXPECT_TRUE(medium.opened.empty());
    EXPECT_FALSE(EntryRegistered());
  }
}

}  // namespace
