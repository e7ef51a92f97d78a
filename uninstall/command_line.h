#pragma once
// UnInstall.exe's command line (the arguments after the program's name, as Windows splits them).
// The uninstall entry starts it with /UNINSTALL; an administrator adds /SILENT or /VERYSILENT and
// /LOG="file". The temporary copy it hands the work to (hand_over.h) is started with /FOR,
// /STARTER and /RESULT besides. Names are case-blind, a value follows "=".
#include <cstdint>
#include <string>
#include <vector>

namespace uninstall {

struct UninstallOptions {
  bool uninstall = false;   // /UNINSTALL
  bool silent = false;      // /SILENT
  bool verySilent = false;  // /VERYSILENT
  std::wstring log;         // /LOG=
  // The hand-over: the installation's folder, the starter's process id and the channel of the
  // starter's result. All three or none.
  std::wstring forFolder;   // /FOR=
  uint32_t starter = 0;     // /STARTER=
  std::wstring result;      // /RESULT=

  bool Unattended() const { return silent || verySilent; }
  bool IsCopy() const { return !forFolder.empty(); }
};

struct ParsedArguments {
  UninstallOptions options;  // what the sound arguments say, a faulty line's too
  std::wstring fault;        // empty when the line is sound; else its first fault
};

// Sound: /UNINSTALL and every other argument a known option given once, with a value exactly
// when it takes one; /FOR a plain full path, /STARTER and /RESULT numbers, the three together.
ParsedArguments ParseArguments(const std::vector<std::wstring>& arguments);

// The arguments of the temporary copy, but for its /RESULT=: /UNINSTALL, the hand-over's /FOR and
// /STARTER, and the run's own /SILENT, /VERYSILENT and /LOG.
std::wstring CopyArguments(const UninstallOptions& options, const std::wstring& destination, uint32_t starter);

// The options as a refused line's message lists them.
std::wstring UsageText();

}  // namespace uninstall
