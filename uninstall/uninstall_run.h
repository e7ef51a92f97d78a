#pragma once
// UnInstall.exe's whole run over the platform interfaces: its command line, the hand-over to the
// temporary copy and the wait for the copy's result, the removal itself (with the user's answers,
// or under /SILENT and /VERYSILENT without a window: the question "Удалить ...?" counts as Yes,
// the retry of files in use as "Пропустить", each message and each thing kept goes to the log)
// and the exit code, logged last. /SILENT shows no more than /VERYSILENT for now.
#include <string>
#include <vector>

#include "uninstall/exit_code.h"
#include "uninstall/uninstaller.h"

namespace platform { class System; }

namespace uninstall {

// `arguments`: those after the program's name. `platform.messageBoxes` are the user's, shown
// unless the line asks for a run without windows.
ExitCode RunUninstall(const std::vector<std::wstring>& arguments, platform::System& system,
                      const UninstallPlatform& platform);

}  // namespace uninstall
