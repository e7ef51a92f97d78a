#pragma once
// The application title and the general error box. mingw's i686 exceptions cannot cross Windows
// frames, so every window procedure, timer and callback runs its work through Guarded(): what
// escapes is shown in the general error box and the installer goes on where it was.
#include <windows.h>

#include <string>

namespace winui {

// The application title: "Setup" at start, the installer caption once the background window
// exists. It titles the general error box, and the application window shows it.
void SetApplicationTitle(const std::wstring& title);
const std::wstring& ApplicationTitle();
// The hidden application window whose text is the title (found by its class by tests).
void SetApplicationWindow(HWND window);

// The error's text (a full stop appended when it ends in a character after "."), the stop icon,
// the application title, OK.
void ShowGeneralError(const std::wstring& message);

// Call only inside a catch block: shows the exception being handled in the general error box.
void ReportCurrentException();

// Runs `work`, catching everything at this boundary. True when it ended normally.
template <class Work>
bool Guarded(Work&& work) {
  try {
    work();
    return true;
  } catch (...) {
    ReportCurrentException();
    return false;
  }
}

}  // namespace winui
