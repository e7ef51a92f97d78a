// The page protocol every page keeps, tested on the behaviour alone.
#include <gtest/gtest.h>

#include <vector>

#include "pages/page.h"

namespace pages {
namespace {

TEST(PageResult, ModalResultsMapToTheChainsAnswer) {
  EXPECT_EQ(PageResultOf(mrNext), prNext);
  EXPECT_EQ(PageResultOf(mrCancel), prCancel);
  EXPECT_EQ(PageResultOf(mrBack), prBack);
  // Any other result (none, OK-like, Yes, No) is next.
  for (int other : {0, 3, 4, 5, 7, 8, -1}) EXPECT_EQ(PageResultOf(other), prNext) << other;

  // The copy page closes itself with 2: that is next, only 6 is back.
  EXPECT_EQ(CopyPageResultOf(mrCancel), prNext);
  EXPECT_EQ(CopyPageResultOf(mrNext), prNext);
  EXPECT_EQ(CopyPageResultOf(mrBack), prBack);
}

TEST(PageProtocol, CentresTheFixedSizeTruncatingTowardZero) {
  EXPECT_EQ(CentredPageOrigin(1024, 768).left, 192);
  EXPECT_EQ(CentredPageOrigin(1024, 768).top, 144);
  EXPECT_EQ(CentredPageOrigin(1281, 1025).left, 320);  // 641 / 2
  EXPECT_EQ(CentredPageOrigin(1281, 1025).top, 272);   // 545 / 2
  // A screen smaller than the page: -1 / 2 is 0, -3 / 2 is -1.
  EXPECT_EQ(CentredPageOrigin(639, 477).left, 0);
  EXPECT_EQ(CentredPageOrigin(639, 477).top, -1);
}

class TestPage : public Page {
 public:
  TestPage() : Page(L"Размещение ") {}
  using Page::QueryCancel;
};

// A host without windows that answers the cancel question and notes who asked.
class QuestionHost : public PageHost {
 public:
  WindowRef Handle() const override { return const_cast<QuestionHost*>(this); }
  void ProcessMessages() override {}
  void StartTimer(int, unsigned) override {}
  void StopTimer(int) override {}
  bool QueryCancel() override {
    owners.push_back(Handle());
    return answer;
  }
  bool answer = false;
  std::vector<WindowRef> owners;
};

class CancelQuestionTest : public ::testing::Test {
 protected:
  void SetUp() override { page.AttachHost(&host); }
  QuestionHost host;
  TestPage page;
  bool& answer = host.answer;
  std::vector<WindowRef>& owners = host.owners;
};

TEST_F(CancelQuestionTest, CancelAsksAndNoKeepsThePage) {
  answer = false;
  EXPECT_FALSE(page.FormClose(mrCancel));
  answer = true;
  EXPECT_TRUE(page.FormClose(mrCancel));
  EXPECT_EQ(owners.size(), 2u);
}

TEST_F(CancelQuestionTest, NextAndBackCloseWithoutAsking) {
  EXPECT_TRUE(page.FormClose(mrNext));
  EXPECT_TRUE(page.FormClose(mrBack));
  EXPECT_TRUE(owners.empty());
}

TEST(PageCaption, DesignCaptionFollowedByTheProductName) {
  TestPage page;
  EXPECT_EQ(page.Caption(), L"Размещение ");
  page.FormCreate(L"Sketrion 7.2");
  EXPECT_EQ(page.Caption(), L"Размещение Sketrion 7.2");
  EXPECT_EQ(page.DesignCaption(), L"Размещение ");
}

TEST(PageCloseRequest, IsTakenOnce) {
  TestPage page;
  EXPECT_EQ(page.TakeCloseRequest(), mrNone);
  page.RequestClose(mrCancel);
  EXPECT_EQ(page.TakeCloseRequest(), mrCancel);
  EXPECT_EQ(page.TakeCloseRequest(), mrNone);
}

// Windows checks an automatic radio button that gets the keyboard: only the checked button of a
// group may have it, and only while the user can reach it.
TEST(RadioGroupStop, IsTheCheckedButtonWhileTheUserCanReachIt) {
  const struct {
    const char* what;
    std::vector<ControlState> group;
    int stop;
  } cases[] = {
      {"the second checked", {{}, {L"", true, true, true}}, 1},
      {"the first checked", {{L"", true, true, true}, {}, {}}, 0},
      {"none checked", {{}, {}}, -1},
      {"the checked one turned off", {{}, {L"", true, false, true}}, -1},
      {"the checked one hidden", {{L"", false, true, true}, {}}, -1},
      {"an empty group", {}, -1},
  };
  for (const auto& c : cases) {
    std::vector<const ControlState*> members;
    for (const ControlState& member : c.group) members.push_back(&member);
    EXPECT_EQ(RadioGroupStop(members), c.stop) << c.what;
  }
}

}  // namespace
}  // namespace pages
