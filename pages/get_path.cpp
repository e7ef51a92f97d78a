#include "pages/get_path.h"

#include "platform/drives.h"
#include "setup/setup.h"
#include "util/paths.h"
#include "util/strings.h"

namespace pages {

const wchar_t AllowedPathChars[] =
    L"qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM_\\:-0123456789 ";

namespace {

// A character as the reason line names it: itself in quotes, or its code when it has no shape.
std::wstring Quoted(wchar_t c) {
  if (c < 0x20 || c == 0x7F) return L"с кодом " + std::to_wstring(static_cast<int>(c));
  return L"\"" + std::wstring(1, c) + L"\"";
}

// A name as the reason line quotes it: a long one keeps its two ends, where a trailing space or
// dot shows.
std::wstring Shortened(const std::wstring& name) {
  constexpr size_t kEnd = 16;
  if (name.size() <= 2 * kEnd + 3) return name;
  return name.substr(0, kEnd) + L"..." + name.substr(name.size() - kEnd);
}

std::wstring FaultText(const util::PathCheck& check) {
  switch (check.fault) {
    case util::PathFault::kNone:
      return L"";
    case util::PathFault::kNotFull:
      return L"Укажите полный путь к каталогу, начиная с буквы диска (например, C:\\CAD).";
    case util::PathFault::kEmptyName:
      return L"Два знака \"\\\" подряд: между ними должно стоять имя каталога.";
    case util::PathFault::kForbiddenCharacter:
      return util::FormatText(
          L"Недопустимый символ %s: допустимы латинские буквы, цифры, пробел, _ и -.",
          Quoted(check.character));
    case util::PathFault::kDeviceName:
      return util::FormatText(L"Имя \"%s\" занято устройством Windows: укажите другое имя.",
                              Shortened(check.name));
    case util::PathFault::kEndsInSpaceOrDot:
      return util::FormatText(L"Имя \"%s\" не может оканчиваться пробелом или точкой.",
                              Shortened(check.name));
  }
  return L"";
}

}  // namespace

TfmGetPath::TfmGetPath(setup::TSetup& model, platform::Drives& drives)
    : Page(L"Размещение "), model_(model), drives_(drives) {
  lbPathError.visible = false;
  lbPathError.color = kRed;
}

void TfmGetPath::FormShow() {
  edPath.text = model_.FDestDir;
  edPathChange();
}

bool TfmGetPath::FormClose(int modalResult) {
  if (modalResult == mrCancel) return Page::FormClose(modalResult);
  model_.FDestDir = util::AddBackslash(edPath.text);
  return true;
}

void TfmGetPath::Button1Click() {
  std::wstring chosen;
  if (!ChooseFolder || !ChooseFolder(edPath.text, &chosen)) return;
  edPath.text = chosen;
  edPathChange();
}

void TfmGetPath::edPathChange() {
  lbPathError.text = RefusalOf(edPath.text);
  lbPathError.visible = !lbPathError.text.empty();
  btNext.enabled = lbPathError.text.empty();
}

std::wstring TfmGetPath::RefusalOf(const std::wstring& folder) const {
  const size_t refused = folder.find_first_not_of(AllowedPathChars);
  if (refused != std::wstring::npos)
    return FaultText({util::PathFault::kForbiddenCharacter, L"", folder[refused]});
  // The folder is stored with one trailing backslash: the field may end with it.
  std::wstring path = folder;
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  const util::PathCheck check = util::CheckPlainFullPath(path);
  if (check.fault != util::PathFault::kNone) return FaultText(check);

  const std::wstring drive = std::wstring(1, static_cast<wchar_t>(path[0] & ~0x20)) + L":";
  if (path.size() == 3)
    return util::FormatText(L"Корень диска %s не подходит: укажите каталог на этом диске.",
                            drive + L"\\");
  switch (drives_.DriveType(drive[0])) {
    case platform::dtFixed:
    case platform::dtRemovable:
      return L"";
    case platform::dtUnknown:
    case platform::dtNoRoot:
      return util::FormatText(L"Диска %s нет на этом компьютере.", drive);
    default:
      return util::FormatText(L"На диск %s установка невозможна: нужен жёсткий или съёмный диск.",
                              drive);
  }
}

}  // namespace pages
