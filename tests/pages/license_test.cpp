#include "pages/license.h"

#include "page_fixture.h"

namespace pages::testing {
namespace {

class LicensePageTest : public PageTest {
 protected:
  LicensePageTest() : page(model) {
    page.AttachHost(&host);
    model.FLicenseFile = L"D:\\Licension.rtf";
    page.FormCreate(model.FNameApplication);
  }

  // What the view does when the user clicks a radio button: the auto radio buttons check the
  // clicked one and uncheck its neighbour, then the handler runs.
  void ClickYes() {
    page.rbYes.checked = true;
    page.rbNot.checked = false;
    page.rbYesClick();
  }
  void ClickNot() {
    page.rbNot.checked = true;
    page.rbYes.checked = false;
    page.rbNotClick();
  }

  TfmLicense page;
};

TEST_F(LicensePageTest, CaptionBeginsWithLatinCAndEndsWithTheProduct) {
  EXPECT_EQ(page.Caption(), L"Cоглашение об использовании Sketrion");
  EXPECT_EQ(page.Caption()[0], L'C');       // Latin
  EXPECT_EQ(page.Caption()[1], L'\x043E');  // Cyrillic "о"
}

TEST_F(LicensePageTest, NextFollowsTheChoiceAndTheChoiceSurvivesAnotherVisit) {
  page.FormShow();
  EXPECT_TRUE(page.rbNot.checked);
  EXPECT_FALSE(page.rbYes.checked);
  EXPECT_FALSE(page.btNext.enabled);
  // The keyboard starts on the answer chosen: Windows checks an automatic radio button that
  // gets the keyboard, and would accept the agreement for the user.
  EXPECT_EQ(page.InitialFocus(), &page.rbNot);

  ClickYes();
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_FALSE(page.rbNot.checked);
  EXPECT_EQ(page.InitialFocus(), &page.rbYes);

  ClickNot();
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_FALSE(page.rbYes.checked);

  ClickYes();
  ASSERT_TRUE(page.FormClose(mrNext));
  page.FormShow();  // back again from the destination page
  EXPECT_TRUE(page.rbYes.checked);
  EXPECT_FALSE(page.rbNot.checked);
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(LicensePageTest, RichTextGoesToTheViewerAsItIs) {
  const std::string rtf = "{\\rtf1\\ansi\\ansicpg1251 \\'d1\\'ee\\'e3\\'eb\\'e0\\'f8\\'e5\\'ed\\'e8\\'e5}";
  files.PutFile(L"D:\\Licension.rtf", rtf);
  page.FormShow();
  EXPECT_TRUE(page.RichEdit1.rich);
  EXPECT_EQ(page.RichEdit1.rtf, rtf);
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(LicensePageTest, PlainTextIsReadAsWindows1251) {
  // "Соглашение\r\nTerms" in Windows-1251.
  files.PutFile(L"D:\\Licension.rtf",
                 "\xD1\xEE\xE3\xEB\xE0\xF8\xE5\xED\xE8\xE5\r\nTerms");
  page.FormShow();
  EXPECT_FALSE(page.RichEdit1.rich);
  EXPECT_EQ(page.RichEdit1.text, L"Соглашение\r\nTerms");
}

TEST_F(LicensePageTest, OnlyTheRtfSignatureMakesRichText) {
  EXPECT_TRUE(AgreementFromBytes("{\\rtf").rich);
  EXPECT_FALSE(AgreementFromBytes("{\\RTF1 not rich").rich);
  EXPECT_FALSE(AgreementFromBytes(" {\\rtf1}").rich);
  EXPECT_FALSE(AgreementFromBytes("{\\rt").rich);
  EXPECT_EQ(AgreementFromBytes("{\\rt").text, L"{\\rt");
  EXPECT_FALSE(AgreementFromBytes("").rich);
}

TEST_F(LicensePageTest, AnUnreadableAgreementLeavesTheViewerEmptyWithoutAMessage) {
  files.PutFile(L"D:\\Licension.rtf", "{\\rtf1 first}");
  page.FormShow();
  ASSERT_TRUE(page.RichEdit1.rich);

  files.Remove(L"D:\\Licension.rtf");  // the text is read again on every showing
  page.FormShow();
  EXPECT_FALSE(page.RichEdit1.rich);
  EXPECT_TRUE(page.RichEdit1.rtf.empty());
  EXPECT_TRUE(page.RichEdit1.text.empty());

  files.PutFile(L"D:\\Licension.rtf", "{\\rtf1 locked}");
  files.DenyRead(L"D:\\Licension.rtf");
  page.FormShow();
  EXPECT_TRUE(page.RichEdit1.rtf.empty());
  EXPECT_TRUE(page.RichEdit1.text.empty());

  EXPECT_TRUE(boxes.Asked().empty());
  ClickYes();  // the user can still accept and go on
  EXPECT_TRUE(page.btNext.enabled);
}

// An agreement up to the bound is shown in full and can be accepted; one byte more is not
// shown: the viewer says so and "Принимаю" stays off, also for a user who accepted an earlier
// file on a visit before.
TEST_F(LicensePageTest, AnAgreementPastTheBoundIsNamedAndCannotBeAccepted) {
  static_assert(kMaxAgreementBytes >= (64u << 20), "agreements of 64 MiB are shown");
  const std::string header = "{\\rtf1 ";
  std::string atBound = header + std::string(kMaxAgreementBytes - header.size() - 1, 'x') + "}";
  ASSERT_EQ(atBound.size(), kMaxAgreementBytes);
  const struct {
    const char* what;
    size_t bytes;
    bool shown;
  } cases[] = {
      {"just under the bound", kMaxAgreementBytes, true},
      {"just over the bound", kMaxAgreementBytes + 1, false},
      {"a small agreement again", 100, true},
  };
  for (const auto& c : cases) {
    ClickYes();
    atBound.resize(c.bytes, 'x');
    files.PutFile(L"D:\\Licension.rtf", atBound);
    page.FormShow();
    EXPECT_EQ(page.rbYes.enabled, c.shown) << c.what;
    EXPECT_EQ(page.btNext.enabled, c.shown) << c.what;
    EXPECT_EQ(page.RichEdit1.rich, c.shown) << c.what;
    if (c.shown) {
      EXPECT_EQ(page.RichEdit1.rtf.size(), c.bytes) << c.what;
    } else {
      // The notice is shown as plain text, naming the file.
      EXPECT_TRUE(page.rbNot.checked) << c.what;
      EXPECT_FALSE(page.rbYes.checked) << c.what;
      EXPECT_NE(page.RichEdit1.text.find(L"D:\\Licension.rtf"), std::wstring::npos) << c.what;
    }
  }
  EXPECT_TRUE(boxes.Asked().empty());
}

// A viewer without room for the rest of the agreement ends it with a notice, and what the user
// cannot read cannot be accepted, until the agreement is shown again.
TEST_F(LicensePageTest, AViewerWithoutRoomForTheRestTakesTheAcceptanceAway) {
  files.PutFile(L"D:\\Licension.rtf", "{\\rtf1 terms}");
  page.FormShow();
  ClickYes();
  EXPECT_FALSE(page.RichEdit1Full().empty());
  EXPECT_FALSE(page.rbYes.enabled);
  EXPECT_FALSE(page.rbYes.checked);
  EXPECT_TRUE(page.rbNot.checked);
  EXPECT_EQ(page.InitialFocus(), &page.rbNot);
  EXPECT_FALSE(page.btNext.enabled);

  page.FormShow();
  EXPECT_TRUE(page.rbYes.enabled);
  ClickYes();
  EXPECT_TRUE(page.btNext.enabled);
}

// Files named as the agreement that are no agreement: the viewer stays empty, as for a missing
// one, and the user may still accept and go on.
TEST_F(LicensePageTest, ABinaryFileIsTreatedLikeAMissingOne) {
  std::string executable = "MZ\x90";
  executable += std::string(3, '\0') + std::string(100000, 'x');
  std::string nulLate(100000, 'x');
  nulLate[70000] = '\0';  // past the first 64 KiB: still text
  const struct {
    const char* what;
    std::string bytes;
    bool shown;
  } cases[] = {
      {"an executable", executable, false},
      {"UTF-16 text", std::string("\xff\xfeT\0e\0r\0m\0s\0", 12), false},
      {"a NUL at the end of the first 64 KiB", std::string(65535, 'x') + '\0', false},
      {"a NUL after the first 64 KiB", nulLate, true},
      {"a 100 KB agreement", std::string(100000, 'x'), true},
      {"9.4 MB of text", std::string(9400000, 'x'), true},
      {"9.4 MB of rich text", "{\\rtf1 " + std::string(9400000, 'x') + "}", true},
  };
  for (const auto& c : cases) {
    files.PutFile(L"D:\\Licension.rtf", c.bytes);
    page.FormShow();
    EXPECT_EQ(!page.RichEdit1.text.empty() || !page.RichEdit1.rtf.empty(), c.shown) << c.what;
    EXPECT_TRUE(page.rbYes.enabled) << c.what;
  }
  EXPECT_TRUE(boxes.Asked().empty());
  ClickYes();
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(LicensePageTest, CancelAnsweredNoKeepsThePageAndTheChoice) {
  page.FormShow();
  ClickYes();
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_FALSE(page.FormClose(mrCancel));
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Прекратить установку программы?");
  EXPECT_TRUE(page.rbYes.checked);
  EXPECT_TRUE(page.btNext.enabled);

  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_TRUE(page.FormClose(mrCancel));
}

}  // namespace
}  // namespace pages::testing
