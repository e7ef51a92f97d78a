#pragma once
// TRAR tests or extracts one RAR archive at a time through the unrar library. Each of Test and
// Extract walks every entry, blocking the caller, and reports through events raised from inside
// the pass. The component shows nothing: the background window's handlers do.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive/file_list.h"
#include "archive/message_pump.h"
#include "archive/unrar_library.h"

namespace archive {

class TRAR;

// The archive comment as the library reported it.
struct TComment {
  int CmtSize = 0;
  char Comment[65536] = {};
};

using TProcessDataProcN = std::function<int(TRAR& Sender, unsigned char* Addr, int BlockSize, int Position)>;
using TChangeVolProcN = std::function<int(TRAR& Sender, char* ArcName, int Mode)>;
using TErrorProc = std::function<void(TRAR& Sender, int Error)>;
using TCommentProc = std::function<void(TRAR& Sender, const TComment& Comment)>;
using TFileBeingExtracted = std::function<void(TRAR& Sender, RARHeaderData eFile)>;
using TFileBeingTested = std::function<void(TRAR& Sender, RARHeaderData eFile)>;
using TFileExtracted = std::function<void(TRAR& Sender, RARHeaderData eFile, bool Result)>;
using TFileTested = std::function<void(TRAR& Sender, RARHeaderData eFile, bool Result)>;
using TReqPassword = std::function<void(TRAR& Sender, RARHeaderData eFile, std::string& Password)>;

class TRAR {
 public:
  using Clock = ThrottledPump::Clock;
  // `clock` times the message pump (tests set their own).
  explicit TRAR(UnrarLibrary& library = RealUnrarLibrary(), Clock clock = std::chrono::steady_clock::now);
  TRAR(const TRAR&) = delete;
  TRAR& operator=(const TRAR&) = delete;

  // Properties.
  std::wstring ArchiveName;  // full path of the archive
  std::wstring TargetDir;    // destination of Extract; empty = the library's default
  bool Stop = false;         // ends the running pass before its next entry
  // Extract leaves a file for the restart where a file in use stands at an entry's place;
  // otherwise that entry fails.
  bool ReplaceInUseAtRestart = false;

  const FileList& FilesToExtract() const { return files_to_extract_; }
  const FileList& FilesToTest() const { return files_to_test_; }
  // Copies the names; an empty list means every entry.
  void SetFilesToExtract(const std::vector<std::wstring>& names) { files_to_extract_.Assign(names); }
  void SetFilesToTest(const std::vector<std::wstring>& names) { files_to_test_.Assign(names); }

  // Events; an unassigned one is not raised.
  TProcessDataProcN OnProcessData;
  TChangeVolProcN OnVolumeChange;
  TErrorProc OnError;
  TCommentProc OnComment;
  TFileBeingExtracted OnExtracting;
  TFileExtracted OnExtract;
  TFileBeingTested OnTesting;
  TFileTested OnTested;
  TReqPassword OnReqPassword;

  // Where pending window messages are processed during a pass: after the event before each
  // entry, after the event after it and for every unpacked block, at most every 50 ms;
  // null = nowhere.
  void SetMessagePump(MessagePump* pump) { pump_.SetPump(pump); }
  // Lets that pump run now if 50 ms have passed since it last did (a caller between passes).
  void ProcessMessagesDue() { pump_.Poll(); }

  // True when nothing failed. An exception thrown by an event handler ends the pass (the
  // archive is closed) and leaves it to the caller.
  bool Test();
  bool Extract();

  // The whole unpacked size of the entry the events are raised for: the header record holds
  // only its low 32 bits.
  uint64_t EntryUnpSize() const { return entry_unp_size_; }
  // The name of that entry in Unicode (the library's FileNameW): the header record holds it only
  // in code page 866, where names in other scripts, dashes, quotes and the euro sign turn into
  // "?". Everything built or shown from an entry's name uses this one.
  const std::wstring& EntryNameW() const { return entry_name_w_; }
  // Of an entry extracted while a file in use stood at its place: its complete file, which
  // replaces that one when Windows next starts. Empty for every other entry.
  const std::wstring& EntryWaitingFile() const { return entry_waiting_file_; }

 private:
  enum class Pass { Test, Extract };
  struct PassState;

  bool Run(Pass pass);
  bool WalkEntries(Pass pass, PassState& state);
  void RaiseError(int code);
  void RethrowCallbackFailure();

  // The library's callback; its user data is the component running the pass.
  static int CALLBACK LibraryCallback(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2);
  int OnLibraryVolume(char* arcName, int mode);
  int OnLibraryData(unsigned char* addr, int size);

  UnrarLibrary& library_;
  FileList files_to_extract_;
  FileList files_to_test_;
  ThrottledPump pump_;
  int32_t position_ = 0;                  // unpacked bytes of the entry being processed
  uint64_t entry_unp_size_ = 0;           // of the entry the events are raised for
  std::wstring entry_name_w_;             // of the entry the events are raised for
  std::wstring entry_waiting_file_;       // of the entry the events are raised for
  std::exception_ptr callback_failure_;   // thrown inside a library callback, rethrown after it
};

// Lets the given work process pending window messages during the passes run while it lives.
class ScopedMessagePump : public MessagePump {
 public:
  ScopedMessagePump(TRAR& rar, std::function<void()> processMessages)
      : rar_(rar), process_(std::move(processMessages)) {
    rar_.SetMessagePump(this);
  }
  ~ScopedMessagePump() override { rar_.SetMessagePump(nullptr); }
  ScopedMessagePump(const ScopedMessagePump&) = delete;
  ScopedMessagePump& operator=(const ScopedMessagePump&) = delete;

  void ProcessPendingMessages() override { process_(); }

 private:
  TRAR& rar_;
  std::function<void()> process_;
};

}  // namespace archive
