// The answer file of /SAVEINF and /LOADINF: what is written reads back the same, the command
// line wins over the file, and a faulty file is refused naming its line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/answer_file.h"
#include "app/command_line.h"
#include "util/text.h"

namespace {

using app::SetupOptions;

// The fields an answer file carries, side by side, so a difference names itself.
std::wstring AnswerFields(const SetupOptions& o) {
  std::wstring groups;
  for (const std::wstring& key : o.groups) groups += L"<" + key + L">";
  return L"dir<" + o.dir + L"> groups" + groups + (o.allGroups ? L" all" : L"") + L" acad<" +
         o.acad + L"> profile<" + o.profile + L"> bde" + std::to_wstring(o.bde) + L" allUsers" +
         std::to_wstring(o.allUsers);
}

SetupOptions OptionsOf(const wchar_t* commandLine) {
  const app::ParsedCommandLine parsed = app::ParseCommandLine(commandLine);
  EXPECT_EQ(parsed.fault, L"") << util::ToUtf8(commandLine);
  return parsed.options;
}

TEST(AnswerFile, WhatIsWrittenReadsBackTheSame) {
  const wchar_t* lines[] = {
      L"/VERYSILENT /BDE",
      L"/VERYSILENT /DIR=\"C:\\Program files\\Firm\\Sketrion\\\" /GROUPS=base,Примеры "
      L"/ACAD=\"AutoCAD Electrical 2025\" /PROFILE=\"Схемы Sketrion\" /BDE /ALLUSERS",
      L"/VERYSILENT /GROUPS=* /DIR=D:\\CAD",
      // Quotes and blanks at a value's ends survive, as does a character past the BMP.
      L"/VERYSILENT \"/PROFILE=  'a' \" \"/DIR=D:\\\U0001F600 \"",
  };
  for (const wchar_t* line : lines) {
    const SetupOptions written = OptionsOf(line);
    const std::string bytes = app::AnswerFileText(written, true);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    SetupOptions read;
    EXPECT_EQ(app::ReadAnswerFile(bytes, &read), L"") << bytes;
    EXPECT_EQ(AnswerFields(read), AnswerFields(written)) << bytes;
  }
  // The wizard has no all-users answer: its file leaves it out, and reading it gives none.
  SetupOptions read;
  const std::string wizards = app::AnswerFileText(OptionsOf(L"/VERYSILENT /ALLUSERS"), false);
  EXPECT_EQ(app::ReadAnswerFile(wizards, &read), L"");
  EXPECT_FALSE(read.allUsers);
}

TEST(AnswerFile, AnAdministratorsEditReads) {
  // No mark, LF line ends, comments, blanks, names in any case, unquoted values, flags at 0.
  SetupOptions read;
  EXPECT_EQ(app::ReadAnswerFile("; edited\n\n [ setup ] \n  dir =  C:\\Sk \n"
                                "GROUPS=base\r\nbde=0\nAllUsers=1",
                                &read),
            L"");
  SetupOptions expected;
  expected.dir = L"C:\\Sk";
  expected.groups = {L"base"};
  expected.allUsers = true;
  EXPECT_EQ(AnswerFields(read), AnswerFields(expected));
}

TEST(AnswerFile, TheCommandLineWinsOverTheFile) {
  const SetupOptions fromFile = OptionsOf(
      L"/VERYSILENT /DIR=C:\\File /GROUPS=a,b /ACAD=\"AutoCAD 2025\" /PROFILE=File /BDE /ALLUSERS");
  const struct {
    const wchar_t* line;
    const wchar_t* expected;  // the same answers given on one line
  } cases[] = {
      {L"/VERYSILENT",
       L"/VERYSILENT /DIR=C:\\File /GROUPS=a,b /ACAD=\"AutoCAD 2025\" "
       L"/PROFILE=File /BDE /ALLUSERS"},
      {L"/VERYSILENT /DIR=D:\\Line /GROUPS=* /PROFILE=Line",
       L"/VERYSILENT /DIR=D:\\Line /GROUPS=* /ACAD=\"AutoCAD 2025\" /PROFILE=Line /BDE /ALLUSERS"},
      {L"/VERYSILENT /GROUPS=c /ACAD=\"AutoCAD LT 2024\"",
       L"/VERYSILENT /DIR=C:\\File /GROUPS=c /ACAD=\"AutoCAD LT 2024\" /PROFILE=File /BDE "
       L"/ALLUSERS"},
  };
  for (const auto& c : cases) {
    SetupOptions options = OptionsOf(c.line);
    app::TakeAnswers(fromFile, &options);
    EXPECT_EQ(AnswerFields(options), AnswerFields(OptionsOf(c.expected))) << util::ToUtf8(c.line);
  }
  // What the file does not say stays the line's.
  SetupOptions options = OptionsOf(L"/VERYSILENT /DIR=D:\\Line /BDE");
  app::TakeAnswers(SetupOptions{}, &options);
  EXPECT_EQ(AnswerFields(options), AnswerFields(OptionsOf(L"/VERYSILENT /DIR=D:\\Line /BDE")));
}

TEST(AnswerFile, AFaultyFileIsRefusedNamingItsLine) {
  const struct {
    std::string text;
    int line;
  } cases[] = {
      {"[Setup]\r\nDir=C:\\Sk\r\nColour=red\r\n", 3},              // unknown key
      {"[Setup]\r\nDir=C:\\Sk\r\ndir=D:\\Sk\r\n", 3},              // repeated
      {"[Setup]\r\nDir C:\\Sk\r\n", 2},                            // no "="
      {"[Setup]\r\nProfile=\r\n", 2},                              // empty
      {"[Setup]\r\nProfile=\"\"\r\n", 2},                          // empty in quotes
      {"[Setup]\r\nBDE=yes\r\n", 2},                               // a flag not 0 or 1
      {"[Setup]\r\n\r\nGroups=a,,b\r\n", 3},                       // what the command line refuses
      {"Dir=C:\\Sk\r\n[Setup]\r\n", 1},                            // outside the section
      {"[Setup]\r\nDir=C:\\Sk\r\n[Other]\r\n", 3},                 // another section
      {"[Setup\r\n", 1},                                           // a broken header
      {"\xEF\xBB\xBF[Setup]\nProfile=\xD1\xF5\xE5\xEC\xFB\n", 2},  // 1251, not UTF-8
      {std::string("\xFF\xFE[\0S\0e\0t\0u\0p\0]\0", 16), 1},       // UTF-16
  };
  for (const auto& c : cases) {
    SetupOptions read;
    const std::wstring fault = app::ReadAnswerFile(c.text, &read);
    EXPECT_NE(fault.find(L" " + std::to_wstring(c.line) + L":"), std::wstring::npos)
        << c.text << " -> " << util::ToUtf8(fault);
  }
}

}  // namespace
