#include "pages/page.h"

#include <utility>

namespace pages {

PageResult PageResultOf(int modalResult) {
  if (modalResult == mrCancel) return prCancel;
  if (modalResult == mrBack) return prBack;
  return prNext;
}

PageResult CopyPageResultOf(int modalResult) {
  return modalResult == mrBack ? prBack : prNext;
}

Point CentredPageOrigin(int screenWidth, int screenHeight) {
  return CentredOrigin(screenWidth, screenHeight, kPageWidth, kPageHeight);
}

Point CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
  // C++ integer division truncates toward zero, as the page protocol wants for small screens.
  return Point{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

int RadioGroupStop(const std::vector<const ControlState*>& group) {
  for (size_t i = 0; i < group.size(); ++i) {
    const ControlState& member = *group[i];
    if (member.checked) return member.visible && member.enabled ? static_cast<int>(i) : -1;
  }
  return -1;
}

void ComboState::Fill(const std::vector<std::wstring>& newItems) {
  items = newItems;
  itemIndex = -1;
  control.text.clear();
}

void ComboState::Select(int index) {
  if (index >= 0 && index < static_cast<int>(items.size())) {
    itemIndex = index;
    control.text = items[static_cast<size_t>(index)];
  } else {
    itemIndex = -1;
    control.text.clear();
  }
}

Page::Page(std::wstring designCaption)
    : designCaption_(std::move(designCaption)), caption_(designCaption_) {}

void Page::FormCreate(const std::wstring& nameApplication) {
  caption_ = designCaption_ + nameApplication;
}

bool Page::FormClose(int modalResult) {
  if (modalResult == mrCancel) return QueryCancel();
  return true;
}

bool Page::QueryCancel() const { return host_ ? host_->QueryCancel() : true; }

void Page::ProcessMessages() const {
  if (host_) host_->ProcessMessages();
}

}  // namespace pages
