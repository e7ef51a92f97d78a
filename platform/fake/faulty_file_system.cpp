#include "platform/fake/faulty_file_system.h"

#include <algorithm>

namespace platform {
namespace {

class FaultyFile : public WritableFile {
 public:
  FaultyFile(std::unique_ptr<WritableFile> inner, int64_t* space, const bool* refuseFlush)
      : inner_(std::move(inner)), space_(space), refuseFlush_(refuseFlush) {}
  bool Write(const void* data, size_t n) override {
    if (*space_ >= 0) {
      if (static_cast<uint64_t>(*space_) < n) {
        // A full disk takes what fits, then refuses.
        inner_->Write(data, static_cast<size_t>(*space_));
        *space_ = 0;
        return false;
      }
      *space_ -= static_cast<int64_t>(n);
    }
    return inner_->Write(data, n);
  }
  bool Flush() override { return !*refuseFlush_ && inner_->Flush(); }
  bool Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<WritableFile> inner_;
  int64_t* space_;
  const bool* refuseFlush_;
};

}  // namespace

bool FaultyFileSystem::MakeDirectory(const std::wstring& path) {
  if (refuse_directory) return inner_.Kind(path) == PathKind::Directory;
  return inner_.MakeDirectory(path);
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateNew(const std::wstring& path) {
  if (refuse_create) return nullptr;
  return Watched(inner_.CreateNew(path));
}

std::unique_ptr<WritableFile> FaultyFileSystem::OpenAppend(const std::wstring& path) {
  if (refuse_create) return nullptr;
  return Watched(inner_.OpenAppend(path));
}

std::unique_ptr<WritableFile> FaultyFileSystem::Watched(std::unique_ptr<WritableFile> file) {
  if (!file) return nullptr;
  return std::make_unique<FaultyFile>(std::move(file), &disk_space, &refuse_flush);
}

bool FaultyFileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  if (refuse_rename || Held(to)) return false;
  return inner_.Replace(from, to);
}

bool FaultyFileSystem::Held(const std::wstring& path) const {
  auto unified = [](std::wstring p) {
    std::replace(p.begin(), p.end(), L'/', L'\\');
    return p;
  };
  for (const std::wstring& held : in_use)
    if (unified(held) == unified(path)) return true;
  return false;
}

bool FaultyFileSystem::ReplaceAtRestart(const std::wstring& from, const std::wstring& to) {
  if (refuse_restart) return false;
  at_restart.emplace_back(from, to);
  return true;
}

}  // namespace platform
