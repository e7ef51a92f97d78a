// AutoCAD-based products found by their keys in both registry views, against the in-memory
// registry and (under Wine) the real one.
#include "tests/acad/acad_test_base.h"

namespace acadtest {
namespace {

using platform::RegRoot;

const wchar_t kNoProfiles[] =
    L"Отсутствуют записи AutoCAD в реестре!\r\nЗапустите и закройте AutoCAD, после чего продолжите "
    L"работу.";

class Products : public AcadTest {
 protected:
  ProductLayout Product(const std::wstring& key, const std::wstring& name,
                        std::vector<std::wstring> profiles = {L"<<Unnamed Profile>>"}) {
    ProductLayout p;
    p.key = key;
    p.productName = name;
    p.location = ProgramRoot() + name;
    p.profiles = std::move(profiles);
    return p;
  }
  ProductLayout Lt(const std::wstring& key, const std::wstring& name) {
    ProductLayout p = Product(key, name, {L"Профиль LT"});
    p.program = L"acadlt.exe";
    return p;
  }
  void LayOut(const ProductLayout& p) {
    LayOutProduct(
        Reg(), [this](const std::wstring& path) { backend_->MakeFile(path); }, p);
  }
  using AcadTest::LayOut;

  std::vector<std::wstring> Texts() {
    acad_ = Detect();
    acad::TAutoCADReleaseList list;
    acad_->GetReleases(list);
    std::vector<std::wstring> texts;
    for (const auto& r : list) texts.push_back(r.ProductName);
    return texts;
  }
  // Selects the entry with this text, as the page does: by the entry, not by its text.
  const acad::TAutoCADRelease& Choose(const std::wstring& text) {
    acad_->GetReleases(list_);
    for (const auto& r : list_)
      if (r.ProductName == text) {
        acad_->SelectEntry(r);
        return r;
      }
    throw std::runtime_error("no entry with that text");
  }
  bool StoreHas(const ProductLayout& p, const std::wstring& profile) {
    return Reg().OpenKey(RegRoot::CurrentUser, ProfilesKey(p) + L"\\" + profile,
                         platform::RegAccess::Read) == platform::RegStatus::Ok;
  }

  std::unique_ptr<acad::TAutoCAD> acad_;
  acad::TAutoCADReleaseList list_;
};

TEST_P(Products, RussianAutoCAD2026Alone) {
  ProductLayout acad2026 =
      Product(AcadProductKey(L"R25.1", L"ACAD-9101:419"), L"AutoCAD 2026 – Русский",
              {L"<<Профиль без имени>>", L"Рабочий"});
  LayOut(acad2026);
  EXPECT_EQ(Texts(), std::vector<std::wstring>{acad2026.productName});

  const acad::TAutoCADRelease& entry = Choose(acad2026.productName);
  EXPECT_EQ(entry.ProductKey.root, RegRoot::LocalMachineNative);
  EXPECT_EQ(acad_->Family(), acad::AcadFamily::Full);
  EXPECT_TRUE(acad_->PresenceAcad());
  EXPECT_EQ(acad_->Location(), acad2026.location + L"\\");
  EXPECT_EQ(acad_->ProfilesKey(), L"\\" + ProfilesKey(acad2026));
  EXPECT_EQ(ProfileNames(*acad_), acad2026.profiles);
}

TEST_P(Products, ElectricalBesideAutoCADKeepsItsOwnProfiles) {
  ProductLayout acad2025 = Product(AcadProductKey(L"R25.0", L"ACAD-8101:409"), L"AutoCAD 2025",
                                   {L"<<Unnamed Profile>>", L"Drafting"});
  ProductLayout electrical = Product(AcadProductKey(L"R25.0", L"ACAD-8107:409"),
                                     L"AutoCAD Electrical 2025", {L"<<ACADE>>"});
  ProductLayout lt2024 = Lt(LtProductKey(L"R30", L"ACADLT-7101:409"), L"AutoCAD LT 2024");
  for (const ProductLayout& p : {lt2024, acad2025, electrical}) LayOut(p);

  // AutoCAD products newest release first, then LT; the product this user ran last before them,
  // as AutoCAD's own chain names it, else LT's.
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{acad2025.productName, electrical.productName,
                                                lt2024.productName}));
  MarkLastUsed(Reg(), lt2024);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{lt2024.productName, acad2025.productName,
                                                electrical.productName}));
  MarkLastUsed(Reg(), electrical);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{electrical.productName, acad2025.productName,
                                                lt2024.productName}));

  // Plain AutoCAD ran last; Electrical still works on its own store.
  MarkLastUsed(Reg(), acad2025);
  EXPECT_EQ(Texts().front(), acad2025.productName);
  Choose(electrical.productName);
  EXPECT_EQ(ProfileNames(*acad_), electrical.profiles);
  EXPECT_EQ(acad_->CreateProfile(L"Схемы", L"<<ACADE>>", L"Sketrion 7"), acad::crCreated);
  EXPECT_TRUE(StoreHas(electrical, L"Схемы"));
  EXPECT_FALSE(StoreHas(acad2025, L"Схемы"));
  EXPECT_EQ(ReadSubtree(Reg(), RegRoot::CurrentUser, ProfilesKey(electrical) + L"\\Схемы"),
            ExpectedCopy(
                ReadSubtree(Reg(), RegRoot::CurrentUser, ProfilesKey(electrical) + L"\\<<ACADE>>"),
                L"Sketrion 7"));

  Choose(lt2024.productName);
  EXPECT_EQ(acad_->Family(), acad::AcadFamily::LT);
  EXPECT_TRUE(acad_->PresenceAcad());
  EXPECT_EQ(ProfileNames(*acad_), lt2024.profiles);
}

