#pragma once
// The one password of the encrypted entries on the installation medium.
#include <string>

namespace archive {

// Built from single characters on every call, so the password never stands in the program
// as one string a viewer could find.
std::string InstallerPassword();

}  // namespace archive
