#include "pages/graph_profile.h"

namespace pages {

TfmGraphProfile::TfmGraphProfile() : Page(L"Указание и настройка графического редактора схем ") {
  lbComment.visible = false;
}

}  // namespace pages
