#pragma once
// The text of Setup.ini as the installer's reader takes it (Windows-1251, private-profile
// rules): what it loses or never reads. The values' meaning is checked over the model.
#include <string>

#include "tools/skmedium/findings.h"

namespace skmedium {

// `bytes` is the whole file.
void CheckSetupIniText(const std::string& bytes, Findings& findings);

// The numbers of the [LinkN] sections CreateLinks reads: 1, 2, ... up to the first one that is
// missing or holds no key.
int LinkSectionsRead(const std::string& bytes);

}  // namespace skmedium
