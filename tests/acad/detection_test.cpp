// Detection of the installed releases and opening of the selected one, against the in-memory
// registry and (under Wine) the real one.
#include "platform/fake/fake_registry.h"
#include "tests/acad/acad_test_base.h"

namespace acadtest {
namespace {

using acad::TAutoCADRelease;
using acad::TAutoCADReleaseList;
using platform::RegRoot;

const wchar_t kNotDefined[] = L"AutoCAD не определён.";
const wchar_t kUnavailable[] = L"AutoCAD недоступен! Отсутствуют записи в реестре!";
const wchar_t kNoProfiles[] =
    L"Отсутствуют записи AutoCAD в реестре!\r\nЗапустите и закройте AutoCAD, после чего продолжите работу.";

TAutoCADReleaseList Releases(const acad::TAutoCAD& acad) {
  TAutoCADReleaseList list{{L"stale", acad::geACLT2000}};
  acad.GetReleases(list);
  return list;
}

using Detection = AcadTest;

TEST_P(Detection, NothingInstalledListsNothing) {
  auto acad = Detect();
  EXPECT_TRUE(Releases(*acad).empty());
  EXPECT_EQ(acad::ReleasesText(Releases(*acad)), L"");
  EXPECT_EQ(acad->DetectError(), L"");
  EXPECT_EQ(acad->AcadType(), acad::geNone);
  EXPECT_FALSE(acad->PresenceAcad());
}

TEST_P(Detection, ListsEverySupportedReleaseInItsOrder) {
  // Laid out in another order than the one detection keeps.
  LayOut(Release(acad::geACLT2005, L"AutoCAD LT 2005", L"LT10"));
  LayOut(Release(acad::geACAD2005, L"AutoCAD 2005 Русская версия", L"R16.1"));
  LayOut(Release(acad::geACLT2004, L"AutoCAD LT 2004", L"LT9"));
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0"));
  LayOut(Release(acad::geACLT2002, L"AutoCAD LT 2002", L"LT8"));
  LayOut(Release(acad::geACAD2000, L"AutoCAD 2000", L"R15"));

  auto acad = Detect();
  TAutoCADReleaseList expected = {
      {L"AutoCAD 2000", acad::geACAD2000},
      {L"AutoCAD LT 2002", acad::geACLT2002},
      {L"AutoCAD 2004", acad::geACAD2004},
      {L"AutoCAD LT 2004", acad::geACLT2004},
      {L"AutoCAD 2005 Русская версия", acad::geACAD2005},
      {L"AutoCAD LT 2005", acad::geACLT2005},
  };
  EXPECT_EQ(Releases(*acad), expected);
  EXPECT_EQ(acad::ReleasesText(Releases(*acad)),
            L"AutoCAD 2000\r\nAutoCAD LT 2002\r\nAutoCAD 2004\r\nAutoCAD LT 2004\r\n"
            L"AutoCAD 2005 Русская версия\r\nAutoCAD LT 2005\r\n");
  EXPECT_EQ(acad->AcadType(), acad::geNone);  // detection selects nothing
}

TEST_P(Detection, MachineKeysAloneListR15AndLT8EvenWithoutAName) {
  ReleaseLayout r15 = Release(acad::geACAD2000, L"", L"R15");
  LayOut(r15);
  LayOut(Release(acad::geACLT2002, L"AutoCAD LT 2002", L"LT8"));
  // The same missing name on the R16 generation lists nothing.
  LayOut(Release(acad::geACAD2004, L"", L"R16.0"));

  auto acad = Detect();
  TAutoCADReleaseList expected = {{L"", acad::geACAD2000}, {L"AutoCAD LT 2002", acad::geACLT2002}};
  EXPECT_EQ(Releases(*acad), expected);
  EXPECT_EQ(acad::ReleasesText(Releases(*acad)), L"\r\nAutoCAD LT 2002\r\n");
}

TEST_P(Detection, R16GenerationNeedsTheUsersCurrentVersion) {
  ReleaseLayout neverStarted = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  neverStarted.userCurVer = false;
  LayOut(neverStarted);
  LayOut(Release(acad::geACLT2004, L"AutoCAD LT 2004", L"LT9"));
  // A user key without the machine's base key lists nothing either.
  WriteString(Reg(), RegRoot::CurrentUser, BaseKey(acad::geACAD2005), L"CurVer", L"ACAD-1:409");

  auto acad = Detect();
  TAutoCADReleaseList expected = {{L"AutoCAD LT 2004", acad::geACLT2004}};
  EXPECT_EQ(Releases(*acad), expected);
}

TEST_P(Detection, CurrentVersionStoredAsNumberEndsDetectionThere) {
  LayOut(Release(acad::geACAD2000, L"AutoCAD 2000", L"R15"));
  ReleaseLayout broken = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  broken.userCurVer = false;
  LayOut(broken);
  ASSERT_EQ(Reg().WriteValue(RegRoot::CurrentUser, BaseKey(acad::geACAD2004), L"CurVer",
                             platform::DwordValue(16)),
            platform::RegStatus::Ok);
  LayOut(Release(acad::geACAD2005, L"AutoCAD 2005", L"R16.1"));

  auto acad = Detect();
  TAutoCADReleaseList expected = {{L"AutoCAD 2000", acad::geACAD2000}};
  EXPECT_EQ(Releases(*acad), expected);
  EXPECT_EQ(acad->DetectError(), L"Invalid data type for 'CurVer'");
}

using Refresh = AcadTest;

TEST_P(Refresh, OpensTheSelectedRelease) {
  ReleaseLayout r16 = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0\\");
  r16.curVer = L"ACAD-201:419";
  r16.profiles = {L"Zeta", L"<<Unnamed Profile>>", L"alpha"};
  LayOut(r16);
  ReleaseLayout lt = Release(acad::geACLT2004, L"AutoCAD LT 2004", L"LT9");
  lt.profiles = {L"Профиль"};
  LayOut(lt);

  auto acad = Detect();
  acad->SelectRelease(L"AUTOCAD 2004");
  EXPECT_EQ(acad->AcadType(), acad::geACAD2004);
  EXPECT_TRUE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), L"");
  EXPECT_EQ(acad->Location(), ProgramRoot() + L"R16.0\\");  // no second backslash
  EXPECT_EQ(acad->VersionKey(), L"\\Software\\Autodesk\\AutoCAD\\R16.0\\ACAD-201:419");
  EXPECT_EQ(acad->ProfilesKey(), L"\\Software\\Autodesk\\AutoCAD\\R16.0\\ACAD-201:419\\Profiles");
  // In the registry's order: sorted without regard to case.
  EXPECT_EQ(ProfileNames(*acad),
            (std::vector<std::wstring>{L"<<Unnamed Profile>>", L"alpha", L"Zeta"}));

