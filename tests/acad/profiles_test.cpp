// Profile records, the profile-name check and a new profile as a copy of another.
#include <algorithm>

#include "platform/fake/fake_registry.h"
#include "tests/acad/acad_test_base.h"
#include "util/codepage.h"

namespace acadtest {
namespace {

using acad::TAutoCAD;
using platform::RegRoot;
using platform::RegType;

class Profiles : public AcadTest {
 protected:
  // One selected R16.0 release with the given profiles.
  std::unique_ptr<TAutoCAD> Installed(const std::vector<std::wstring>& profiles,
                                      acad::TAutoCADTypes type = acad::geACAD2004) {
    release_ = Release(type, L"AutoCAD", L"Release");
    release_.profiles = profiles;
    LayOut(release_);
    auto acad = Detect();
    acad->SelectRelease(L"AutoCAD");
    EXPECT_TRUE(acad->PresenceAcad()) << "release not opened";
    return acad;
  }
  std::wstring ProfileKey(const std::wstring& name) { return ProfilesKey(release_) + L"\\" + name; }
  Subtree Tree(const std::wstring& name) { return ReadSubtree(Reg(), RegRoot::CurrentUser, ProfileKey(name)); }
  bool KeyExists(const std::wstring& path) {
    return Reg().OpenKey(RegRoot::CurrentUser, path, platform::RegAccess::Read) == platform::RegStatus::Ok;
  }

  void DeleteTreeOrFail(const std::wstring& name) {
    ASSERT_EQ(Reg().DeleteTree(RegRoot::CurrentUser, ProfileKey(name)), platform::RegStatus::Ok);
  }

  ReleaseLayout release_;
};

TEST_P(Profiles, FoundInAnyLetterCaseButNotTrimmed) {
  auto acad = Installed({L"Рабочий"});
  const acad::TAutoCADProfile* p = acad->FindProfile(L"рабочий");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->FName, L"Рабочий");
  EXPECT_EQ(acad->FindProfile(L" Рабочий"), nullptr);
}

TEST_P(Profiles, DamagedValuesInsideAProfileHideNoProfile) {
  auto acad = Installed({L"Рабочий"});
  // Paths AutoCAD keeps as strings, each stored as a number in a profile of its own.
  const std::pair<const wchar_t*, const wchar_t*> damaged[] = {
      {L"General", L"ACAD"},
      {L"General", L"TemplatePath"},
      {L"Editor Configuration", L"EmergencyFont"},
      {L"General Configuration", L"TempDirectory"},
  };
  for (const auto& [key, value] : damaged) {
    const std::wstring name = std::wstring(L"Повреждён ") + value;
    LayOutRichProfile(Reg(), ProfilesKey(release_), name, acad::AcadFamily::Full);
    ASSERT_EQ(Reg().WriteValue(RegRoot::CurrentUser, ProfileKey(name) + L"\\" + key, value,
                               platform::DwordValue(1)),
              platform::RegStatus::Ok);
  }
  WriteString(Reg(), RegRoot::CurrentUser, ProfileKey(L"Пустой"), L"", L"no settings");
  acad->Refresh();

  EXPECT_TRUE(acad->PresenceAcad());
  EXPECT_EQ(ProfileNames(*acad).size(), 6u);
  for (const auto& entry : damaged)
    EXPECT_NE(acad->FindProfile(std::wstring(L"Повреждён ") + entry.second), nullptr);
  EXPECT_NE(acad->FindProfile(L"Пустой"), nullptr);
  // A damaged profile still serves as a template: the number arrives as a number.
  EXPECT_EQ(acad->CreateProfile(L"Копия", L"Повреждён ACAD", L"d"), acad::crCreated);
  EXPECT_EQ(Tree(L"Копия"), ExpectedCopy(Tree(L"Повреждён ACAD"), L"d"));
}

TEST_P(Profiles, NewProfileIsAWholeCopyOfItsTemplate) {
  auto acad = Installed({L"<<Unnamed Profile>>", L"Шаблон"});
  Subtree templateBefore = Tree(L"Шаблон");

  EXPECT_EQ(acad->CreateProfile(L"Новый профиль", L"Шаблон", L"Sketrion 7"), acad::crCreated);

  Subtree copy = Tree(L"Новый профиль");
  EXPECT_EQ(copy, ExpectedCopy(templateBefore, L"Sketrion 7"));
  // The rules the comparison stands for, spelled out.
  EXPECT_EQ(copy[L"General"][L"ACAD"].first, RegType::String);
  EXPECT_EQ(copy[L"General"].count(L"Двоичное"), 0u);
  EXPECT_EQ(copy[L"General"].count(L"Multi"), 0u);
  EXPECT_EQ(copy[L"General"][L"MaxArray"], templateBefore[L"General"][L"MaxArray"]);
  EXPECT_EQ(copy.count(L"Drawing Window\\Окна\\Третий уровень"), 1u);
  EXPECT_EQ(copy.count(L"Drawing Window\\Пустой"), 1u);
  EXPECT_EQ(Tree(L"Шаблон"), templateBefore);

  // The list was read again and holds the new profile, found in any letter case.
  const acad::TAutoCADProfile* made = acad->FindProfile(L"НОВЫЙ ПРОФИЛЬ");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->FName, L"Новый профиль");
  EXPECT_TRUE(acad->PresenceAcad());
}

