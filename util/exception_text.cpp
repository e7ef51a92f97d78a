#include "util/exception_text.h"

#include <exception>
#include <new>

#include "util/text.h"

namespace util {

std::wstring CurrentExceptionText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return L"Out of memory";
  } catch (const std::exception& e) {
    std::wstring text;
    if (e.what()) FromUtf8(e.what(), &text, BadInput::kAsLatin1);
    return text;
  } catch (...) {
  }
  return L"Unexpected error";
}

}  // namespace util
