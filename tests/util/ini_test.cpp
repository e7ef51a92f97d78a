#include "platform/file_io.h"
#include "util/ini.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/faulty_file_system.h"
#include "util/codepage.h"

namespace {

using util::IniFile;

IniFile Ini(const std::wstring& text) { return IniFile::FromBytes(util::ToCp1251(text)); }

TEST(IniRead, NamesMatchWithoutRegardToCaseOrBlanks) {
  IniFile ini = Ini(L"[General]\r\n  CAPTION  =  Установка  \r\n\tnameapplication\t=\tЭлектро\t\r\n");
  EXPECT_EQ(ini.ReadString(L"GENERAL", L"Caption", L"-"), L"Установка");
  EXPECT_EQ(ini.ReadString(L"general", L"NameApplication", L"-"), L"Электро");
  EXPECT_EQ(ini.ReadString(L" General ", L" caption ", L"-"), L"Установка");
  EXPECT_EQ(ini.ReadString(L"GENERAL", L"Missing", L"def"), L"def");
  EXPECT_EQ(ini.ReadString(L"Other", L"Caption", L"def"), L"def");
}

TEST(IniRead, CyrillicNamesFoldToo) {
  IniFile ini = Ini(L"[Раздел]\nКлюч=значение\nЁж=да\n");
  EXPECT_EQ(ini.ReadString(L"РАЗДЕЛ", L"ключ", L"-"), L"значение");
  EXPECT_EQ(ini.ReadString(L"раздел", L"ёЖ", L"-"), L"да");
}

TEST(IniRead, FirstOfEqualSectionsAndKeysWins) {
  IniFile ini = Ini(L"[A]\nk=1\nK=2\n[b]\nx=3\n[a]\nk=4\nonly=5\n");
  EXPECT_EQ(ini.ReadString(L"a", L"k", L"-"), L"1");
  // A key only in the second [a] is not seen: the first section hides it.
  EXPECT_EQ(ini.ReadString(L"A", L"only", L"-"), L"-");
  EXPECT_EQ(ini.ReadString(L"B", L"X", L"-"), L"3");
}

TEST(IniRead, OnePairOfEnclosingQuotesGoes) {
  IniFile ini = Ini(
      L"[q]\nd=\"double\"\ns='single'\nmixed=\"a'\ninner=\" a b \"\ntwice=\"\"x\"\"\n"
      L"lone=\"\nempty=\"\"\nopen=\"abc\nmid=a\"b\"\n");
  EXPECT_EQ(ini.ReadString(L"q", L"d", L"-"), L"double");
  EXPECT_EQ(ini.ReadString(L"q", L"s", L"-"), L"single");
  EXPECT_EQ(ini.ReadString(L"q", L"mixed", L"-"), L"\"a'");
  EXPECT_EQ(ini.ReadString(L"q", L"inner", L"-"), L" a b ");
  EXPECT_EQ(ini.ReadString(L"q", L"twice", L"-"), L"\"x\"");
  EXPECT_EQ(ini.ReadString(L"q", L"lone", L"-"), L"\"");
  EXPECT_EQ(ini.ReadString(L"q", L"empty", L"-"), L"");
  EXPECT_EQ(ini.ReadString(L"q", L"open", L"-"), L"\"abc");
  EXPECT_EQ(ini.ReadString(L"q", L"mid", L"-"), L"a\"b\"");
}

TEST(IniRead, AnEmptyValueIsPresentNotDefault) {
  IniFile ini = Ini(L"[s]\nk=\nblank=   \n");
  EXPECT_EQ(ini.ReadString(L"s", L"k", L"def"), L"");
  EXPECT_EQ(ini.ReadString(L"s", L"blank", L"def"), L"");
}

TEST(IniRead, ValuesAreCutAt2047Characters) {
  std::wstring v2047(2047, L'x'), v2048(2048, L'y'), v3000(3000, L'z');
  IniFile ini = Ini(L"[s]\na=" + v2047 + L"\nb=" + v2048 + L"\nc=\"" + v3000 + L"\"\n");
  EXPECT_EQ(ini.ReadString(L"s", L"a", L""), v2047);
  EXPECT_EQ(ini.ReadString(L"s", L"b", L""), v2048.substr(0, 2047));
  EXPECT_EQ(ini.ReadString(L"s", L"c", L""), v3000.substr(0, 2047));
}

TEST(IniRead, LinesWithoutEqualsAndCommentsHoldNoValue) {
  IniFile ini = Ini(L"; top comment\n[s]\nlonely\n;k=commented\nk=real\n  ;x=1\nnot a key\n");
  EXPECT_EQ(ini.ReadString(L"s", L"lonely", L"def"), L"def");
  EXPECT_EQ(ini.ReadString(L"s", L"k", L"def"), L"real");
  EXPECT_EQ(ini.ReadString(L"s", L"x", L"def"), L"def");
  std::vector<util::IniEntry> entries = ini.ReadSection(L"S");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"k");
}