TEST_P(Profiles, NewNameRules) {
  auto acad = Installed({L"Шаблон"});
  Subtree storeBefore = ReadSubtree(Reg(), RegRoot::CurrentUser, ProfilesKey(release_));

  EXPECT_EQ(acad->CreateProfile(L"шаблон", L"Шаблон", L"d"), acad::crExists);
  EXPECT_EQ(acad->CreateProfile(L"   ", L"Шаблон", L"d"), acad::crFailed);
  EXPECT_EQ(acad->CreateProfile(L"\t\r\n ", L"Шаблон", L"d"), acad::crFailed);  // blank, control characters too
  EXPECT_EQ(acad->CreateProfile(L"", L"Шаблон", L"d"), acad::crFailed);
  EXPECT_EQ(acad->CreateProfile(L"Новый", L"Нет такого", L"d"), acad::crNoTemplate);
  // A backslash would make a key below another one: refused before anything is written.
  EXPECT_EQ(acad->CreateProfile(L"Папка\\Профиль", L"Шаблон", L"d"), acad::crFailed);
  EXPECT_EQ(ReadSubtree(Reg(), RegRoot::CurrentUser, ProfilesKey(release_)), storeBefore);

  // The copy is made under the name as given, blanks and all.
  EXPECT_EQ(acad->CreateProfile(L" С пробелами ", L"Шаблон", L"d"), acad::crCreated);
  EXPECT_TRUE(KeyExists(ProfileKey(L" С пробелами ")));
  EXPECT_FALSE(KeyExists(ProfileKey(L"С пробелами")));
  EXPECT_NE(acad->FindProfile(L" С пробелами "), nullptr);
}

TEST_P(Profiles, NothingSelectedCreatesNothing) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD", L"Release");
  r.profiles = {L"Шаблон"};
  LayOut(r);
  auto acad = Detect();
  EXPECT_EQ(acad->CreateProfile(L"Новый", L"Шаблон", L"d"), acad::crCreated);
  EXPECT_FALSE(KeyExists(ProfilesKey(r) + L"\\Новый"));
}

TEST_P(Profiles, BlankTemplateMeansAutoCADsUnnamedProfile) {
  auto acad = Installed({L"<<Профиль без имени>>", L"<<Конфигурация без имени>>", L"Другой"});
  WriteString(Reg(), RegRoot::CurrentUser, ProfileKey(L"<<Конфигурация без имени>>") + L"\\General",
              L"Marker", L"first choice");
  acad->Refresh();
  Subtree first = Tree(L"<<Конфигурация без имени>>");
  EXPECT_EQ(acad->CreateProfile(L"Из первого", L" ", L"d"), acad::crCreated);
  EXPECT_EQ(Tree(L"Из первого"), ExpectedCopy(first, L"d"));

  DeleteTreeOrFail(L"<<Конфигурация без имени>>");
  acad->Refresh();
  Subtree second = Tree(L"<<Профиль без имени>>");
  EXPECT_EQ(acad->CreateProfile(L"Из второго", L"", L"d"), acad::crCreated);
  EXPECT_EQ(Tree(L"Из второго"), ExpectedCopy(second, L"d"));
}

