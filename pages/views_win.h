#pragma once
// The Win32 views of the eight pages: each is made in its page's *_win.cpp.
#include <memory>

#include "pages/page_win.h"

namespace pages {

class TfmFirstForm;
class TfmLicense;
class TfmGetPath;
class TfmGetGroups;
class TfmGraphProfile;
class TfmPrCopyFile;
class TfmFileReadme;
class TfmExitWin;

std::unique_ptr<PageWindow> CreateView(TfmFirstForm& page);
std::unique_ptr<PageWindow> CreateView(TfmLicense& page);
std::unique_ptr<PageWindow> CreateView(TfmGetPath& page);
std::unique_ptr<PageWindow> CreateView(TfmGetGroups& page);
std::unique_ptr<PageWindow> CreateView(TfmGraphProfile& page);
std::unique_ptr<PageWindow> CreateView(TfmPrCopyFile& page);
std::unique_ptr<PageWindow> CreateView(TfmFileReadme& page);
std::unique_ptr<PageWindow> CreateView(TfmExitWin& page);

}  // namespace pages
