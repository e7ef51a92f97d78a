// The uninstall record: what the installer writes key by key is what the uninstaller reads back.
// (The record's bytes as the installation leaves them: tests/setup.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/uninstall_record.h"
#include "platform/fake/fake_file_system.h"
#include "platform/file_io.h"

namespace {

const std::wstring kRecord = L"C:\\Sketrion\\UnInstall.ini";

class UninstallRecordTest : public testing::Test {
 protected:
  UninstallRecordTest() { files.MakeDirectory(L"C:\\Sketrion"); }

  void Write(const formats::RecordKey& key, const std::wstring& value) {
    ASSERT_TRUE(platform::WriteIniString(files, kRecord, key.section, key.key, value));
  }

  platform::FakeFileSystem files;
};

TEST_F(UninstallRecordTest, WhatTheInstallerWritesIsReadBack) {
  Write(formats::ProductNameKey(), L"Sketrion 7.2");
  Write(formats::ShortcutKey(1), L"C:\\Programs\\Sketrion.lnk");
  Write(formats::ShortcutKey(3), L"C:\\Desktop\\Схемы.lnk");  // numbers may have gaps
  formats::UninstallRecord record;
  ASSERT_TRUE(formats::LoadUninstallRecord(files, kRecord, &record));
  EXPECT_EQ(record.productName, L"Sketrion 7.2");
  EXPECT_EQ(record.shortcuts,
            (std::vector<std::wstring>{L"C:\\Programs\\Sketrion.lnk", L"C:\\Desktop\\Схемы.lnk"}));
}

TEST_F(UninstallRecordTest, AnInstallationAgainReplacesItsKeysAndKeepsTheOthers) {
  Write(formats::ProductNameKey(), L"Old");
  Write(formats::ShortcutKey(2), L"C:\\old.lnk");
  Write(formats::ShortcutKey(5), L"C:\\kept.lnk");
  Write(formats::ProductNameKey(), L"New");
  Write(formats::ShortcutKey(2), L"C:\\new.lnk");
  formats::UninstallRecord record;
  ASSERT_TRUE(formats::LoadUninstallRecord(files, kRecord, &record));
  EXPECT_EQ(record.productName, L"New");
  EXPECT_EQ(record.shortcuts, (std::vector<std::wstring>{L"C:\\new.lnk", L"C:\\kept.lnk"}));
}

TEST_F(UninstallRecordTest, NoFileIsNoRecordAndOtherKeysAreNoShortcuts) {
  formats::UninstallRecord record;
  EXPECT_FALSE(formats::LoadUninstallRecord(files, kRecord, &record));
  files.PutFile(kRecord, "[general]\r\nlink1=C:\\a.lnk\r\nLink=C:\\b.lnk\r\nOther=C:\\c.lnk\r\n");
  ASSERT_TRUE(formats::LoadUninstallRecord(files, kRecord, &record));
  EXPECT_TRUE(record.productName.empty());
  EXPECT_EQ(record.shortcuts, (std::vector<std::wstring>{L"C:\\a.lnk"}));
}

}  // namespace