TEST_P(Products, ThirtyTwoBitAutoCADBesideNewerOnes) {
  ProductLayout acad2012 = Product(AcadProductKey(L"R18.2", L"ACAD-A001:409"), L"AutoCAD 2012");
  acad2012.view = RegRoot::LocalMachine;
  ProductLayout acad2027 = Product(AcadProductKey(L"R26.0", L"ACAD-A101:409"), L"AutoCAD 2027");
  // A release after the newest one known today.
  ProductLayout future = Product(AcadProductKey(L"R27.0", L"ACAD-B101:419"), L"AutoCAD 2028");
  ProductLayout mechanical =
      Product(AcadProductKey(L"R20.1", L"ACAD-F005:419"), L"AutoCAD Mechanical 2016");
  for (const ProductLayout& p : {acad2012, mechanical, acad2027, future}) LayOut(p);

  EXPECT_EQ(Texts(), (std::vector<std::wstring>{future.productName, acad2027.productName,
                                                mechanical.productName, acad2012.productName}));
  EXPECT_EQ(Choose(acad2012.productName).ProductKey.root, RegRoot::LocalMachine);
  EXPECT_TRUE(acad_->PresenceAcad());
  EXPECT_EQ(ProfileNames(*acad_), acad2012.profiles);
}

TEST_P(Products, ListedOnlyWhenTheirFolderHoldsTheirProgram) {
  ProductLayout stale = Product(AcadProductKey(L"R24.0", L"ACAD-4101:409"), L"AutoCAD 2021");
  stale.program = L"";
  ProductLayout unnamed = Product(AcadProductKey(L"R24.1", L"ACAD-5101:409"), L"");
  unnamed.location = ProgramRoot() + L"Unnamed";
  ProductLayout notAProduct = Product(AcadProductKey(L"R24.2", L"Settings"), L"Settings");
  ProductLayout notARelease = Product(AcadProductKey(L"Rnext", L"ACAD-1:409"), L"Next");
  // LT 2006 keeps its folder in "Location" and its program is aclt.exe.
  ProductLayout lt2006 = Lt(LtProductKey(L"R11", L"ACLT-4001:419"), L"AutoCAD LT 2006");
  lt2006.locationValue = L"Location";
  lt2006.program = L"aclt.exe";
  ProductLayout neverStarted = Product(AcadProductKey(L"R24.3", L"ACAD-6101:419"), L"AutoCAD 2024");
  neverStarted.started = false;
  neverStarted.profiles.clear();
  for (const ProductLayout& p : {stale, unnamed, notAProduct, notARelease, lt2006, neverStarted})
    LayOut(p);

  EXPECT_EQ(Texts(), (std::vector<std::wstring>{neverStarted.productName, lt2006.productName}));
  Choose(lt2006.productName);
  EXPECT_TRUE(acad_->PresenceAcad());
  EXPECT_EQ(acad_->Location(), lt2006.location + L"\\");

  // Never started: listed, with no profiles to configure.
  Choose(neverStarted.productName);
  EXPECT_FALSE(acad_->PresenceAcad());
  EXPECT_EQ(acad_->LastError(), kNoProfiles);
  EXPECT_TRUE(ProfileNames(*acad_).empty());
}

