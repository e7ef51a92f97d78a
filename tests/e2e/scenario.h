#pragma once
// A scenario's run of Setup.exe with the steps every scenario needs: wait for a page by its
// caption (saving a screenshot of it), press its buttons, answer the cancel question.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

namespace e2e {

// The page captions every scenario's medium gives, its NameApplication being "Sketrion 7.2".
inline constexpr wchar_t kWelcome[] = L"Вас приветствует программа установки Sketrion 7.2";
inline constexpr wchar_t kLicense[] = L"\x0043оглашение об использовании Sketrion 7.2";  // Latin C
inline constexpr wchar_t kGetPath[] = L"Размещение Sketrion 7.2";
inline constexpr wchar_t kGetGroups[] = L"Компоненты Sketrion 7.2";
inline constexpr wchar_t kGraphProfile[] = L"Указание и настройка графического редактора схем Sketrion 7.2";
inline constexpr wchar_t kCopy[] = L"Копирование файлов Sketrion 7.2";
inline constexpr wchar_t kReadme[] = L"Установка дополнительного программного обеспечения Sketrion 7.2";
inline constexpr wchar_t kExitWin[] = L"Завершение установки Sketrion 7.2";

class SetupRun {
 public:
  // Starts the medium's Setup.exe (with `arguments` when given); screenshots go to
  // ScreenshotFolder(scenario).
  SetupRun(const Medium& medium, const std::wstring& scenario, const std::wstring& arguments = L"");

  DWORD pid() const { return process_.pid(); }
  SetupProcess& process() { return process_; }

  // Waits for the page whose caption is `caption`, checks its size and centring, and saves its
  // screenshot as NN-<name>.bmp. Null (and a test failure) when it does not appear.
  HWND Page(const std::wstring& caption, const std::wstring& name);
  // Presses a button of `page` (a failure when it cannot be pressed) and waits for the page to
  // close unless `staysOpen`.
  void Press(HWND page, const std::wstring& button, bool closes = true);
  // Answers the cancel question ("Прекратить установку программы?") with IDYES or IDNO.
  void AnswerCancelQuestion(int button, const std::wstring& expectedTitle);
  // Waits for the process to end and checks it ended by itself with exit code 0.
  void ExpectEnded();

 private:
  SetupProcess process_;
  std::wstring screenshots_;
  int shot_ = 0;
};

}  // namespace e2e