  acad->SelectRelease(L"autocad lt 2004");
  EXPECT_EQ(acad->AcadType(), acad::geACLT2004);
  EXPECT_TRUE(acad->PresenceAcad());
  EXPECT_EQ(acad->Location(), ProgramRoot() + L"LT9\\");
  EXPECT_EQ(ProfileNames(*acad), std::vector<std::wstring>{L"Профиль"});
}

TEST_P(Refresh, ReportsWhyAReleaseCannotBeOpened) {
  ReleaseLayout noStore = Release(acad::geACAD2000, L"AutoCAD 2000", L"R15");
  noStore.profileStore = false;
  LayOut(noStore);
  ReleaseLayout neverStarted = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  neverStarted.userCurVer = false;
  LayOut(neverStarted);
  auto acad = Detect();

  acad->SelectRelease(L"AutoCAD 2000");
  EXPECT_FALSE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), kNoProfiles);
  EXPECT_TRUE(acad->GetProfiles().empty());

  acad->SelectRelease(L"AutoCAD 9999");
  EXPECT_EQ(acad->AcadType(), acad::geNone);
  EXPECT_FALSE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), kNotDefined);

  acad->SetAcadType(acad::geACLT2000i);  // a release without keys of its own
  EXPECT_EQ(acad->LastError(), kNotDefined);

  acad->SetAcadType(acad::geACAD2005);  // not installed
  EXPECT_EQ(acad->LastError(), kUnavailable);

  acad->SetAcadType(acad::geACAD2004);  // installed, never started by this user
  EXPECT_FALSE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), kUnavailable);
}

TEST_P(Refresh, MissingProgramKeepsTheEarlierProfilesAndError) {
  ReleaseLayout good = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  good.profiles = {L"Первый"};
  LayOut(good);
  ReleaseLayout noProgram = Release(acad::geACAD2005, L"AutoCAD 2005", L"R16.1 without program");
  noProgram.programFile = false;
  noProgram.profiles = {L"Другой"};
  LayOut(noProgram);
  auto acad = Detect();

  acad->SelectRelease(L"none");
  acad->SelectRelease(L"AutoCAD 2004");
  ASSERT_TRUE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), kNotDefined);  // success does not clear it

  acad->SelectRelease(L"AutoCAD 2005");
  EXPECT_EQ(acad->AcadType(), acad::geACAD2005);
  EXPECT_FALSE(acad->PresenceAcad());
  EXPECT_EQ(acad->LastError(), kNotDefined);
  EXPECT_EQ(acad->Location(), ProgramRoot() + L"R16.1 without program\\");
  EXPECT_EQ(ProfileNames(*acad), std::vector<std::wstring>{L"Первый"});
}

