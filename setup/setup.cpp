#include "setup/setup.h"

#include <cstdint>
#include <cwchar>
#include <limits>

#include "formats/install_log.h"
#include "formats/uninstall_record.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "util/paths.h"

namespace setup {
namespace {

// Sizes and counts are 32-bit: a sum past the limit stays at the limit instead of wrapping to
// a negative number that would pass as "fits the free space".
int32_t Clamped(int64_t sum) {
  const int64_t max = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(sum > max ? max : sum);
}

}  // namespace

int32_t ClampedSize(int64_t bytes) { return Clamped(bytes < 0 ? 0 : bytes); }

int64_t SaturatedAdd(int64_t sum, int64_t bytes) {
  const int64_t max = std::numeric_limits<int64_t>::max();
  if (bytes <= 0) return sum;
  return sum > max - bytes ? max : sum + bytes;
}

TSetupDescription::TSetupDescription(platform::FileSystem* files, platform::System& system)
    : FGroups(new TSetupListGroup(this)),
      files_(files),
      system_(system),
      longest_started_name_(std::wcslen(formats::kUninstallerName)) {
  FSetupDir = util::FolderOf(system_.ModulePath());
}

TSetupDescription::~TSetupDescription() = default;

TSetup::TSetup(const SetupPlatform& Platform)
    : TSetupDescription(Platform.files, *Platform.system), platform_(Platform) {}

TSetup::~TSetup() = default;

formats::InstallLog& TSetup::Log() {
  if (!log_) log_ = std::make_unique<formats::InstallLog>(Files());
  return *log_;
}

bool TSetup::HasAdminRights() {
  try {
    return Registry().OpenKey(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Full) ==
           platform::RegStatus::Ok;
  } catch (...) {
    return false;
  }
}

int32_t TSetup::GetSelectedFileCount() const {
  int64_t sum = 0;
  for (const auto& group : FGroups->FList)
    if (group->FSelected) sum += group->FFileCount;
  return Clamped(sum);
}

int32_t TSetup::GetSelectedSize() const { return Clamped(GetSelectedSize64()); }

int64_t TSetup::GetSelectedSize64() const {
  int64_t sum = 0;
  for (const auto& group : FGroups->FList)
    if (group->FSelected) sum = SaturatedAdd(sum, group->FSize64);
  return sum;
}

int64_t TSetup::GetDestFreeSpace() {
  if (FDestDir.empty()) return -1;
  try {
    return System().FreeSpace(std::wstring(1, FDestDir[0]) + L":\\");
  } catch (...) {
    return -1;
  }
}

bool TSetup::QueryCancel(void* Owner) {
  return MessageBoxes().Show(Owner, L"Прекратить установку программы?", FCaption,
                             platform::MsgButtons::YesNo, platform::MsgIcon::Question) ==
         platform::MsgAnswer::Yes;
}

void TSetup::ShowMsg(void* Owner, const std::wstring& Text) {
  MessageBoxes().Show(Owner, Text, FCaption, platform::MsgButtons::OkCancel, platform::MsgIcon::None);
}

}  // namespace setup