TEST(IniRead, KeysBeforeAnySectionFormASectionWithoutAName) {
  IniFile ini = Ini(L"k=0\n[s]\nk=2\n[]\nk=3\n");
  EXPECT_EQ(ini.ReadString(L"s", L"k", L"-"), L"2");
  EXPECT_EQ(ini.ReadString(L"", L"k", L"-"), L"0");
}

TEST(IniRead, CommentLinesAreFoundOnlyByTheirWholeName) {
  IniFile ini = Ini(L"[s]\n;k=commented\n");
  EXPECT_EQ(ini.ReadString(L"s", L"k", L"def"), L"def");
  EXPECT_EQ(ini.ReadString(L"s", L";k", L"def"), L"commented");
  EXPECT_TRUE(ini.ReadSection(L"s").empty());
}

TEST(IniRead, SectionListsEveryKeyLineInFileOrder) {
  IniFile ini = Ini(L"[GROUPS]\r\n2=b\r\n1 = \"a\" \r\n2=dup\r\nempty=\r\n\r\n[Other]\r\nz=1\r\n");
  std::vector<util::IniEntry> entries = ini.ReadSection(L"groups");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].name, L"2");
  EXPECT_EQ(entries[0].value, L"b");
  EXPECT_EQ(entries[1].name, L"1");
  EXPECT_EQ(entries[1].value, L"a");
  EXPECT_EQ(entries[2].value, L"dup");
  EXPECT_EQ(entries[3].value, L"");
  EXPECT_TRUE(ini.ReadSection(L"none").empty());
}

TEST(IniRead, UnicodeFilesWithAMarkAreReadToo) {
  std::wstring text = L"[s]\r\nk=Ключ\r\n";
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  IniFile ini = IniFile::FromBytes(bytes);
  EXPECT_EQ(ini.ReadString(L"s", L"k", L"-"), L"Ключ");
  ini.WriteString(L"s", L"n", L"Ё");
  EXPECT_EQ(IniFile::FromBytes(ini.ToBytes()).ReadString(L"s", L"n", L"-"), L"Ё");
  EXPECT_EQ(ini.ToBytes().substr(0, 2), "\xFF\xFE");
}

TEST(IniRead, Utf8FilesWithAMarkAreReadToo) {
  // Cyrillic, a character beyond the first plane, and a broken sequence in a comment.
  const std::string bytes = "\xEF\xBB\xBF[GENERAL]\r\nName=\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87 \xF0\x9F\x94\x91\r\n;\xC3\r\n";
  IniFile ini = IniFile::FromBytes(bytes);
  EXPECT_EQ(ini.ReadString(L"general", L"name", L"-"), L"Ключ \U0001F511");
  EXPECT_EQ(ini.ToBytes(), "\xEF\xBB\xBF[GENERAL]\r\nName=\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87 \xF0\x9F\x94\x91\r\n;\xEF\xBF\xBD\r\n");
  ini.WriteString(L"GENERAL", L"n", L"Ё");
  EXPECT_EQ(IniFile::FromBytes(ini.ToBytes()).ReadString(L"GENERAL", L"n", L"-"), L"Ё");
}

TEST(IniRead, BinaryGarbageGivesDefaultsWithoutHarm) {
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
  IniFile ini = IniFile::FromBytes(garbage);
  EXPECT_EQ(ini.ReadString(L"GENERAL", L"Caption", L"def"), L"def");
  EXPECT_EQ(ini.ToBytes(), garbage);  // and nothing of it would be lost by a rewrite
}

TEST(IniWrite, ReplacesTheFirstMatchingLineAndKeepsEveryOtherByte) {
  std::string before = "; comment\r\n[General]\r\n  Caption = Old ; note\r\ncaption=second\r\n\r\n[Next]\nx=1\n";
  IniFile ini = IniFile::FromBytes(before);
  ini.WriteString(L"GENERAL", L"CAPTION", L"Новый");
  EXPECT_EQ(ini.ToBytes(),
            "; comment\r\n[General]\r\nCaption=\xCD\xEE\xE2\xFB\xE9\r\ncaption=second\r\n\r\n[Next]\nx=1\n");
}

