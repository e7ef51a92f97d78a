// Cutting rich text into pieces: what cannot be followed comes back whole; what is cut gives
// complete documents, cut only between paragraphs and never inside a table row. (That the pieces
// show the same text and look is checked against the real viewer in rtf_pieces_win_test.)
#include "util/rtf_pieces.h"

#include <gtest/gtest.h>

namespace {

// Braces outside escapes, as the viewer counts them; -1 when a piece closes more than it opens.
int FinalDepth(const std::string& rtf, bool* closedEarly) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (rtf[i] == '{') ++depth;
    if (rtf[i] == '}' && --depth == 0 && i + 1 < rtf.size()) *closedEarly = true;
  }
  return depth;
}

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST(RtfPieces, WhatCannotBeFollowedComesBackWhole) {
  const std::string paragraphs = "One\\par Two\\par Three\\par Four\\par";
  const std::string cases[] = {
      "Plain text\\par with words\\par",                         // no rich text at all
      "{\\rtf1\\ansi " + paragraphs,                             // never closed
      "{\\rtf1\\ansi " + paragraphs + "{\\pict\\bin4 }}}}" + "}",  // binary data
      "{\\rtf1\\ansi {\\b " + paragraphs + "}}",                 // every paragraph inside a group
      "{\\rtf1\\ansi One paragraph only\\par}",
  };
  for (const std::string& rtf : cases) {
    const std::vector<std::string> pieces = util::SplitRtf(rtf, 1);
    ASSERT_EQ(pieces.size(), 1u) << rtf;
    EXPECT_EQ(pieces[0], rtf);
  }
}

TEST(RtfPieces, PiecesAreWholeDocumentsCutBetweenParagraphsOutsideTables) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  for (int i = 0; i < 200; ++i) {
    rtf += "Paragraph " + std::to_string(i) + " {\\b with \\{braces\\}} \\'e0\\u1071?\\par\r\n";
    if (i % 50 == 25)
      rtf += "\\trowd\\cellx2000\\cellx4000\\pard\\intbl A\\par B\\cell C\\cell\\row\\pard ";
  }
  rtf += "}";
  const std::vector<std::string> pieces = util::SplitRtf(rtf, 500);
  ASSERT_GT(pieces.size(), 10u);
  size_t paragraphs = 0;
  for (const std::string& piece : pieces) {
    bool closedEarly = false;
    EXPECT_EQ(FinalDepth(piece, &closedEarly), 0) << piece;
    EXPECT_FALSE(closedEarly) << piece;
    EXPECT_EQ(piece.compare(0, 5, "{\\rtf"), 0);
    EXPECT_EQ(Count(piece, "\\trowd"), Count(piece, "\\row")) << piece;
    EXPECT_LT(piece.size(), 1200u);
    paragraphs += Count(piece, "Paragraph ");
  }
  EXPECT_EQ(paragraphs, 200u);  // none lost, none repeated
}

TEST(RtfPieces, HostileDocumentsStayWithinTwiceTheirSize) {
  const std::string fonts = "{\\fonttbl" + std::string(20000, ' ') + "}";
  std::string settings, header = "{\\rtf1\\ansi" + fonts + " ";
  for (int i = 0; i < 100000; ++i) settings += "\\b\\i Word\\par ";
  std::string bigHeader = header;
  for (int i = 0; i < 20000; ++i) bigHeader += "Word\\par ";
  for (const std::string& rtf : {header + settings + "}", bigHeader + "}"}) {
    const std::vector<std::string> pieces = util::SplitRtf(rtf, 100);
    size_t total = 0;
    for (const std::string& piece : pieces) total += piece.size();
    EXPECT_GT(pieces.size(), 1u);
    EXPECT_LE(total, 2 * rtf.size() + 2 * pieces.size());
  }
}

}  // namespace