TEST_P(Refresh, EveryAssignmentReadsTheRegistryAgain) {
  ReleaseLayout r15 = Release(acad::geACAD2000, L"AutoCAD 2000", L"R15");
  r15.profiles = {L"Один"};
  LayOut(r15);
  auto acad = Detect();
  acad->SetAcadType(acad::geACAD2000);
  ASSERT_EQ(ProfileNames(*acad), std::vector<std::wstring>{L"Один"});

  LayOutRichProfile(Reg(), ProfilesKey(r15), L"Два", acad::AcadFamily::Full);
  acad->SetAcadType(acad::geACAD2000);
  EXPECT_EQ(ProfileNames(*acad), (std::vector<std::wstring>{L"Два", L"Один"}));
}

TEST_P(Refresh, SameProductNameTwiceSelectsTheFirst) {
  LayOut(Release(acad::geACAD2000, L"AutoCAD", L"R15"));
  LayOut(Release(acad::geACAD2005, L"AUTOCAD", L"R16.1"));
  auto acad = Detect();
  acad->SelectRelease(L"autocad");
  EXPECT_EQ(acad->AcadType(), acad::geACAD2000);
}

TEST_P(Refresh, CurrentVersionStoredAsNumberEscapes) {
  ReleaseLayout r16 = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  r16.profiles = {L"Один"};
  LayOut(r16);
  auto acad = Detect();
  acad->SelectRelease(L"AutoCAD 2004");
  ASSERT_TRUE(acad->PresenceAcad());

  ASSERT_EQ(Reg().WriteValue(RegRoot::CurrentUser, BaseKey(acad::geACAD2004), L"CurVer",
                             platform::DwordValue(16)),
            platform::RegStatus::Ok);
  try {
    acad->SelectRelease(L"AutoCAD 2004");
    FAIL() << "no registry error";
  } catch (const acad::RegistryError& e) {
    EXPECT_EQ(e.Text(), L"Invalid data type for 'CurVer'");
  }
  EXPECT_FALSE(acad->PresenceAcad());
}

// Keys that refuse reading (through the fake: a machine whose policy denies them): the release
// behind them is not listed or cannot be opened, with the reason; nothing throws.
TEST_P(Refresh, KeysThatRefuseReadingLeaveTheReleaseOutOrUnopened) {
  auto* fake = dynamic_cast<platform::FakeRegistry*>(&Reg());
  if (!fake) GTEST_SKIP() << "the real registry's keys are not denied here";
  ReleaseLayout r15 = Release(acad::geACAD2000, L"AutoCAD 2000", L"R15");
  r15.profiles = {L"<<Unnamed Profile>>"};
  LayOut(r15);
  ReleaseLayout r16 = Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0");
  r16.curVer = L"ACAD-201:419";
  r16.profiles = {L"<<Unnamed Profile>>"};
  LayOut(r16);

  struct Case {
    const char* denied;
    RegRoot root;
    std::wstring key;
    TAutoCADReleaseList listed;
  };
  const TAutoCADReleaseList both = {{L"AutoCAD 2000", acad::geACAD2000}, {L"AutoCAD 2004", acad::geACAD2004}};
  const Case cases[] = {
      {"every AutoCAD key", RegRoot::LocalMachine, L"Software\\Autodesk", {}},
      {"one release's machine key", RegRoot::LocalMachine, VersionKey(r16), {{L"AutoCAD 2000", acad::geACAD2000}}},
      {"one release's user key", RegRoot::CurrentUser, BaseKey(acad::geACAD2004), {{L"AutoCAD 2000", acad::geACAD2000}}},
      {"one release's profiles", RegRoot::CurrentUser, ProfilesKey(r16), both},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.denied);
    backend_ = MakeBackend(GetParam());
    LayOut(r15);
    LayOut(r16);
    dynamic_cast<platform::FakeRegistry&>(Reg()).DenyAccess(c.root, c.key, platform::RegAccess::Read);
    std::unique_ptr<acad::TAutoCAD> acad;
    ASSERT_NO_THROW(acad = Detect());
    EXPECT_EQ(Releases(*acad), c.listed);
    // The releases behind a refusal cannot be opened, and say why.
    ASSERT_NO_THROW(acad->SelectRelease(L"AutoCAD 2004"));
    const bool opened = c.listed.size() == 2 && c.key != ProfilesKey(r16);
    EXPECT_EQ(acad->PresenceAcad(), opened);
    EXPECT_EQ(acad->LastError().empty(), opened);
    if (!opened) EXPECT_TRUE(acad->GetProfiles().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Registry, Detection, ::testing::ValuesIn(BackendKinds()), BackendName);
INSTANTIATE_TEST_SUITE_P(Registry, Refresh, ::testing::ValuesIn(BackendKinds()), BackendName);

}  // namespace
}  // namespace acadtest
