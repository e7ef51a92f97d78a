#pragma once
// Setup.exe started with arguments: the list (/?), a refused line, or the unattended run.
#include "app/command_line.h"
#include "app/exit_code.h"

namespace app {

// For a line that is not the wizard's (a fault, /?, /SILENT or /VERYSILENT): does what it asks
// and returns the exit code. A fault is shown in a box (with the list) only when the line does
// not ask for a run without windows; it always goes to the log when one is named.
ExitCode RunFromCommandLine(const ParsedCommandLine& parsed);

}  // namespace app
