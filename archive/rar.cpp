#include "archive/rar.h"

#include <memory>

namespace archive {

namespace {

constexpr unsigned kCommentBufferSize = 65536;
// Offered to the library one byte short of the buffer, for the terminating NUL.
constexpr unsigned kCommentLimit = kCommentBufferSize - 1;
constexpr unsigned kEncryptedFlag = 4;

// Closes the archive however the pass ends, an exception from a handler included.
class OpenArchive {
 public:
  OpenArchive(UnrarLibrary& library, HANDLE handle) : library_(library), handle_(handle) {}
  ~OpenArchive() { Close(); }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;

  HANDLE Handle() const { return handle_; }
  void Close() {
    if (handle_) library_.CloseArchive(handle_);
    handle_ = nullptr;
  }

 private:
  UnrarLibrary& library_;
  HANDLE handle_;
};

}  // namespace

// What one pass owns for its duration only.
struct TRAR::PassState {
  std::unique_ptr<TComment> comment = std::make_unique<TComment>();
  RAROpenArchiveDataEx open{};
  RARHeaderData header{};
  HeaderExtras extras;
  std::string password;  // kept from one entry to the next
  bool result = true;
};

int CALLBACK TRAR::LibraryCallback(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2) {
  TRAR& self = *reinterpret_cast<TRAR*>(userData);
  // The events answer as the older per-kind procedures did, where 0 stops too; the callback
  // stops only at -1.
  auto stopAtZero = [](int answer) { return answer == 0 ? -1 : answer; };
  switch (msg) {
    case UCM_CHANGEVOLUME:
      return stopAtZero(self.OnLibraryVolume(reinterpret_cast<char*>(p1), static_cast<int>(p2)));
    case UCM_PROCESSDATA:
      return stopAtZero(
          self.OnLibraryData(reinterpret_cast<unsigned char*>(p1), static_cast<int>(p2)));
    case UCM_CHANGEVOLUMEW:
      return 0;  // the name is left as it is: the narrow message follows
    case UCM_REPLACEATRESTART:
      if (!self.ReplaceInUseAtRestart) return -1;
      self.entry_waiting_file_ = reinterpret_cast<const wchar_t*>(p2);
      return 1;
    default:
      return -1;  // passwords are set before each encrypted entry, never asked for
  }
}

TRAR::TRAR(UnrarLibrary& library, Clock clock)
    : library_(library), pump_(std::chrono::milliseconds(50), std::move(clock)) {}

bool TRAR::Test() { return Run(Pass::Test); }

bool TRAR::Extract() { return Run(Pass::Extract); }

void TRAR::RaiseError(int code) {
  if (OnError) OnError(*this, code);
}

bool TRAR::Run(Pass pass) {
  if (ArchiveName.empty()) {
    RaiseError(ERAR_BAD_ARCHIVE);
    return false;
  }
  callback_failure_ = nullptr;

  PassState state;
  state.open.ArcNameW = const_cast<wchar_t*>(ArchiveName.c_str());
  state.open.OpenMode = RAR_OM_EXTRACT;  // testing too
  state.open.CmtBuf = state.comment->Comment;
  state.open.CmtBufSize = kCommentLimit;
  OpenArchive archive(library_, library_.OpenArchive(&state.open));
  state.comment->CmtSize = static_cast<int>(state.open.CmtSize);

  if (state.open.OpenResult != ERAR_SUCCESS || !archive.Handle()) {
    archive.Close();
    // A library that hands back no handle yet claims success still failed to open.
    RaiseError(state.open.OpenResult != ERAR_SUCCESS ? static_cast<int>(state.open.OpenResult)
                                                     : ERAR_EOPEN);
    return false;
  }
  if (state.open.CmtState == 1 && OnComment) OnComment(*this, *state.comment);
  state.header.CmtBuf = state.comment->Comment;
  state.header.CmtBufSize = kCommentLimit;
  // Registered for both passes: besides OnProcessData it keeps the windows painted during a
  // long entry.
  library_.SetCallback(archive.Handle(), &TRAR::LibraryCallback, reinterpret_cast<LPARAM>(this));

  const bool testing = pass == Pass::Test;
  const FileList& only = testing ? files_to_test_ : files_to_extract_;
  const wchar_t* dest = (!testing && !TargetDir.empty()) ? TargetDir.c_str() : nullptr;

  for (;;) {
    const int read = library_.ReadHeader(archive.Handle(), &state.header, &state.extras);
    if (read != ERAR_SUCCESS) {
      // Only the archive's own end is a clean finish. A broken header, a missing volume or
      // headers that cannot be decrypted leave entries unread, so the pass has failed: a
      // medium like that must not pass the test and then be installed in part.
      if (read != ERAR_END_ARCHIVE) {
        state.result = false;
        RaiseError(read);
      }
      break;
    }
    entry_unp_size_ = uint64_t{state.extras.unpSizeHigh} << 32 | state.header.UnpSize;
    entry_name_w_ = std::move(state.extras.fileNameW);
    if (Stop) {
      Stop = false;
      break;
    }
    if (!only.Empty() && !only.Contains(entry_name_w_)) {
      const int skipped = library_.ProcessFile(archive.Handle(), RAR_SKIP, dest);
      RethrowCallbackFailure();
      if (skipped == ERAR_SUCCESS) continue;
      state.result = false;
      RaiseError(skipped);
      break;
    }

    if (testing) {
      if (OnTesting) OnTesting(*this, state.header);
    } else {
      if (OnExtracting) OnExtracting(*this, state.header);
    }
    pump_.Poll();
    position_ = 0;
    entry_waiting_file_.clear();
    if ((state.header.Flags & kEncryptedFlag) && OnReqPassword) {
      OnReqPassword(*this, state.header, state.password);
      if (!state.password.empty()) library_.SetPassword(archive.Handle(), state.password.c_str());
    }

    const int code = library_.ProcessFile(archive.Handle(), testing ? RAR_TEST : RAR_EXTRACT, dest);
    RethrowCallbackFailure();
    const bool ok = code == ERAR_SUCCESS;
    if (testing) {
      if (OnTested) OnTested(*this, state.header, ok);
    } else {
      if (OnExtract) OnExtract(*this, state.header, ok);
    }
    pump_.Poll();
    if (ok) continue;
    state.result = false;
    RaiseError(code);
    // A damaged entry or one that cannot be created spoils only itself.
    if (code != ERAR_BAD_DATA && code != ERAR_ECREATE) break;
  }
  return state.result;
}

// A handler's exception cannot unwind through the library's frames: the callback keeps it and
// cancels the entry, and the pass rethrows it here, once the library has returned.
void TRAR::RethrowCallbackFailure() {
  if (!callback_failure_) return;
  std::exception_ptr failure = callback_failure_;
  callback_failure_ = nullptr;
  std::rethrow_exception(failure);
}

int TRAR::OnLibraryVolume(char* arcName, int mode) {
  // Without a handler a missing volume cannot be found; a notice goes on.
  if (!OnVolumeChange) return mode == RAR_VOL_ASK ? -1 : 1;
  if (callback_failure_) return -1;
  try {
    return OnVolumeChange(*this, arcName, mode);
  } catch (...) {
    callback_failure_ = std::current_exception();
    return -1;
  }
}

int TRAR::OnLibraryData(unsigned char* addr, int size) {
  if (callback_failure_) return 0;
  try {
    position_ = static_cast<int32_t>(static_cast<uint32_t>(position_) + static_cast<uint32_t>(size));
    pump_.Poll();
    return OnProcessData ? OnProcessData(*this, addr, size, position_) : 1;
  } catch (...) {
    callback_failure_ = std::current_exception();
    return 0;
  }
}

}  // namespace archive
