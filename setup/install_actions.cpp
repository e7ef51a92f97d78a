#include "setup/setup.h"

namespace setup {

// The copy page calls this once the files are in place. The shortcuts of the "Link" sections
// and UnInstall.ini are written here when the installation actions land.
void TSetup::CreateLinks() {}

}  // namespace setup
