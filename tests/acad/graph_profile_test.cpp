// The graphic editor page's rules, over the in-memory registry and a scripted message box.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "acad/autocad.h"
#include "pages/graph_profile.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "setup/setup.h"
#include "tests/acad/acad_fixture.h"
#include "tests/pages/page_fixture.h"

namespace pages {
namespace {

using acadtest::ReleaseLayout;
using platform::MsgAnswer;
using platform::RegRoot;

const wchar_t kProduct[] = L"Sketrion 7";

class GraphProfilePage : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::SetupPlatform p;
    p.system = &system_;
    p.registry = &registry_;
    p.messageBoxes = &boxes_;
    model_ = std::make_unique<setup::TSetup>(p);
    model_->FNameApplication = kProduct;
    model_->FCaption = L"Установка Sketrion 7";
    host_.cancelQuestion = [this](WindowRef) {
      ++cancelQuestions_;
      return cancelAnswer_;
    };
  }

  ReleaseLayout Release(acad::TAutoCADTypes type, const std::wstring& name,
                        std::vector<std::wstring> profiles) {
    ReleaseLayout r;
    r.type = type;
    r.productName = name;
    r.location = L"C:\\Program Files\\" + name + L"\\";
    r.profiles = std::move(profiles);
    return r;
  }
  void LayOut(const ReleaseLayout& r) {
    acadtest::LayOutRelease(registry_, [this](const std::wstring& p) { files_.PutFile(p, "MZ"); }, r);
  }
  // Detects the releases laid out so far and shows the page.
  TfmGraphProfile& Show() {
    acad_ = std::make_unique<acad::TAutoCAD>(registry_, [this](const std::wstring& p) {
      return files_.Kind(p) == platform::PathKind::File;
    });
    acad_->GetReleases(acadList_);
    page_ = std::make_unique<TfmGraphProfile>(*model_, *acad_, acadList_);
    page_->Beep = [this] { ++beeps_; };
    page_->AttachHost(&host_);
    page_->FormCreate(kProduct);
    page_->FormShow();
    return *page_;
  }
  void Type(const std::wstring& text) {
    page_->cbCurProfile.control.text = text;
    page_->cbCurProfile.itemIndex = -1;
    page_->cbCurProfileChange();
  }
  bool ProfileKeyExists(const ReleaseLayout& r, const std::wstring& name) {
    return registry_.OpenKey(RegRoot::CurrentUser, acadtest::ProfilesKey(r) + L"\\" + name,
                             platform::RegAccess::Read) == platform::RegStatus::Ok;
  }
  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> texts;
    for (const auto& box : boxes_.Asked()) texts.push_back(box.text);
    return texts;
  }

  platform::FakeRegistry registry_;
  platform::FakeSystem system_;
  platform::FakeFileSystem files_;
  platform::ScriptedMessageBoxes boxes_;
  std::unique_ptr<setup::TSetup> model_;
  std::unique_ptr<acad::TAutoCAD> acad_;
  acad::TAutoCADReleaseList acadList_;
  pages::testing::FakeHost host_;
  std::unique_ptr<TfmGraphProfile> page_;
  int beeps_ = 0;
  int cancelQuestions_ = 0;
  bool cancelAnswer_ = false;
};

TEST_F(GraphProfilePage, ShowsTheFirstReleaseWithTheProfileFromTheDescription) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий", L"<<Unnamed Profile>>"}));
  LayOut(Release(acad::geACAD2005, L"AutoCAD 2005", {L"Другой"}));
  model_->FGraphProfile = L"Схемы";
  TfmGraphProfile& page = Show();

  EXPECT_EQ(page.Caption(), L"Указание и настройка графического редактора схем Sketrion 7");
  EXPECT_EQ(page.cbCurGraphEditor.items, (std::vector<std::wstring>{L"AutoCAD 2004", L"AutoCAD 2005"}));
  EXPECT_EQ(page.cbCurGraphEditor.control.text, L"AutoCAD 2004");
  EXPECT_TRUE(model_->FGraphEditorSet);
  EXPECT_EQ(page.cbCurProfile.items, (std::vector<std::wstring>{L"<<Unnamed Profile>>", L"Рабочий"}));
  EXPECT_EQ(page.cbCurProfile.control.text, L"Схемы");
  EXPECT_TRUE(page.cbCurProfile.control.enabled);
  EXPECT_FALSE(page.lbComment.visible);
  // "Схемы" is new: the template list shows, on its first entry.
  EXPECT_TRUE(page.lbTemplateProfile.visible);
  EXPECT_TRUE(page.cbTemplateProfile.control.visible);
  EXPECT_EQ(page.cbTemplateProfile.control.text, L"<<Unnamed Profile>>");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_EQ(beeps_, 0);

  // Another release re-reads its profiles.
  page.cbCurGraphEditor.Select(1);
  page.cbCurGraphEditorChange();
  EXPECT_EQ(page.cbCurProfile.items, std::vector<std::wstring>{L"Другой"});
  EXPECT_EQ(page.cbTemplateProfile.control.text, L"Другой");
}

