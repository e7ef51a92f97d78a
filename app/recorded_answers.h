#pragma once
// /SAVEINF and /LOADINF over the file layer: which answers an installation gave, when they count
// as given, and the answer file written or read with its faults told.
#include <functional>
#include <string>

#include "app/chain.h"
#include "app/command_line.h"

namespace platform { class FileSystem; }
namespace setup { class TSetup; }

namespace app {

struct WizardPages;

// Runs the chain (RunChain) and has the answers recorded once the installation has used them
// (the copy page reached): `record` is called when the finish page's turn comes (before its
// restart), and at the end when the chain ended elsewhere since (cancelled after the copying).
// Without `record` it is RunChain.
void RunChainRecordingAnswers(PageShower& shower, const std::function<bool()>& hasAcad,
                              const std::function<void()>& record);

// The answers the pages took: the destination, the groups chosen (their keys), the AutoCAD
// product when the graphic editor page was shown and its profile when one was configured, and
// whether BDE's setup was started; `forAllUsers` as given.
SetupOptions AnswersGiven(const setup::TSetup& model, const WizardPages& pages, bool forAllUsers);

// Writes the answer file; the fault naming the file, empty when it was written.
std::wstring SaveAnswers(platform::FileSystem& files, const std::wstring& path,
                         const SetupOptions& answers, bool withAllUsers);
// Reads the answer file into *answers; the fault naming the file (and the line), empty when it
// was read whole.
std::wstring LoadAnswers(platform::FileSystem& files, const std::wstring& path,
                         SetupOptions* answers);

}  // namespace app
