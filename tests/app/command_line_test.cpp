// Setup.exe's command line: which lines are sound and what they ask for, which are refused.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using app::ParseCommandLine;

TEST(CommandLine, SoundLinesGiveTheirOptions) {
  auto parsed = ParseCommandLine(
      L"/verysilent /Dir=\"C:\\Program files\\Sk\\\" /GROUPS=base,Docs /acad=\"AutoCAD 2004\" "
      L"/PROFILE=Sk /BDE /NoRestart /LOG=\"C:\\Temp\\setup log.txt\" /AcceptAgreement");
  ASSERT_EQ(parsed.fault, L"");
  const app::SetupOptions& o = parsed.options;
  EXPECT_TRUE(o.verySilent && o.Unattended());
  EXPECT_FALSE(o.silent);
  EXPECT_EQ(o.dir, L"C:\\Program files\\Sk\\");  // a trailing backslash before the quote stays
  EXPECT_EQ(o.groups, (std::vector<std::wstring>{L"base", L"Docs"}));
  EXPECT_FALSE(o.allGroups);
  EXPECT_EQ(o.acad, L"AutoCAD 2004");
  EXPECT_EQ(o.profile, L"Sk");
  EXPECT_TRUE(o.bde && o.noRestart && o.acceptAgreement);
  EXPECT_FALSE(o.restart || o.allUsers || o.help);
  EXPECT_EQ(o.log, L"C:\\Temp\\setup log.txt");

  EXPECT_TRUE(ParseCommandLine(L"/SILENT /GROUPS=* /RESTART /ALLUSERS").options.allGroups);
  // A quoted whole argument, blanks around, tabs between.
  auto quoted = ParseCommandLine(L"  \"/DIR=D:\\A B\"\t/SILENT  ");
  EXPECT_EQ(quoted.fault, L"");
  EXPECT_EQ(quoted.options.dir, L"D:\\A B");
}

TEST(CommandLine, NothingAndHelpAloneAreTheWizardAndTheList) {
  auto none = ParseCommandLine(L"");
  EXPECT_EQ(none.fault, L"");
  EXPECT_FALSE(none.options.Unattended() || none.options.help);
  auto help = ParseCommandLine(L"/?");
  EXPECT_EQ(help.fault, L"");
  EXPECT_TRUE(help.options.help);
  EXPECT_FALSE(help.options.Unattended());
}

TEST(CommandLine, FaultyLinesAreRefused) {
  const wchar_t* faulty[] = {
      L"/VERYSILENT /FOO",                 // unknown
      L"/VERYSILENT /DIRX=C:\\A",          // a known name's prefix only
      L"/VERYSILENT VERYSILENT",           // no slash
      L"/VERYSILENT /DIR",                 // value missing
      L"/VERYSILENT /DIR=",                // value empty
      L"/VERYSILENT /DIR=\"\"",            // value empty when unquoted
      L"/VERYSILENT /BDE=1",               // a flag with a value
      L"/VERYSILENT /DIR=C:\\A /dir=C:\\B",  // twice
      L"/VERYSILENT /RESTART /NORESTART",  // contradicting
      L"/VERYSILENT /GROUPS=a,,b",         // an empty key
      L"/VERYSILENT /GROUPS=a,",
      L"/VERYSILENT /DIR=\"C:\\A",         // quote left open
      L"/ACCEPTAGREEMENT /?",              // the list with answers
  };
  for (const wchar_t* line : faulty) {
    EXPECT_NE(ParseCommandLine(line).fault, L"") << testing::Message() << line;
  }
}

// The wizard reads no argument: a line that asks for no unattended run and not for the list
// starts it, whatever else it holds.
TEST(CommandLine, WhatAsksForNoUnattendedRunStartsTheWizard) {
  const struct {
    const wchar_t* line;
    bool wizard;
  } cases[] = {
      {L"", true},
      {L"/FOO", true},
      {L"-install C:\\x \"left open", true},
      {L"/DIR=C:\\A /GROUPS=base", true},
      {L"/?", false},
      {L"/ACCEPTAGREEMENT /?", false},
      {L"/VERYSILENT /FOO", false},
      {L"/silent", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::StartsTheWizard(ParseCommandLine(c.line)), c.wizard) << testing::Message() << c.line;
}

// The wizard reads /SAVEINF from a line it otherwise ignores.
TEST(CommandLine, TheWizardFindsItsAnswerFileBesideLeftovers) {
  auto parsed = ParseCommandLine(L"-install /SAVEINF=\"C:\\Temp\\sk answers.inf\" /BOGUS");
  EXPECT_TRUE(app::StartsTheWizard(parsed));
  EXPECT_EQ(parsed.options.saveInf, L"C:\\Temp\\sk answers.inf");
}

TEST(CommandLine, AFaultyLineStillSaysWhereItsFaultIsTold) {
  auto parsed = ParseCommandLine(L"/BOGUS /DIR= /VERYSILENT /LOG=C:\\a.log");
  EXPECT_NE(parsed.fault.find(L"/BOGUS"), std::wstring::npos);  // the first fault is named
  EXPECT_TRUE(parsed.options.verySilent);
  EXPECT_EQ(parsed.options.log, L"C:\\a.log");
}

TEST(CommandLine, TheListNamesEveryOptionItAccepts) {
  const std::wstring usage = app::UsageText();
  for (const wchar_t* option : {L"/SILENT", L"/VERYSILENT", L"/DIR=", L"/GROUPS=", L"/ACAD=",
                                L"/PROFILE=", L"/ACCEPTAGREEMENT", L"/NORESTART", L"/RESTART",
                                L"/LOG=", L"/BDE", L"/SAVEINF=", L"/LOADINF=", L"/?"})
    EXPECT_NE(usage.find(option), std::wstring::npos) << testing::Message() << option;
}

}  // namespace