TEST_P(Profiles, BlankTemplateWithoutAnUnnamedProfile) {
  auto acad = Installed({L"Другой"});
  EXPECT_EQ(acad->CreateProfile(L"Новый", L"", L"d"), acad::crNoTemplate);
  EXPECT_FALSE(KeyExists(ProfileKey(L"Новый")));

  LayOutRichProfile(Reg(), ProfilesKey(release_), L"<<Unnamed Profile>>", acad::AcadFamily::Full);
  acad->Refresh();
  EXPECT_EQ(acad->CreateProfile(L"Новый", L"", L"d"), acad::crCreated);
  EXPECT_EQ(Tree(L"Новый"), ExpectedCopy(Tree(L"<<Unnamed Profile>>"), L"d"));
}

INSTANTIATE_TEST_SUITE_P(Registry, Profiles, ::testing::ValuesIn(BackendKinds()), BackendName);

// Failures only the in-memory registry can stage.
class ProfileCopyFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    release_.type = acad::geACAD2004;
    release_.productName = L"AutoCAD";
    release_.location = L"C:\\ACAD\\";
    release_.profiles = {L"Шаблон"};
    LayOutRelease(registry_, [this](const std::wstring& p) { files_.push_back(p); }, release_);
    acad_ = std::make_unique<TAutoCAD>(registry_, [this](const std::wstring& p) {
      return std::find(files_.begin(), files_.end(), p) != files_.end();
    });
    acad_->SelectRelease(L"AutoCAD");
    ASSERT_TRUE(acad_->PresenceAcad());
  }
  bool KeyExists(const std::wstring& path) {
    return registry_.OpenKey(RegRoot::CurrentUser, path, platform::RegAccess::Read) ==
           platform::RegStatus::Ok;
  }

  platform::FakeRegistry registry_;
  std::vector<std::wstring> files_;
  ReleaseLayout release_;
  std::unique_ptr<TAutoCAD> acad_;
};

TEST_F(ProfileCopyFailures, RefusedStoreGivesFailureAndKeepsTheList) {
  registry_.DenyAccess(RegRoot::CurrentUser, ProfilesKey(release_), platform::RegAccess::Full);
  EXPECT_EQ(acad_->CreateProfile(L"Новый", L"Шаблон", L"d"), acad::crFailed);
  EXPECT_FALSE(KeyExists(ProfilesKey(release_) + L"\\Новый"));
  EXPECT_EQ(ProfileNames(*acad_), std::vector<std::wstring>{L"Шаблон"});
}

TEST_F(ProfileCopyFailures, FailureHalfWayKeepsWhatWasCopied) {
  const std::wstring made = ProfilesKey(release_) + L"\\Новый";
  registry_.DenyAccess(RegRoot::CurrentUser, made + L"\\General", platform::RegAccess::Full);
  EXPECT_EQ(acad_->CreateProfile(L"Новый", L"Шаблон", L"d"), acad::crFailed);
  // No undo: the top key and what came before the refusal stay; the list was not re-read.
  EXPECT_TRUE(KeyExists(made));
  EXPECT_EQ(acad_->FindProfile(L"Новый"), nullptr);
}

TEST(IsValidProfileName, AcceptsWhatAutoCADAccepts) {
  using acad::TAutoCAD;
  EXPECT_FALSE(TAutoCAD::IsValidProfileName(L""));
  EXPECT_TRUE(TAutoCAD::IsValidProfileName(L"Схема 2"));
  EXPECT_TRUE(TAutoCAD::IsValidProfileName(L"<<Unnamed Profile>>"));
  EXPECT_TRUE(TAutoCAD::IsValidProfileName(L"Latin_name-[1]{2}"));
  EXPECT_TRUE(TAutoCAD::IsValidProfileName(L" #=@|"));
  for (const wchar_t* bad : {L"a.b", L"a/b", L"a:b", L"50%", L"a\tb", L"\ta", L"a\t"})
    EXPECT_FALSE(TAutoCAD::IsValidProfileName(bad)) << "accepted: " << bad;

  // Judged on the 1251 bytes: every byte from 127 up is allowed, every control code and the
  // twenty punctuation characters are not, and a character 1251 lacks is not either.
  for (int b = 1; b < 256; ++b) {
    std::wstring ch = util::FromCp1251(std::string(1, static_cast<char>(b)));
    bool forbidden = b < 32 || std::wstring(L"!\"$%&'()*+,./:;?\\^`~").find(ch[0]) != std::wstring::npos;
    EXPECT_EQ(TAutoCAD::IsValidProfileName(L"a" + ch), !forbidden) << "byte " << b;
  }
  EXPECT_FALSE(TAutoCAD::IsValidProfileName(L"中文"));
}

}  // namespace
}  // namespace acadtest