TEST_P(Products, TwoProductsOfOneNameStayTwoEntries) {
  ProductLayout english =
      Product(AcadProductKey(L"R25.0", L"ACAD-8101:409"), L"AutoCAD 2025", {L"English"});
  ProductLayout russian =
      Product(AcadProductKey(L"R25.0", L"ACAD-8101:419"), L"AutoCAD 2025", {L"Русский"});
  russian.location = ProgramRoot() + L"AutoCAD 2025 RU";
  LayOut(english);
  LayOut(russian);

  const std::vector<std::wstring> texts = Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], english.productName);
  EXPECT_NE(texts[1], texts[0]);
  EXPECT_NE(texts[1].find(L"ACAD-8101:419"), std::wstring::npos);
  Choose(texts[1]);
  EXPECT_EQ(ProfileNames(*acad_), russian.profiles);
  Choose(texts[0]);
  EXPECT_EQ(ProfileNames(*acad_), english.profiles);
}

TEST_P(Products, OneKeyInBothViewsWithOneFolderIsOneProduct) {
  // On 32-bit Windows both views are the same keys.
  ProductLayout acad2009 = Product(AcadProductKey(L"R17.2", L"ACAD-7001:409"), L"AutoCAD 2009");
  LayOut(acad2009);
  acad2009.view = RegRoot::LocalMachine;
  LayOut(acad2009);
  EXPECT_EQ(Texts(), std::vector<std::wstring>{acad2009.productName});
}

TEST_P(Products, TheSixNamedReleasesKeepTheirRulesAfterTheProducts) {
  LayOut(Release(acad::geACLT2005, L"AutoCAD LT 2005", L"LT10"));
  LayOut(Release(acad::geACAD2005, L"AutoCAD 2005", L"R16.1"));
  LayOut(Release(acad::geACLT2004, L"AutoCAD LT 2004", L"LT9"));
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", L"R16.0"));
  LayOut(Release(acad::geACLT2002, L"AutoCAD LT 2002", L"LT8"));
  LayOut(Release(acad::geACAD2000, L"AutoCAD 2000", L"R15"));
  // Product keys of the named releases in the machine's own view stay theirs: not listed again.
  LayOut(Product(AcadProductKey(L"R16.1", L"ACAD-301:409"), L"AutoCAD 2005 x64"));
  LayOut(Product(LtProductKey(L"R9", L"ACLT-201:409"), L"AutoCAD LT 2004 x64"));
  ProductLayout acad2007 = Product(AcadProductKey(L"R17.0", L"ACAD-5001:409"), L"AutoCAD 2007");
  LayOut(acad2007);

  EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                         L"AutoCAD 2007", L"AutoCAD 2000", L"AutoCAD LT 2002", L"AutoCAD 2004",
                         L"AutoCAD LT 2004", L"AutoCAD 2005", L"AutoCAD LT 2005"}));
  acad_->SelectRelease(L"AutoCAD 2004");
  EXPECT_EQ(acad_->AcadType(), acad::geACAD2004);
  EXPECT_TRUE(acad_->PresenceAcad());
}

TEST_P(Products, DamagedProductKeyLeavesTheOthersListed) {
  ProductLayout damaged = Product(AcadProductKey(L"R23.1", L"ACAD-3001:409"), L"AutoCAD 2020");
  LayOut(damaged);
  ASSERT_EQ(Reg().WriteValue(damaged.view, damaged.key, L"ProductName", platform::DwordValue(7)),
            platform::RegStatus::Ok);
  ProductLayout acad2019 = Product(AcadProductKey(L"R23.0", L"ACAD-2001:409"), L"AutoCAD 2019");
  LayOut(acad2019);
  LayOut(Release(acad::geACAD2000, L"AutoCAD 2000", L"R15"));

  EXPECT_EQ(Texts(), (std::vector<std::wstring>{acad2019.productName, L"AutoCAD 2000"}));
  EXPECT_NE(acad_->DetectError().find(L"ProductName"), std::wstring::npos);
  EXPECT_NE(acad_->DetectError().find(L"ACAD-3001:409"), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Registry, Products, ::testing::ValuesIn(BackendKinds()), BackendName);

}  // namespace
}  // namespace acadtest