TEST_F(GraphProfilePage, ExistingProfileInOtherCaseIsStoredAsTyped) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  Type(L"рабочий");
  EXPECT_FALSE(page.cbTemplateProfile.control.visible);

  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model_->FGraphEditor, L"AutoCAD 2004");
  EXPECT_EQ(model_->FGraphProfile, L"рабочий");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(acad_->GetProfiles().size(), 1u);  // nothing was created
}

TEST_F(GraphProfilePage, NewProfileIsCreatedFromTheTemplateOnNext) {
  ReleaseLayout r = Release(acad::geACAD2005, L"AutoCAD 2005", {L"Первый", L"Второй"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  Type(L"Новый ");  // a trailing blank stays in the field until the page is left
  EXPECT_EQ(page.cbCurProfile.control.text, L"Новый ");
  EXPECT_TRUE(page.cbTemplateProfile.control.visible);
  EXPECT_EQ(page.cbTemplateProfile.control.text, L"Второй");  // the first in the registry's order

  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(page.cbCurProfile.control.text, L"Новый");
  EXPECT_TRUE(Messages().empty());
  ASSERT_TRUE(ProfileKeyExists(r, L"Новый"));
  platform::RegValue description;
  registry_.ReadValue(RegRoot::CurrentUser, acadtest::ProfilesKey(r) + L"\\Новый", L"", &description);
  EXPECT_EQ(platform::ValueText(description), kProduct);
  EXPECT_EQ(model_->FGraphProfile, L"Новый");
  EXPECT_EQ(model_->FGraphEditor, L"AutoCAD 2005");
}

TEST_F(GraphProfilePage, TemplateChoiceLastsWhileTheNameStaysNew) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Альфа", L"Бета"}));
  TfmGraphProfile& page = Show();
  Type(L"Н");
  page.cbTemplateProfile.Select(1);
  Type(L"Новый");
  EXPECT_EQ(page.cbTemplateProfile.control.text, L"Бета");
  // An existing name hides the list; a new name shows it again on its first entry.
  Type(L"бета");
  EXPECT_FALSE(page.lbTemplateProfile.visible);
  Type(L"Новый");
  EXPECT_TRUE(page.lbTemplateProfile.visible);
  EXPECT_EQ(page.cbTemplateProfile.control.text, L"Альфа");
}

TEST_F(GraphProfilePage, BackWithANewNameAlsoCreatesIt) {
  ReleaseLayout r = Release(acad::geACAD2000, L"AutoCAD 2000", {L"Первый"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  Type(L"Назад");
  EXPECT_TRUE(page.FormClose(mrBack));
  EXPECT_TRUE(ProfileKeyExists(r, L"Назад"));
  EXPECT_EQ(model_->FGraphProfile, L"Назад");
}

TEST_F(GraphProfilePage, ANameNextRefusesNeverReachesTheRegistryWhicheverButtonCloses) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  for (const wchar_t* name : {L"Схемы.2", L"C:Схемы", L"Схемы\tновые", L"Папка\\Профиль", L"50%"}) {
    for (int button : {mrBack, mrNext}) {
      Type(name);
      EXPECT_FALSE(page.btNext.enabled) << name;
      EXPECT_TRUE(page.FormClose(button)) << name;  // the page still closes
      EXPECT_EQ(acad_->GetProfiles().size(), 1u) << name;
      EXPECT_FALSE(ProfileKeyExists(r, name)) << name;
      EXPECT_FALSE(ProfileKeyExists(r, L"Папка")) << name;
    }
  }
  EXPECT_EQ(model_->FGraphProfile, L"");
  EXPECT_EQ(model_->FGraphEditor, L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(GraphProfilePage, ControlCharactersAroundTheNameAreTrimmedLikeBlanksOnLeaving) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  Type(L"\t Схемы\r\n");
  EXPECT_EQ(page.cbCurProfile.control.text, L"\t Схемы\r\n");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_TRUE(page.FormClose(mrBack));
  EXPECT_EQ(page.cbCurProfile.control.text, L"Схемы");
  EXPECT_TRUE(ProfileKeyExists(r, L"Схемы"));
  EXPECT_EQ(model_->FGraphProfile, L"Схемы");
}

// A name typed key by key: every keystroke stays in the field as typed, blanks between words
// too, while next, the beep and the template list follow the name without its outer blanks.
TEST_F(GraphProfilePage, ANameTypedKeyByKeyKeepsItsBlanksAndIsCheckedTrimmed) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();  // an empty name: one beep
  const struct {
    const wchar_t* field;
    bool next;
    bool templateShown;
  } keys[] = {
      {L" ", false, false},  // blanks alone are no name
      {L" Р", true, true},
      {L" Рабочий", true, false},  // the existing profile, whatever blanks surround it
      {L" Рабочий ", true, false},
      {L" Рабочий с", true, true},
      {L" Рабочий сх.", false, true},
      {L" Рабочий сх", true, true},
      {L" Рабочий схемы ", true, true},
  };
  int beeps = beeps_;
  for (const auto& key : keys) {
    Type(key.field);
    EXPECT_EQ(page.cbCurProfile.control.text, key.field);
    EXPECT_EQ(page.btNext.enabled, key.next) << key.field;
    EXPECT_EQ(page.cbTemplateProfile.control.visible, key.templateShown) << key.field;
    if (!key.next) ++beeps;
    EXPECT_EQ(beeps_, beeps) << key.field;
  }
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(page.cbCurProfile.control.text, L"Рабочий схемы");
  EXPECT_TRUE(ProfileKeyExists(r, L"Рабочий схемы"));
  EXPECT_EQ(model_->FGraphProfile, L"Рабочий схемы");
}

TEST_F(GraphProfilePage, LTReleaseConfiguresItsFirstProfile) {
  ReleaseLayout r = Release(acad::geACLT2004, L"AutoCAD LT 2004", {L"Бета", L"Альфа"});
  LayOut(r);
  model_->FGraphProfile = L"Схемы";
  TfmGraphProfile& page = Show();
  EXPECT_EQ(page.cbCurProfile.control.text, L"Альфа");
  EXPECT_FALSE(page.cbCurProfile.control.enabled);
  EXPECT_FALSE(page.lbCurProfile.enabled);
  EXPECT_FALSE(page.cbTemplateProfile.control.visible);

  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model_->FGraphProfile, L"Альфа");
  EXPECT_FALSE(ProfileKeyExists(r, L"Схемы"));
}

TEST_F(GraphProfilePage, EmptyNameDisablesNextWithABeep) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"}));
  TfmGraphProfile& page = Show();  // FGraphProfile is empty
  EXPECT_EQ(page.cbCurProfile.control.text, L"");
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_EQ(beeps_, 1);
  EXPECT_FALSE(page.cbTemplateProfile.control.visible);

  Type(L"a.b");
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_EQ(beeps_, 2);
  EXPECT_TRUE(page.btPrior.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
  Type(L"Схемы 2");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_EQ(beeps_, 2);

  // Leaving with an empty name configures nothing.
  Type(L"");
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model_->FGraphProfile, L"");
  EXPECT_EQ(model_->FGraphEditor, L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(GraphProfilePage, ReleaseWithoutProfilesShowsTheNotice) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {});
  LayOut(r);
  model_->FGraphProfile = L"Схемы";
  TfmGraphProfile& page = Show();
  EXPECT_TRUE(page.lbComment.visible);
  EXPECT_EQ(page.lbComment.text, L"Для настройки профиля требуется предварительный запуск AutoCAD 2004.");
  EXPECT_FALSE(page.lbCurProfile.visible);
  EXPECT_FALSE(page.cbCurProfile.control.visible);
  EXPECT_FALSE(page.lbTemplateProfile.visible);
  EXPECT_FALSE(page.cbTemplateProfile.control.visible);

  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_FALSE(ProfileKeyExists(r, L"Схемы"));
  EXPECT_EQ(model_->FGraphEditor, L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(GraphProfilePage, ReleaseWithoutItsProgramKeepsTheEarlierListAndConfiguresNothing) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Первый"}));
  ReleaseLayout broken = Release(acad::geACAD2005, L"AutoCAD 2005", {L"Другой"});
  broken.programFile = false;
  LayOut(broken);
  TfmGraphProfile& page = Show();
  page.cbCurGraphEditor.Select(1);
  page.cbCurGraphEditorChange();
  EXPECT_EQ(page.cbCurProfile.items, std::vector<std::wstring>{L"Первый"});
  Type(L"Новый");
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_FALSE(ProfileKeyExists(broken, L"Новый"));
  EXPECT_EQ(model_->FGraphProfile, L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(GraphProfilePage, DamagedReleaseKeyReachesTheErrorBoxAndConfiguresNothing) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  model_->FGraphProfile = L"Рабочий";
  acad_ = std::make_unique<acad::TAutoCAD>(registry_, [](const std::wstring&) { return true; });
  acadList_ = {{L"AutoCAD 2004", acad::geACAD2004}};
  ASSERT_EQ(registry_.WriteValue(RegRoot::CurrentUser, acadtest::BaseKey(r.type), L"CurVer",
                                 platform::DwordValue(1)),
            platform::RegStatus::Ok);
  TfmGraphProfile page(*model_, *acad_, acadList_);
  // The view's boundary shows what escapes in the general error box.
  EXPECT_THROW(page.FormShow(), acad::RegistryError);
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model_->FGraphEditor, L"");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(GraphProfilePage, CancelAsksAndNoKeepsThePage) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"}));
  TfmGraphProfile& page = Show();
  Type(L"Новый");
  cancelAnswer_ = false;
  EXPECT_FALSE(page.FormClose(mrCancel));
  EXPECT_EQ(cancelQuestions_, 1);
  EXPECT_EQ(page.cbCurProfile.control.text, L"Новый");
  EXPECT_TRUE(page.cbTemplateProfile.control.visible);
  EXPECT_EQ(acad_->GetProfiles().size(), 1u);
  cancelAnswer_ = true;
  EXPECT_TRUE(page.FormClose(mrCancel));
  EXPECT_EQ(acad_->GetProfiles().size(), 1u);  // cancel creates nothing
}

TEST_F(GraphProfilePage, FailedCreationIsReportedAndTheInstallationGoesOn) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();

  // The store refuses the copy.
  registry_.DenyAccess(RegRoot::CurrentUser, acadtest::ProfilesKey(r), platform::RegAccess::Full);
  Type(L"Новый");
  EXPECT_TRUE(page.FormClose(mrNext));

  EXPECT_EQ(Messages(), (std::vector<std::wstring>{
                            L"Ошибка при создании профиля Новый!\r\nСоздайте профиль средствами AutoCAD"}));
  for (const auto& box : boxes_.Asked()) {
    EXPECT_EQ(box.caption, L"Установка Sketrion 7");
    EXPECT_EQ(box.buttons, platform::MsgButtons::OkCancel);
  }
  EXPECT_EQ(model_->FGraphProfile, L"");
  EXPECT_EQ(model_->FGraphEditor, L"");
}

