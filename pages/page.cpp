#include "pages/page.h"

#include <utility>

namespace pages {

namespace {
Page::CancelQuestion& CancelQuestionSlot() {
  static Page::CancelQuestion question;
  return question;
}
}  // namespace

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

std::wstring GeneralErrorText(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L'.';
  return message;
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

void Page::SetCancelQuestion(CancelQuestion question) {
  CancelQuestionSlot() = std::move(question);
}

bool Page::QueryCancel() const {
  const CancelQuestion& question = CancelQuestionSlot();
  // Without a question there is nobody to ask; cancelling must still be possible.
  if (!question) return true;
  return question(host_ ? host_->Handle() : nullptr);
}

void Page::ProcessMessages() const {
  if (host_) host_->ProcessMessages();
}

}  // namespace pages
