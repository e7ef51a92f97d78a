#pragma once
// The options of an unattended run, read from Setup.exe's command line (the part after the
// program's name). Options start with "/", their names are case-blind, a value follows "=" and
// may be quoted ("/DIR="C:\Program files\Sketrion""; no escapes, so a trailing backslash stays).
#include <string>
#include <vector>

namespace app {

struct SetupOptions {
  bool silent = false;       // /SILENT
  bool verySilent = false;   // /VERYSILENT
  bool help = false;         // /?
  std::wstring dir;          // /DIR=; empty: the default destination
  bool allGroups = false;    // /GROUPS=*
  std::vector<std::wstring> groups;  // /GROUPS=key,key; empty (and not all): the default groups
  std::wstring acad;         // /ACAD=; empty: the graphic editor page's first release
  std::wstring profile;      // /PROFILE=; empty: the profile the page proposes
  bool bde = false;          // /BDE
  bool allUsers = false;     // /ALLUSERS
  bool restart = false;      // /RESTART
  bool noRestart = false;    // /NORESTART
  bool acceptAgreement = false;  // /ACCEPTAGREEMENT
  std::wstring log;          // /LOG=
  std::wstring saveInf;      // /SAVEINF=: the answers given are written there
  std::wstring loadInf;      // /LOADINF=: the answers are taken from there

  bool Unattended() const { return silent || verySilent; }
};

struct ParsedCommandLine {
  SetupOptions options;  // what the sound arguments say, a faulty line's too
  std::wstring fault;    // empty when the line is sound; else its first fault
};

// Sound: every argument a known option given once, with a value exactly when it takes one;
// /RESTART and /NORESTART not together; and /? alone unless the run is unattended.
ParsedCommandLine ParseCommandLine(const std::wstring& commandLine);

// Stores one option of the command line's table ("/DIR") with its value (empty for a flag) into
// *options; the fault when the value does not fit. The answer file's values go through it too.
std::wstring StoreOption(const std::wstring& name, const std::wstring& value,
                         SetupOptions* options);

// True when the line starts the wizard: it asks neither for a run without windows nor for the
// list. The wizard reads no argument but /SAVEINF, so whatever else the line holds (a shortcut's
// or a launcher's leftovers, a fault) is ignored.
bool StartsTheWizard(const ParsedCommandLine& parsed);

// The options as /? lists them, one per line.
std::wstring UsageText();

}  // namespace app
