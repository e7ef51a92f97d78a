#pragma once
// The demo installation as scenarios run it: a medium written from the demo's own Setup.ini,
// agreement and content (archives made by the test writer, the font in place of the drawing
// font), and the walk through every page with the defaults, no restart at the end.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {

// Where the demo installs by default.
inline constexpr wchar_t kDemoDest[] = L"C:\\Program files\\Sketrion Software\\Sketrion 7_2\\";

// Files as an archive stores them: UTF-8 names, '/' separated, and their bytes.
using Files = std::vector<std::pair<std::string, std::string>>;
// The demo's content by group folder ("base", "samples", "docs").
using DemoContent = std::map<std::string, Files>;

// Writes the demo medium; `baseExtras` go into the base archive beside its content, as a
// vendor's medium carries the uninstaller there. `content`, when given, receives what each
// archive holds of the demo's content.
void WriteDemoMedium(Medium& medium, const std::string& font, const Files& baseExtras = {},
                     DemoContent* content = nullptr);

// What a scenario does while the welcome page tests the archives and while the copy page copies
// them, each given its page; either may be left empty. A destination, when given, is typed on
// the destination page instead of the default.
struct WalkWatch {
  std::function<void(HWND)> whileTesting;
  std::function<void(HWND)> whileCopying;
  std::wstring destination;
};

// Walks the demo medium's Setup.exe from the welcome page to its end, accepting every default
// but what the watch says.
void WalkDemoInstallation(SetupRun& run, const WalkWatch& watch = {});

}  // namespace e2e