TEST(IniWrite, AppendsAMissingKeyAtTheEndOfItsSection) {
  IniFile ini = IniFile::FromBytes("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  ini.WriteString(L"A", L"z", L"3");
  EXPECT_EQ(ini.ToBytes(), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
  ini.WriteString(L"b", L"w", L"4");
  EXPECT_EQ(ini.ToBytes(), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n");
}

TEST(IniWrite, FindsCyrillicNamesInAnyCase) {
  IniFile ini = Ini(L"[Общие]\r\nПуть=старый\r\n");
  ini.WriteString(L"ОБЩИЕ", L"путь", L"новый");
  EXPECT_EQ(ini.ToBytes(), util::ToCp1251(L"[Общие]\r\nПуть=новый\r\n"));
}

TEST(IniWrite, WritesIntoTheFirstOfEqualSections) {
  IniFile ini = IniFile::FromBytes("[s]\nk=1\n[S]\nk=2\n");
  ini.WriteString(L"s", L"n", L"new");
  EXPECT_EQ(ini.ToBytes(), "[s]\nk=1\nn=new\n[S]\nk=2\n");
}

TEST(IniWrite, CreatesAMissingSectionAtTheEnd) {
  IniFile ini = IniFile::FromBytes("[a]\nx=1");  // no line break at the end, LF file
  ini.WriteString(L"New", L"k", L"v");
  EXPECT_EQ(ini.ToBytes(), "[a]\nx=1\n[New]\nk=v\n");
  IniFile empty;
  empty.WriteString(L"UnInstall", L"Name", L"Электро");
  EXPECT_EQ(empty.ToBytes(), "[UnInstall]\r\nName=\xDD\xEB\xE5\xEA\xF2\xF0\xEE\r\n");
}

TEST(IniWrite, AValueStaysOnOneLine) {
  IniFile ini;
  ini.WriteString(L"s", L"k", L"one\r\n[evil]\nx=1");
  EXPECT_EQ(ini.ReadString(L"s", L"k", L""), L"one  [evil] x=1");
  EXPECT_FALSE(ini.HasSection(L"evil"));
}

TEST(IniWrite, WhatIsWrittenReadsBack) {
  IniFile ini = Ini(L"[s]\nk=old\n");
  ini.WriteString(L"s", L"k", L"C:\\Program files\\Фирма\\");
  ini.WriteString(L"s", L"path", L"D:\\x");
  IniFile again = IniFile::FromBytes(ini.ToBytes());
  EXPECT_EQ(again.ReadString(L"S", L"K", L""), L"C:\\Program files\\Фирма\\");
  EXPECT_EQ(again.ReadString(L"s", L"PATH", L""), L"D:\\x");
}

class IniFiles : public testing::Test {
 protected:
  platform::FakeFileSystem files;
};

TEST_F(IniFiles, MissingUnreadableEmptyAndEnormousFilesGiveDefaults) {
  EXPECT_EQ(platform::ReadIniString(files, L"C:\\none.ini", L"s", L"k", L"def"), L"def");
  files.PutFile(L"C:\\empty.ini", "");
  EXPECT_EQ(platform::ReadIniString(files, L"C:\\empty.ini", L"s", L"k", L"def"), L"def");
  files.PutFile(L"C:\\locked.ini", "[s]\nk=v\n");
  files.DenyRead(L"C:\\locked.ini");
  IniFile locked;
  EXPECT_FALSE(platform::OpenIniFile(files, L"C:\\locked.ini", &locked));
  EXPECT_EQ(locked.ReadString(L"s", L"k", L"def"), L"def");
  std::string big = "[s]\nk=v\n" + std::string(util::kIniFileMax, ';');
  files.PutFile(L"C:\\big.ini", big);
  EXPECT_EQ(platform::ReadIniString(files, L"C:\\big.ini", L"s", L"k", L"def"), L"def");
  // A file that could not be read whole is never rewritten.
  EXPECT_FALSE(platform::WriteIniString(files, L"C:\\big.ini", L"s", L"k", L"x"));
  EXPECT_EQ(*files.FileBytes(L"C:\\big.ini"), big);
  EXPECT_FALSE(platform::WriteIniString(files, L"C:\\locked.ini", L"s", L"k", L"x"));
}

TEST_F(IniFiles, WritesAndUpdatesAFile) {
  EXPECT_TRUE(platform::WriteIniString(files, L"C:\\D\\UnInstall.ini", L"General", L"Dir", L"C:\\D\\"));
  EXPECT_TRUE(platform::WriteIniString(files, L"C:\\D\\UnInstall.ini", L"general", L"dir", L"E:\\"));
  EXPECT_EQ(*files.FileBytes(L"C:\\D\\UnInstall.ini"), "[General]\r\nDir=E:\\\r\n");
  EXPECT_EQ(files.FilePaths().size(), 1u);  // no temporary left beside it
}

TEST_F(IniFiles, AFailedWriteLeavesTheOldFile) {
  files.PutFile(L"C:\\a.ini", "[s]\r\nk=old\r\n");
  platform::FaultyFileSystem full(files);
  full.disk_space = 3;
  EXPECT_FALSE(platform::WriteIniString(full, L"C:\\a.ini", L"s", L"k", L"new value"));
  EXPECT_EQ(*files.FileBytes(L"C:\\a.ini"), "[s]\r\nk=old\r\n");
  platform::FaultyFileSystem refusing(files);
  refusing.refuse_create = true;
  EXPECT_FALSE(platform::WriteIniString(refusing, L"C:\\a.ini", L"s", L"k", L"new value"));
  EXPECT_EQ(files.FilePaths().size(), 1u);
}

}  // namespace
