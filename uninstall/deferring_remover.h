#pragma once
// The temporary copy's remover. While the copy removes, the original UnInstall.exe still runs:
// it waits for the copy's result to hand it to its caller. Its file, and the folders that hold
// nothing else once the rest has gone, count as removed and go when RemoveDeferred is called,
// after the original has ended.
#include <string>
#include <vector>

#include "uninstall/remover.h"

namespace platform { class FileSystem; }

namespace uninstall {

class DeferringRemover : public Remover {
 public:
  // `deferredFile`: the original's file; empty, nothing is deferred.
  DeferringRemover(Remover& inner, platform::FileSystem& files, std::wstring deferredFile);

  RemoveOutcome RemoveFile(const std::wstring& path) override;
  RemoveOutcome RemoveFolder(const std::wstring& path) override;
  bool RemoveAtRestart(const std::wstring& path) override { return inner_.RemoveAtRestart(path); }

  // Removes what was deferred, the file first, then its folders inside out; what will not go now
  // is left to the next restart.
  void RemoveDeferred();

 private:
  bool HoldsOnlyDeferred(const std::wstring& folder);

  Remover& inner_;
  platform::FileSystem& files_;
  std::wstring deferredFile_;
  std::vector<std::wstring> deferred_;  // in the order they were met
};

}  // namespace uninstall
