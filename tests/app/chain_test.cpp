// The page chain's table: every page's next, back and cancel, and the graphic editor page's skip.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/chain.h"
#include "app/recorded_answers.h"

namespace app {
namespace {

using pages::mrBack;
using pages::mrCancel;
using pages::mrNext;

// Answers each page with the next scripted modal result and records the pages shown. Running
// out of answers is a failure (the chain would have shown a page nobody expected).
class ScriptedShower : public PageShower {
 public:
  explicit ScriptedShower(std::deque<int> answers) : answers_(std::move(answers)) {}
  int ShowPage(Step step) override {
    shown.push_back(step);
    if (answers_.empty()) {
      ADD_FAILURE() << "no answer left for page " << static_cast<int>(step);
      return mrCancel;
    }
    int r = answers_.front();
    answers_.pop_front();
    return r;
  }
  bool AllAnswered() const { return answers_.empty(); }
  std::vector<Step> shown;

 private:
  std::deque<int> answers_;
};

std::vector<Step> Walk(std::deque<int> answers, bool hasAcad) {
  ScriptedShower shower(std::move(answers));
  RunChain(shower, [&] { return hasAcad; });
  EXPECT_TRUE(shower.AllAnswered());
  return shower.shown;
}

using S = Step;

TEST(Chain, NextAllTheWayWithAutoCad) {
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrNext, mrCancel /* copy page closes */,
                  mrNext, mrNext},
                 true),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::GetGroups,
                               S::GraphProfile, S::PrCopyFile, S::FileReadme, S::ExitWin}));
}

TEST(Chain, WithoutAutoCadTheGraphicEditorPageIsNeverShown) {
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrCancel, mrNext, mrNext}, false),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::GetGroups,
                               S::PrCopyFile, S::FileReadme, S::ExitWin}));
  // Back from the copy page's successor is impossible; back from the groups page still works.
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrBack, mrNext, mrNext, mrCancel, mrNext, mrNext}, false),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::GetGroups, S::GetPath,
                               S::GetGroups, S::PrCopyFile, S::FileReadme, S::ExitWin}));
}

TEST(Chain, BackLeadsToTheTablesPage) {
  // destination -> agreement; groups -> destination; graphic editor -> groups.
  EXPECT_EQ(Walk({mrNext, mrNext, mrBack, mrCancel}, true),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::License}));
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrBack, mrNext, mrBack, mrCancel}, true),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::GetGroups,
                               S::GraphProfile, S::GetGroups, S::GraphProfile, S::GetGroups}));
  // finish -> additional software, whose next returns to the finish page.
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrCancel, mrNext, mrBack, mrNext, mrNext},
                 false),
            (std::vector<Step>{S::FirstForm, S::License, S::GetPath, S::GetGroups,
                               S::PrCopyFile, S::FileReadme, S::ExitWin, S::FileReadme,
                               S::ExitWin}));
}

TEST(Chain, CancelEndsFromEveryPageThatHasIt) {
  const std::vector<Step> order = {S::FirstForm, S::License, S::GetPath, S::GetGroups,
                                   S::GraphProfile};
  for (size_t at = 0; at < order.size(); ++at) {
    std::deque<int> answers(at, mrNext);
    answers.push_back(mrCancel);
    std::vector<Step> expected(order.begin(), order.begin() + static_cast<long>(at) + 1);
    EXPECT_EQ(Walk(answers, true), expected) << "cancel on page " << at;
  }
  // After the copying: the additional software page and the finish page.
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrCancel, mrCancel}, false).back(),
            S::FileReadme);
  EXPECT_EQ(Walk({mrNext, mrNext, mrNext, mrNext, mrCancel, mrNext, mrCancel}, false).back(),
            S::ExitWin);
}

TEST(Chain, AnswersAPageCannotGiveKeepItThere) {
  // The welcome and agreement pages have no back button, the copy page never cancels.
  EXPECT_EQ(NextStep(S::FirstForm, pages::prBack), S::FirstForm);
  EXPECT_EQ(NextStep(S::License, pages::prBack), S::License);
  EXPECT_EQ(AnswerOf(S::PrCopyFile, mrBack), pages::prBack);
  EXPECT_EQ(NextStep(S::PrCopyFile, pages::prBack), S::PrCopyFile);
  EXPECT_EQ(NextStep(S::PrCopyFile, AnswerOf(S::PrCopyFile, mrCancel)), S::FileReadme);
  // Any other modal result is next.
  EXPECT_EQ(NextStep(S::GetPath, AnswerOf(S::GetPath, 7)), S::GetGroups);
}

// The answers are recorded once the copying has used them: when the finish page's turn comes
// (again after a return to the additional software page), or at the end of a chain cancelled
// after the copying; never for one cancelled before. A record shows as Step::End among the pages.
TEST(Chain, AnswersAreRecordedOnceTheCopyingHasUsedThem) {
  const struct {
    std::deque<int> answers;
    std::vector<Step> shown;
  } cases[] = {
      {{mrNext, mrNext, mrNext, mrCancel}, {S::FirstForm, S::License, S::GetPath, S::GetGroups}},
      {{mrNext, mrNext, mrNext, mrNext, mrCancel, mrNext, mrNext},
       {S::FirstForm, S::License, S::GetPath, S::GetGroups, S::PrCopyFile, S::FileReadme, S::End,
        S::ExitWin}},
      {{mrNext, mrNext, mrNext, mrNext, mrCancel, mrNext, mrBack, mrNext, mrCancel},
       {S::FirstForm, S::License, S::GetPath, S::GetGroups, S::PrCopyFile, S::FileReadme, S::End,
        S::ExitWin, S::FileReadme, S::End, S::ExitWin}},
      {{mrNext, mrNext, mrNext, mrNext, mrCancel, mrCancel},
       {S::FirstForm, S::License, S::GetPath, S::GetGroups, S::PrCopyFile, S::FileReadme, S::End}},
  };
  for (const auto& c : cases) {
    ScriptedShower shower(c.answers);
    RunChainRecordingAnswers(
        shower, [] { return false; }, [&shower] { shower.shown.push_back(S::End); });
    EXPECT_TRUE(shower.AllAnswered());
    EXPECT_EQ(shower.shown, c.shown) << "after " << c.answers.size() << " answers";
  }
}

}  // namespace
}  // namespace app
