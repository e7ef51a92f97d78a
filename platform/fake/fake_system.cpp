#include "platform/fake/fake_system.h"

#include "util/codepage.h"

namespace platform {

int64_t FakeSystem::FreeSpace(const std::wstring& root) {
  if (root.size() < 3 || root[1] != L':' || root[2] != L'\\') return -1;
  auto it = freeSpace.find(util::FoldCase(root[0]));
  return it == freeSpace.end() ? -1 : it->second;
}

ProgramResult FakeSystem::StartProgramForResult(const std::wstring& program, const std::wstring& arguments,
                                                const std::wstring& folder, const std::wstring& channelOption) {
  if (!StartProgram(program, arguments + L" " + channelOption + channelName, folder)) return ProgramResult{};
  return result;
}

}  // namespace platform
