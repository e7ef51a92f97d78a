#include "pages/get_path.h"

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "util/paths.h"
#include "util/strings.h"

namespace pages {
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

// The drive of a full path as the reason line names it: its letter in capitals and the colon.
std::wstring DriveName(const std::wstring& path) {
  return std::wstring(1, static_cast<wchar_t>(path[0] & ~0x20)) + L":";
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
    case util::PathFault::kDriveRoot:
      return util::FormatText(L"Корень диска %s не подходит: укажите каталог на этом диске.",
                              DriveName(check.name) + L"\\");
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
  const std::wstring refusal = RefusalOf(edPath.text);
  btNext.enabled = refusal.empty();
  lbPathError.text = refusal.empty() ? WarningOf(edPath.text) : refusal;
  lbPathError.color = refusal.empty() ? kMaroon : kRed;
  lbPathError.visible = !lbPathError.text.empty();
}

std::wstring TfmGetPath::WarningOf(const std::wstring& folder) const {
  const std::wstring path = util::WithoutTrailingBackslash(folder);
  if (model_.Files().Kind(path) != platform::PathKind::Directory || !model_.System().OthersMayChange(path))
    return L"";
  return L"Внимание: содержимое этого каталога могут изменять обычные пользователи.";
}

std::wstring TfmGetPath::FileInTheWay(const std::wstring& folder) const {
  // A file where a folder of the path would be: nothing could be made there.
  const std::wstring path = util::WithoutTrailingBackslash(folder);
  for (size_t end = path.find(L'\\', 3);; end = path.find(L'\\', end + 1)) {
    const std::wstring level = path.substr(0, end);
    if (model_.Files().Kind(level) == platform::PathKind::File)
      return util::FormatText(L"Вместо каталога %s на диске файл: укажите другой каталог.",
                              Shortened(level));
    if (end == std::wstring::npos) return L"";
  }
}

std::wstring TfmGetPath::RefusalOf(const std::wstring& folder) const {
  const util::PathCheck check = util::CheckDestinationFolder(folder);
  if (check.fault != util::PathFault::kNone) return FaultText(check);
  // What the installation leaves to be started must stay within the path Windows starts from.
  const size_t longest = util::AddBackslash(folder).size() + model_.LongestStartedName();
  if (longest > util::kMaxStartedPath)
    return util::FormatText(
        L"Путь слишком длинный: Windows не запустит из него программы (лишних знаков: %s).",
        std::to_wstring(longest - util::kMaxStartedPath));
  const std::wstring drive = DriveName(folder);
  switch (drives_.DriveType(drive[0])) {
    case platform::dtFixed:
    case platform::dtRemovable:
      return FileInTheWay(folder);
    case platform::dtUnknown:
    case platform::dtNoRoot:
      return util::FormatText(L"Диска %s нет на этом компьютере.", drive);
    default:
      return util::FormatText(L"На диск %s установка невозможна: нужен жёсткий или съёмный диск.",
                              drive);
  }
}

}  // namespace pages
