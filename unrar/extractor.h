#pragma once
// Tests and extracts the entries of an open archive: decrypts, unpacks (stored data here, the
// rest through the decoders), checks the checksum, and writes only inside the destination.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "unrar/archive.h"
#include "unrar/unpack.h"

namespace unrar {

struct ProcessRequest {
  int operation = 0;  // RAR_SKIP, RAR_TEST or RAR_EXTRACT
  bool has_dest_path = false;
  std::wstring dest_path;  // folder the entry's name is placed under
  bool has_dest_name = false;
  std::wstring dest_name;  // full name of the file to write, instead of the entry's name
};

// The entry's modification, creation and access times as UTC FILETIMEs (0 when not stored).
void EntryTimesUtc(const Entry& entry, uint64_t times[3]);

// Every unpacked block, in order; false stops the operation.
using DataHandler = std::function<bool(const uint8_t* data, size_t n)>;
// A file in use stands where an entry goes: true lets `waiting`, the entry's complete file beside
// it, replace `target` when the system next starts.
using ReplaceAtRestartAsk = std::function<bool(const std::wstring& target, const std::wstring& waiting)>;

class Extractor {
 public:
  Extractor(Archive& archive, platform::FileSystem& fs, bool open_for_extract,
            ReplaceAtRestartAsk replace_at_restart = {})
      : archive_(archive), fs_(fs), open_for_extract_(open_for_extract),
        replace_at_restart_(std::move(replace_at_restart)) {}

  // Returns an ERAR_* code.
  int Process(const Entry& entry, const ProcessRequest& request, const DataHandler& on_data);

 private:
  class Output;
  int Decode(const Entry& entry, Output* output, const DataHandler& on_data, std::string* link_data);
  int TargetPath(const Entry& entry, const ProcessRequest& request, bool directory, std::wstring* path);
  int CopyReference(const Entry& entry, const ProcessRequest& request, Output* output, const DataHandler& on_data);
  void DecodeSkippedSolidEntry(const Entry& entry);
  bool MakeFolders(const std::wstring& path);
  Unpacker* UnpackerFor(int version);

  Archive& archive_;
  platform::FileSystem& fs_;
  bool open_for_extract_;
  ReplaceAtRestartAsk replace_at_restart_;
  // One decoder per decoder family for the archive's life: a solid archive's state carries over.
  std::map<int, std::unique_ptr<Unpacker>> unpackers_;
};

}  // namespace unrar
