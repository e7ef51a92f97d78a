#include "archive/installer_password.h"

namespace archive {

std::string InstallerPassword() {
  std::string password;
  password.reserve(20);
  password += 'S';
  password += 'k';
  password += 'e';
  password += 't';
  password += 'r';
  password += 'i';
  password += 'o';
  password += 'n';
  password += '_';
  password += 'S';
  password += 'e';
  password += 't';
  password += 'u';
  password += 'p';
  password += '_';
  password += '2';
  password += '0';
  password += '0';
  password += '5';
  password += 'A';
  return password;
}

}  // namespace archive
