// The deployment guide's command lines, run as the tools run them: an agent's install and
// uninstall commands started from the package's folder, a detection rule read with
// `reg query /reg:32`, a computer startup script through cmd, and a remote shell's Start-Process
// from another folder. Each line is taken from README.md itself, so the guide cannot drift from
// what was tried.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/exit_code.h"
#include "platform/win32/scoped_win.h"
#include "tests/e2e/demo_install.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/medium.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const std::wstring kProduct = L"Sketrion 7.2";
const std::wstring kVersion = L"7.2.0.15";
const std::wstring kMedium = L"C:\\e2e\\deploy-medium\\";
const std::wstring kShare = L"\\\\server\\sketrion";
const std::wstring kSetupLog = L"C:\\Windows\\Temp\\sketrion-setup.log";

std::wstring Widened(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::wstring Replaced(std::wstring text, const std::wstring& find, const std::wstring& with) {
  for (size_t at = 0; (at = text.find(find, at)) != std::wstring::npos; at += with.size())
    text.replace(at, find.size(), with);
  return text;
}

// The medium's base archive carries this build's uninstaller.
Files Uninstaller() { return {{"UnInstall.exe", ReadFileBytes(Widened(SK_E2E_UNINSTALL_EXE))}}; }

// The guide as the README holds it.
const std::wstring& Guide() {
  static const std::wstring guide = [] {
    const std::string readme = ReadFileBytes(Widened(SK_TEST_SOURCE_DIR) + L"README.md");
    const size_t from = readme.find("## Deployment");
    return from == std::string::npos ? std::wstring() : Widened(readme.substr(from, readme.find("\n## ", from + 1) - from));
  }();
  return guide;
}

// The guide's line that starts with `start`, whole.
std::wstring GuideLine(const std::wstring& start) {
  const size_t at = Guide().find(L"\n" + start);
  if (at == std::wstring::npos) {
    ADD_FAILURE() << "the guide has no such line";
    return L"";
  }
  return Guide().substr(at + 1, Guide().find(L'\n', at + 1) - at - 1);
}

// The command of a bullet "- <label>: `<command>`".
std::wstring GuideCommand(const std::wstring& label) {
  const std::wstring line = GuideLine(L"- " + label + L": `");
  const size_t from = label.size() + 5;
  return line.size() > from ? line.substr(from, line.size() - from - 1) : L"";
}

// The guide's script: the lines of the fenced block whose first line is `firstLine`.
std::wstring GuideScript(const std::wstring& firstLine) {
  const size_t at = Guide().find(L"```bat\n" + firstLine + L"\n");
  if (at == std::wstring::npos) {
    ADD_FAILURE() << "the guide has no such script";
    return L"";
  }
  const size_t from = at + 7;
  return Guide().substr(from, Guide().find(L"```", from) - from);
}

// Runs a command line as a deployment agent does: started in `folder` (found there when it names
// a program of the folder) and waited for. Its exit code.
DWORD RunAsAgent(const std::wstring& commandLine, const std::wstring& folder) {
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.c_str());
  SetupProcess process;
  const bool started = process.StartCommand(commandLine, folder);
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(started) << "the command did not start";
  DWORD code = 0xFFFF;
  EXPECT_TRUE(started && process.WaitExit(180000, &code));
  return code;
}

// `reg query` of a value of the product's entry in the given view: its exit code, and its
// output in `shown`.
DWORD RegQuery(const std::wstring& value, const wchar_t* view, std::string* shown) {
  const std::wstring out = L"C:\\e2e\\reg-query.txt";
  DeleteFileW(out.c_str());
  const DWORD code = RunAsAgent(
      L"cmd.exe /c reg query \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
          kProduct + L"\" /v " + value + L" " + view + L" > " + out,
      L"C:\\");
  *shown = ReadFileBytes(out);
  return code;
}

class DeploymentScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Guide().empty()) << "README.md has no deployment guide";
    Medium medium{kMedium};
    ASSERT_NO_FATAL_FAILURE(WriteDemoMedium(medium, ReadFileBytes(Widened(SK_E2E_FONT)), Uninstaller(), nullptr));
    // The demo's Setup.ini with the version the guide's detection rules compare.
    std::string ini = ReadFileBytes(kMedium + L"Setup.ini");
    const std::string company = "NameCompany=";
    ASSERT_NE(ini.find(company), std::string::npos);
    ini.insert(ini.find(company), "Version=7.2.0.15\r\n");
    medium.WriteFile(L"Setup.ini", ini);
    RemoveTree(kDemoDest);
    DeleteFileW(kSetupLog.c_str());
  }

  // The entry's version, as a detection rule on the 32-bit view reads it; "<none>" when absent.
  std::wstring DetectedVersion() {
    std::string shown;
    if (RegQuery(L"DisplayVersion", L"/reg:32", &shown) != 0) return L"<none>";
    return Widened(shown).find(kVersion) != std::wstring::npos ? kVersion : L"<other>";
  }

  void ExpectRemovedBy(const std::wstring& uninstallCommand, const std::wstring& folder) {
    EXPECT_EQ(RunAsAgent(uninstallCommand, folder), 0u);
    EXPECT_EQ(DetectedVersion(), L"<none>");
    EXPECT_FALSE(FileExists(std::wstring(kDemoDest) + L"UnInstall.exe"));
  }
};

