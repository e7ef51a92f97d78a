#pragma once
// A scripted unrar library for TRAR's tests: it plays back the headers and codes a test lists,
// calls the registered callbacks as a real library would, and records every call.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "archive/unrar_library.h"
#include "util/codepage.h"

namespace archive_test {

struct ScriptedEntry {
  ScriptedEntry(std::string n, unsigned f = 0, uint64_t size = 0, int code = ERAR_SUCCESS,
                std::vector<int> b = {})
      : name(std::move(n)), flags(f), unpSize(size), processCode(code), blocks(std::move(b)) {}

  std::string name;             // bytes of FileName (866); longer than 259 leaves no NUL
  std::wstring wideName;        // FileNameW; empty = the 866 name decoded, as a library gives it
  unsigned flags = 0;
  uint64_t unpSize = 0;             // both halves: UnpSize and the high half beside the record
  int processCode = ERAR_SUCCESS;   // what RARProcessFile answers for it
  std::vector<int> blocks;          // sizes of the data blocks passed to the data callback
  uint32_t crc = 0;                 // FileCRC as the header gives it
  // Another program holds the file at its place: extracting it asks the callback to leave the
  // new one for the restart, and fails unless the callback agrees.
  bool inUse = false;
};

class ScriptedUnrar : public archive::UnrarLibrary {
 public:
  unsigned openResult = ERAR_SUCCESS;
  bool handleOnFailure = false;     // a failed open still hands out a handle
  unsigned commentState = 0;
  std::string comment;
  std::vector<ScriptedEntry> entries;
  int endCode = ERAR_END_ARCHIVE;   // what RARReadHeader answers after the last entry

  std::vector<std::string> calls;   // "open", "read", "process 1 <dest>", "password x", "close", ...
  std::wstring openedName;
  unsigned openedMode = 99;
  unsigned headerCmtBufSize = 0;
  unsigned openCmtBufSize = 0;
  int dataResult = 0;               // the data callback's answer to the last block
  LPARAM userData = 0;              // what the callback was registered with

  HANDLE OpenArchive(RAROpenArchiveDataEx* data) override {
    calls.push_back("open");
    next_ = 0;  // every pass replays the script
    openedName = data->ArcNameW ? data->ArcNameW : L"";
    openedMode = data->OpenMode;
    openCmtBufSize = data->CmtBufSize;
    data->OpenResult = openResult;
    if (openResult != ERAR_SUCCESS) return handleOnFailure ? Handle() : nullptr;
    if (commentState == 1) {
      std::memcpy(data->CmtBuf, comment.data(), comment.size());
      data->CmtSize = static_cast<unsigned>(comment.size());
    }
    data->CmtState = commentState;
    return Handle();
  }
  int CloseArchive(HANDLE h) override {
    calls.push_back(h == Handle() ? "close" : "close ?");
    return ERAR_SUCCESS;
  }
  int ReadHeader(HANDLE, RARHeaderData* header, archive::HeaderExtras* extras) override {
    calls.push_back("read");
    headerCmtBufSize = header->CmtBufSize;
    *extras = archive::HeaderExtras();
    if (next_ >= entries.size()) return endCode;
    const ScriptedEntry& e = entries[next_];
    std::memset(header->FileName, 0, sizeof header->FileName);
    std::memcpy(header->FileName, e.name.data(), std::min(e.name.size(), sizeof header->FileName));
    header->Flags = e.flags;
    header->FileCRC = e.crc;
    header->UnpSize = static_cast<unsigned>(e.unpSize);
    extras->unpSizeHigh = static_cast<unsigned>(e.unpSize >> 32);
    extras->fileNameW = e.wideName.empty() ? util::FromCp866(e.name) : e.wideName;
    return ERAR_SUCCESS;
  }
  int ProcessFile(HANDLE, int operation, const wchar_t* destPath) override {
    std::string call = "process " + std::to_string(operation);
    if (destPath) call += " " + Narrow(destPath);
    calls.push_back(call);
    const ScriptedEntry& e = entries.at(next_++);
    if (operation != RAR_SKIP && callback_) {
      std::vector<unsigned char> block;
      for (int size : e.blocks) {
        block.assign(static_cast<size_t>(size), 0x5a);
        dataResult = callback_(UCM_PROCESSDATA, userData, reinterpret_cast<LPARAM>(block.data()),
                               size);
        if (dataResult == -1) return ERAR_UNKNOWN;  // cancelled by the callback
      }
    }
    if (operation == RAR_EXTRACT && e.inUse) {
      const std::wstring held = (destPath ? destPath : L"") + (e.wideName.empty() ? util::FromCp866(e.name) : e.wideName);
      const std::wstring waiting = held + L".new";
      const int answer = callback_ ? callback_(UCM_REPLACEATRESTART, userData,
                                               reinterpret_cast<LPARAM>(held.c_str()),
                                               reinterpret_cast<LPARAM>(waiting.c_str()))
                                   : 0;
      if (answer != 1) return ERAR_ECREATE;
    }
    return operation == RAR_SKIP ? ERAR_SUCCESS : e.processCode;
  }
  void SetPassword(HANDLE, const char* password) override {
    calls.push_back(std::string("password ") + password);
  }
  void SetCallback(HANDLE, UNRARCALLBACK callback, LPARAM data) override {
    calls.push_back("callback");
    callback_ = callback;
    userData = data;
  }

  // Asks the registered callback, as the library does when a volume is missing.
  int AskVolume(char* name, int mode) {
    return callback_ ? callback_(UCM_CHANGEVOLUME, userData, reinterpret_cast<LPARAM>(name), mode)
                     : -100;
  }

  size_t Count(const std::string& call) const {
    size_t n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }

 private:
  HANDLE Handle() { return this; }
  static std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; *s; ++s) out += *s < 128 ? static_cast<char>(*s) : '?';
    return out;
  }
  size_t next_ = 0;
  UNRARCALLBACK callback_ = nullptr;
};

}  // namespace archive_test

namespace archive_test {

// A medium of scripted archives by full path: opening a name it lacks fails as a missing file.
class ScriptedMedium : public archive::UnrarLibrary {
 public:
  ScriptedUnrar& Archive(const std::wstring& path) { return archives_[path]; }
  std::vector<std::wstring> opened;  // every name asked for, in order

  HANDLE OpenArchive(RAROpenArchiveDataEx* data) override {
    opened.push_back(data->ArcNameW ? data->ArcNameW : L"");
    auto it = archives_.find(opened.back());
    if (it == archives_.end()) {
      data->OpenResult = ERAR_EOPEN;
      return nullptr;
    }
    return it->second.OpenArchive(data);
  }
  int CloseArchive(HANDLE h) override { return Of(h).CloseArchive(h); }
  int ReadHeader(HANDLE h, RARHeaderData* header, archive::HeaderExtras* extras) override {
    return Of(h).ReadHeader(h, header, extras);
  }
  int ProcessFile(HANDLE h, int op, const wchar_t* dest) override {
    return Of(h).ProcessFile(h, op, dest);
  }
  void SetPassword(HANDLE h, const char* pw) override { Of(h).SetPassword(h, pw); }
  void SetCallback(HANDLE h, UNRARCALLBACK callback, LPARAM data) override {
    Of(h).SetCallback(h, callback, data);
  }

 private:
  static ScriptedUnrar& Of(HANDLE h) { return *static_cast<ScriptedUnrar*>(h); }
  std::map<std::wstring, ScriptedUnrar> archives_;
};

}  // namespace archive_test
