#pragma once
// The folder chooser's window, made for one use by the destination page's "Обзор".
#include <windows.h>

#include <string>

namespace pages {

// Shows the chooser modally over `owner` with its tree opened at `start`. True, with `chosen`
// set to the chooser's path field, when "Да" closed it.
bool ShowDlgPath(HWND owner, const std::wstring& start, std::wstring* chosen);

}  // namespace pages