TEST_F(DeploymentScenario, AnAgentInstallsDetectsRetriesAndRemoves) {
  const std::wstring install = GuideCommand(L"Install command");
  const std::wstring uninstall = GuideCommand(L"Uninstall command");
  EXPECT_EQ(DetectedVersion(), L"<none>");

  {  // Another installation holds the computer: the agent is told to try again later.
    platform::ScopedHandle held(CreateMutexW(nullptr, TRUE, L"Global\\Sketrion.Setup.Installation"));
    ASSERT_TRUE(held);
    EXPECT_EQ(RunAsAgent(install, kMedium), static_cast<DWORD>(app::ExitCode::AnotherInstallation));
    EXPECT_EQ(DetectedVersion(), L"<none>");
  }

  EXPECT_EQ(RunAsAgent(install, kMedium), static_cast<DWORD>(app::ExitCode::Done));
  EXPECT_NE(ReadFileBytes(kSetupLog), "<missing>");
  EXPECT_EQ(DetectedVersion(), kVersion);
  // A 32-bit program's key: a rule not marked so looks in the 64-bit view and finds nothing.
  std::string shown;
  EXPECT_NE(RegQuery(L"DisplayVersion", L"/reg:64", &shown), 0u) << shown;
  // The quiet removal the entry offers is the guide's uninstall command without the log.
  EXPECT_EQ(UninstallValue(kProduct, L"QuietUninstallString") + L" /LOG=\"C:\\Windows\\Temp\\sketrion-removal.log\"",
            uninstall);

  ExpectRemovedBy(uninstall, L"C:\\Windows\\Temp\\");
}

TEST_F(DeploymentScenario, AStartupScriptInstallsOnceAndThenLeavesTheComputerAlone) {
  const std::wstring script = Replaced(GuideScript(L"@echo off"), kShare, kMedium.substr(0, kMedium.size() - 1));
  ASSERT_NE(script.find(L"Setup.exe"), std::wstring::npos);
  const std::wstring file = L"C:\\e2e\\sketrion.cmd";
  ASSERT_TRUE(WriteFileBytes(file, ToCp1251(Replaced(script, L"\n", L"\r\n"))));

  EXPECT_EQ(RunAsAgent(L"cmd.exe /c " + file, L"C:\\"), 0u);
  EXPECT_EQ(DetectedVersion(), kVersion);
  // The next start finds this version and runs nothing.
  DeleteFileW(kSetupLog.c_str());
  EXPECT_EQ(RunAsAgent(L"cmd.exe /c " + file, L"C:\\"), 0u);
  EXPECT_EQ(ReadFileBytes(kSetupLog), "<missing>");

  ExpectRemovedBy(GuideCommand(L"Uninstall command"), L"C:\\Windows\\Temp\\");
}

TEST_F(DeploymentScenario, ARemoteShellStartsTheCopiedMediumFromAnotherFolder) {
  // Start-Process -FilePath <program> -ArgumentList '<arguments>': the two strings of a line.
  const auto startProcess = [](const std::wstring& line) {
    const size_t path = line.find(L"-FilePath ") + 10;
    const size_t arguments = line.find(L" -ArgumentList '", path);
    std::wstring program = line.substr(path, arguments - path);
    if (program.front() == L'\'') program = L"\"" + program.substr(1, program.size() - 2) + L"\"";
    const size_t from = arguments + 16;
    return program + L" " + line.substr(from, line.find(L"' -Wait", from) - from);
  };
  const std::wstring copied = L"C:\\Windows\\Temp\\sketrion\\";
  const std::wstring install = startProcess(GuideLine(L"Invoke-Command -Session $s { (Start-Process -FilePath C:"));
  ASSERT_EQ(install.rfind(copied, 0), 0u) << "the guide starts the copy";
  Medium copy{copied};
  ASSERT_NO_FATAL_FAILURE(WriteDemoMedium(copy, ReadFileBytes(Widened(SK_E2E_FONT)), Uninstaller(), nullptr));
  copy.WriteFile(L"Setup.ini", ReadFileBytes(kMedium + L"Setup.ini"));

  // A remote session starts in the user's documents, not beside the program.
  EXPECT_EQ(RunAsAgent(install, L"C:\\users\\"), static_cast<DWORD>(app::ExitCode::Done));
  EXPECT_EQ(DetectedVersion(), kVersion);

  ExpectRemovedBy(startProcess(GuideLine(L"Invoke-Command -Session $s { (Start-Process -FilePath '")),
                  L"C:\\users\\");
  RemoveTree(copied);
}

}  // namespace
}  // namespace e2e
