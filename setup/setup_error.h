#pragma once
// An error of the installation actions, with its text for the message box (what() holds the
// same text as UTF-8 for the application's general error box).
#include <stdexcept>
#include <string>

namespace setup {

class SetupError : public std::runtime_error {
 public:
  explicit SetupError(const std::wstring& text);
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

}  // namespace setup
