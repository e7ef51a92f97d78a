#include "platform/registry.h"

namespace platform {

RegValue StringValue(const std::wstring& text, RegType type) {
  RegValue value;
  value.type = type;
  // UTF-16LE units with the terminating NUL, as the registry stores REG_SZ.
  for (size_t i = 0; i <= text.size(); ++i) {
    uint32_t unit = i < text.size() ? static_cast<uint32_t>(text[i]) : 0;
    value.data.push_back(static_cast<uint8_t>(unit & 0xFF));
    value.data.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
  }
  return value;
}

RegValue DwordValue(uint32_t number) {
  RegValue value;
  value.type = RegType::Dword;
  for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<uint8_t>(number >> (8 * i)));
  return value;
}

std::wstring ValueText(const RegValue& value) {
  if (value.type != RegType::String && value.type != RegType::ExpandString) return std::wstring();
  std::wstring text;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    wchar_t unit = static_cast<wchar_t>(value.data[i] | (value.data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace platform
