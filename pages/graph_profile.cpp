#include "pages/graph_profile.h"

#include "acad/autocad.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "util/codepage.h"
#include "util/strings.h"

namespace pages {

TfmGraphProfile::TfmGraphProfile(setup::TSetup& model, acad::TAutoCAD& acAutoCAD,
                                 const acad::TAutoCADReleaseList& acadList)
    : Page(L"Указание и настройка графического редактора схем "),
      model_(model),
      acAutoCAD(acAutoCAD),
      FAcadList(acadList) {
  lbComment.visible = false;
  lbProfileOwner.visible = false;
  btNext.enabled = true;
}

void TfmGraphProfile::FormShow() {
  std::vector<std::wstring> texts;
  for (const acad::TAutoCADRelease& release : FAcadList) texts.push_back(release.ProductName);
  cbCurGraphEditor.Fill(texts);
  cbCurGraphEditor.Select(0);
  // An administrator's account running the installer for another person makes the profile in
  // its own registry, where that person's AutoCAD will not look.
  const platform::SessionAccounts accounts = model_.System().Accounts();
  lbProfileOwner.visible = !accounts.process.empty() && !accounts.desktop.empty() &&
                           !util::EqualsNoCase(accounts.process, accounts.desktop);
  lbProfileOwner.text =
      lbProfileOwner.visible
          ? L"Профиль AutoCAD будет настроен для пользователя " + accounts.process +
                L", от имени которого идёт установка, а не для " + accounts.desktop + L"."
          : L"";
  model_.FGraphEditorSet = true;
  cbCurGraphEditorChange();
}

void TfmGraphProfile::cbCurGraphEditorChange() {
  // A release whose registry holds a value of the wrong type throws here; the view's boundary
  // shows it in the general error box and the page stays as it was (with PresenceAcad false,
  // leaving it configures nothing).
  // The entry itself, not its text: two products may carry one name.
  const int index = cbCurGraphEditor.itemIndex;
  if (index >= 0 && index < static_cast<int>(FAcadList.size()))
    acAutoCAD.SelectEntry(FAcadList[static_cast<size_t>(index)]);
  else
    acAutoCAD.SelectRelease(cbCurGraphEditor.control.text);

  std::vector<std::wstring> names;
  for (const acad::TAutoCADProfileEntry& entry : acAutoCAD.GetProfiles()) names.push_back(entry.Name);
  cbCurProfile.Fill(names);
  cbTemplateProfile.Fill(names);
  cbTemplateProfile.Select(0);

  if (names.empty()) {
    // This user has never started the release: there is nothing to configure.
    lbComment.text = util::FormatText(L"Для настройки профиля требуется предварительный запуск %s.",
                                      cbCurGraphEditor.control.text);
    lbComment.visible = true;
    lbCurProfile.visible = false;
    cbCurProfile.control.visible = false;
    cbTemplateProfile.control.visible = false;
    lbTemplateProfile.visible = false;
    return;
  }
  lbComment.visible = false;
  lbCurProfile.visible = true;
  cbCurProfile.control.visible = true;

  switch (acAutoCAD.Family()) {
    case acad::AcadFamily::Full:
      cbCurProfile.Select(0);
      // The name from the setup description, or the one configured on an earlier visit.
      cbCurProfile.itemIndex = -1;
      cbCurProfile.control.text = model_.FGraphProfile;
      lbCurProfile.enabled = true;
      cbCurProfile.control.enabled = true;
      break;
    case acad::AcadFamily::LT:
      // AutoCAD LT: its first profile is always the one configured.
      cbCurProfile.Select(0);
      lbCurProfile.enabled = false;
      cbCurProfile.control.enabled = false;
      break;
    case acad::AcadFamily::None:
      break;
  }
  cbCurProfileChange();
}

const std::wstring& TfmGraphProfile::TrimProfileText() {
  std::wstring trimmed = acad::TrimProfileName(cbCurProfile.control.text);
  if (trimmed != cbCurProfile.control.text) cbCurProfile.control.text = trimmed;
  return cbCurProfile.control.text;
}

bool TfmGraphProfile::IsTemplateItem(const std::wstring& name) const {
  for (const std::wstring& item : cbTemplateProfile.items)
    if (util::EqualsNoCase(item, name)) return true;
  return false;
}

void TfmGraphProfile::cbCurProfileChange() {
  // Checked trimmed, but left as typed: a blank between two words is typed as a trailing one
  // first. The field is trimmed when the page is left.
  const std::wstring text = acad::TrimProfileName(cbCurProfile.control.text);
  btNext.enabled = acad::TAutoCAD::IsValidProfileName(text);
  if (!btNext.enabled && Beep) Beep();

  const bool isNew = !text.empty() && !IsTemplateItem(text);
  if (lbTemplateProfile.visible != isNew) cbTemplateProfile.Select(0);
  lbTemplateProfile.visible = isNew;
  cbTemplateProfile.control.visible = isNew;
}

void TfmGraphProfile::ShowMsg(const std::wstring& text) {
  model_.ShowMsg(Host() ? Host()->Handle() : nullptr, text);
}

bool TfmGraphProfile::FormClose(int modalResult) {
  if (modalResult == mrCancel) return QueryCancel();

  // Next and back both settle the profile; no message keeps the page open.
  const std::wstring profile = TrimProfileText();
  const bool isNew = cbTemplateProfile.control.visible;
  // A name the page refuses for next is not configured by back either: it never reaches the
  // registry.
  if (!acAutoCAD.PresenceAcad() || !acad::TAutoCAD::IsValidProfileName(profile) ||
      (isNew && cbTemplateProfile.control.text.empty()))
    return true;

  if (isNew) {
    switch (acAutoCAD.CreateProfile(profile, cbTemplateProfile.control.text,
                                    model_.FNameApplication)) {
      case acad::crCreated:
        break;
      case acad::crExists:
        ShowMsg(util::FormatText(L"Профиль %s уже существует!", profile));
        return true;
      default:
        ShowMsg(util::FormatText(
            L"Ошибка при создании профиля %s!\r\nСоздайте профиль средствами AutoCAD", profile));
        return true;
    }
  }

  acAutoCAD.Refresh();
  if (acAutoCAD.FindProfile(profile)) {
    model_.FGraphEditor = cbCurGraphEditor.control.text;
    model_.FGraphProfile = profile;
  } else {
    ShowMsg(util::FormatText(
        L"Ошибка при настройке профиля %s!\r\nНастройте профиль средствами AutoCAD", profile));
  }
  return true;
}

}  // namespace pages