TEST_F(GraphProfilePage, ProfileGoneBeforeTheFinalCheckIsReported) {
  ReleaseLayout r = Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"});
  LayOut(r);
  TfmGraphProfile& page = Show();
  Type(L"Рабочий");
  ASSERT_EQ(registry_.DeleteTree(RegRoot::CurrentUser, acadtest::ProfilesKey(r) + L"\\Рабочий"),
            platform::RegStatus::Ok);
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(Messages(), std::vector<std::wstring>{
                            L"Ошибка при настройке профиля Рабочий!\r\nНастройте профиль средствами AutoCAD"});
  EXPECT_EQ(model_->FGraphProfile, L"");
}

TEST_F(GraphProfilePage, ComingBackShowsTheConfiguredProfileAsExisting) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"}));
  TfmGraphProfile& page = Show();
  Type(L"Новый");
  ASSERT_TRUE(page.FormClose(mrNext));
  page.FormShow();
  EXPECT_EQ(page.cbCurProfile.control.text, L"Новый");
  EXPECT_FALSE(page.cbTemplateProfile.control.visible);
  EXPECT_TRUE(page.btNext.enabled);
}

// Products of today: chosen by their entry (two of one name stay apart), the never-started one with
// the first-start note, the LT one with its first profile, each new profile in its own store.
TEST_F(GraphProfilePage, ProductsAreChosenByTheirEntry) {
  auto product = [this](const std::wstring& key, const std::wstring& name,
                        std::vector<std::wstring> profiles) {
    acadtest::ProductLayout p;
    p.key = key;
    p.productName = name;
    p.location = L"C:\\Program Files\\" + key.substr(key.rfind(L'\\') + 1);
    p.profiles = std::move(profiles);
    p.started = !p.profiles.empty();
    if (key.find(L"LT") != std::wstring::npos) p.program = L"acadlt.exe";
    acadtest::LayOutProduct(
        registry_, [this](const std::wstring& f) { files_.PutFile(f, "MZ"); }, p);
    return p;
  };
  const auto english =
      product(acadtest::AcadProductKey(L"R25.0", L"ACAD-8101:409"), L"AutoCAD 2025", {L"Рабочий"});
  const auto russian =
      product(acadtest::AcadProductKey(L"R25.0", L"ACAD-8101:419"), L"AutoCAD 2025", {L"Другой"});
  const auto electrical =
      product(acadtest::AcadProductKey(L"R25.0", L"ACAD-8107:419"), L"AutoCAD Electrical 2025", {});
  const auto lt = product(acadtest::LtProductKey(L"R30", L"ACADLT-7101:419"), L"AutoCAD LT 2024",
                          {L"Второй LT", L"Первый LT"});
  model_->FGraphProfile = L"Схемы";
  TfmGraphProfile& page = Show();
  ASSERT_EQ(page.cbCurGraphEditor.items.size(), 4u);

  page.cbCurGraphEditor.Select(1);
  page.cbCurGraphEditorChange();
  EXPECT_EQ(page.cbTemplateProfile.items, russian.profiles);

  page.cbCurGraphEditor.Select(2);
  page.cbCurGraphEditorChange();
  EXPECT_TRUE(page.lbComment.visible);
  EXPECT_NE(page.lbComment.text.find(electrical.productName), std::wstring::npos);
  EXPECT_FALSE(page.cbCurProfile.control.visible);

  page.cbCurGraphEditor.Select(3);
  page.cbCurGraphEditorChange();
  EXPECT_FALSE(page.cbCurProfile.control.enabled);
  EXPECT_EQ(page.cbCurProfile.control.text, lt.profiles[0]);

  page.cbCurGraphEditor.Select(1);
  page.cbCurGraphEditorChange();
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model_->FGraphEditor, page.cbCurGraphEditor.items[1]);
  EXPECT_EQ(model_->FGraphProfile, L"Схемы");
  auto made = [this](const acadtest::ProductLayout& p) {
    return registry_.OpenKey(RegRoot::CurrentUser, acadtest::ProfilesKey(p) + L"\\Схемы",
                             platform::RegAccess::Read) == platform::RegStatus::Ok;
  };
  EXPECT_TRUE(made(russian));
  EXPECT_FALSE(made(english));
}

// The page names the account the profile is made for only when it is not the desktop's owner.
TEST_F(GraphProfilePage, SaysForWhomTheProfileIsMadeUnderAnotherAccount) {
  LayOut(Release(acad::geACAD2004, L"AutoCAD 2004", {L"Рабочий"}));
  const struct {
    platform::SessionAccounts accounts;
    bool shown;
  } cases[] = {
      {{L"PC\\admin", L"PC\\ivanov"}, true},
      {{L"PC\\Ivanov", L"pc\\ivanov"}, false},
      {{L"PC\\admin", L""}, false},  // the system cannot say who owns the desktop
  };
  for (const auto& c : cases) {
    system_.accounts = c.accounts;
    TfmGraphProfile& page = Show();
    EXPECT_EQ(page.lbProfileOwner.visible, c.shown) << c.accounts.process;
    if (!c.shown) continue;
    EXPECT_NE(page.lbProfileOwner.text.find(c.accounts.process), std::wstring::npos);
    EXPECT_NE(page.lbProfileOwner.text.find(c.accounts.desktop), std::wstring::npos);
  }
}

}  // namespace
}  // namespace pages
