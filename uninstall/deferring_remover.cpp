#include "uninstall/deferring_remover.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "util/codepage.h"

namespace uninstall {

DeferringRemover::DeferringRemover(Remover& inner, platform::FileSystem& files, std::wstring deferredFile)
    : inner_(inner), files_(files), deferredFile_(std::move(deferredFile)) {}

RemoveOutcome DeferringRemover::RemoveFile(const std::wstring& path) {
  if (deferredFile_.empty() || !util::EqualsNoCase(path, deferredFile_)) return inner_.RemoveFile(path);
  deferred_.push_back(path);
  return RemoveOutcome::Removed;
}

RemoveOutcome DeferringRemover::RemoveFolder(const std::wstring& path) {
  const RemoveOutcome outcome = inner_.RemoveFolder(path);
  if (outcome != RemoveOutcome::NotEmpty || deferred_.empty() || !HoldsOnlyDeferred(path)) return outcome;
  deferred_.push_back(path);
  return RemoveOutcome::Removed;
}

bool DeferringRemover::HoldsOnlyDeferred(const std::wstring& folder) {
  bool others = false;
  const bool listed = files_.List(folder, [&](const platform::DirectoryEntry& entry) {
    const std::wstring path = folder + L"\\" + entry.name;
    others = std::none_of(deferred_.begin(), deferred_.end(),
                          [&](const std::wstring& deferred) { return util::EqualsNoCase(deferred, path); });
    return !others;
  });
  return listed && !others;
}

void DeferringRemover::RemoveDeferred() {
  for (size_t i = 0; i < deferred_.size(); ++i) {
    const std::wstring& path = deferred_[i];
    // The first is the file; the folders follow it, each after those inside it.
    const RemoveOutcome outcome = i == 0 ? inner_.RemoveFile(path) : inner_.RemoveFolder(path);
    if (outcome != RemoveOutcome::Removed && outcome != RemoveOutcome::Missing) inner_.RemoveAtRestart(path);
  }
  deferred_.clear();
}

}  // namespace uninstall
