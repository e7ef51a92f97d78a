#pragma once
// What Setup.exe tells its caller by its exit code. The values are part of the command-line
// interface administrators script against: they never change (README lists them).
namespace app {

enum class ExitCode : int {
  Done = 0,
  Failed = 1,                // an error the wizard shows in its general error box
  BadArgument = 2,           // an unknown, repeated or malformed option, or an unknown name
  NotAdministrator = 3,
  DamagedMedium = 4,         // an archive failed its test: nothing was written
  AgreementNotAccepted = 5,
  RefusedDestination = 6,    // the destination page refuses the folder, or too little space
  CopyFailed = 7,            // files that could not be copied, or shortcuts/entry not made
  AnotherInstallation = 1618,  // another installation or removal runs: nothing was done
  RestartNeeded = 3010,      // done; the installation waits for the restart
};

}  // namespace app
