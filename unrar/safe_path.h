#pragma once
// Which entry names and link targets may be written under a destination folder. A name is
// split at both '/' and '\'; it is refused when it is absolute, names a drive or a server, or
// holds a component util's rule for names refuses (util/paths.h, the rule the uninstaller
// removes by): "..", an alternate data stream, a reserved device name, a trailing dot or
// blank, a character Windows does not allow in names.
#include <string>
#include <vector>

namespace unrar {

// The folder components of a safe relative name ("." and empty ones dropped); false if refused.
bool SplitSafeName(const std::wstring& name, std::vector<std::wstring>* components);

// Whether a link stored at link_name pointing at target stays inside the destination.
bool LinkTargetStaysInside(const std::wstring& link_name, const std::wstring& target);

}  // namespace unrar
