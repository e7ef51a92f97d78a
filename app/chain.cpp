#include "app/chain.h"

namespace app {

using pages::PageResult;
using pages::prBack;
using pages::prCancel;
using pages::prNext;

PageResult AnswerOf(Step step, int modalResult) {
  if (step == Step::PrCopyFile) return pages::CopyPageResultOf(modalResult);
  return pages::PageResultOf(modalResult);
}

Step NextStep(Step step, PageResult answer) {
  struct Row { Step next, back, cancel; };
  // "back" of a page without a back button, and "cancel" of the copy page, stay where they are.
  auto row = [](Step step) -> Row {
    switch (step) {
      case Step::FirstForm:    return {Step::License, Step::FirstForm, Step::End};
      case Step::License:      return {Step::GetPath, Step::License, Step::End};
      case Step::GetPath:      return {Step::GetGroups, Step::License, Step::End};
      case Step::GetGroups:    return {Step::GraphProfile, Step::GetPath, Step::End};
      case Step::GraphProfile: return {Step::PrCopyFile, Step::GetGroups, Step::End};
      case Step::PrCopyFile:   return {Step::FileReadme, Step::PrCopyFile, Step::PrCopyFile};
      case Step::FileReadme:   return {Step::ExitWin, Step::FileReadme, Step::End};
      case Step::ExitWin:      return {Step::End, Step::FileReadme, Step::End};
      case Step::End:          break;
    }
    return {Step::End, Step::End, Step::End};
  };
  Row r = row(step);
  switch (answer) {
    case prNext: return r.next;
    case prBack: return r.back;
    case prCancel: return r.cancel;
  }
  return Step::End;
}

void RunChain(PageShower& shower, const std::function<bool()>& hasAcad) {
  Step step = Step::FirstForm;
  while (step != Step::End) {
    if (step == Step::GraphProfile && !hasAcad()) {
      step = Step::PrCopyFile;
      continue;
    }
    step = NextStep(step, AnswerOf(step, shower.ShowPage(step)));
  }
}

}  // namespace app
