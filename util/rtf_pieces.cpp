#include "util/rtf_pieces.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace util {
namespace {

constexpr size_t kMaxCarried = 4096;  // bytes of settings a piece may start with

// Settings words in force since the last reset (\pard for a paragraph's, \plain for characters').
struct Settings {
  std::vector<std::string> words;
  size_t bytes = 0;
  void clear() {
    words.clear();
    bytes = 0;
  }
};

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// One token of the document: a brace, a control word or symbol (with its parameter and the space
// that ends it), or a run of text.
struct Token {
  enum Kind { kOpen, kClose, kWord, kSymbol, kText } kind;
  size_t begin, end;
  std::string word;  // a control word's name, without the parameter
};

// The next token from `pos`; false at the end or on something this cannot follow.
bool NextToken(const std::string& s, size_t pos, Token* t) {
  if (pos >= s.size()) return false;
  const char c = s[pos];
  t->begin = pos;
  t->word.clear();
  if (c == '{' || c == '}') {
    t->kind = c == '{' ? Token::kOpen : Token::kClose;
    t->end = pos + 1;
    return true;
  }
  if (c != '\\') {
    size_t end = pos;
    while (end < s.size() && s[end] != '\\' && s[end] != '{' && s[end] != '}') ++end;
    t->kind = Token::kText;
    t->end = end;
    return true;
  }
  if (pos + 1 >= s.size()) return false;
  size_t end = pos + 1;
  if (!IsLetter(s[end])) {
    t->kind = Token::kSymbol;
    // \'hh carries two hex digits.
    end += s[end] == '\'' ? 3 : 1;
    t->end = end > s.size() ? s.size() : end;
    return true;
  }
  while (end < s.size() && IsLetter(s[end])) ++end;
  t->word = s.substr(pos + 1, end - pos - 1);
  if (end < s.size() && s[end] == '-') ++end;
  while (end < s.size() && IsDigit(s[end])) ++end;
  if (end < s.size() && s[end] == ' ') ++end;  // the space that ends the word is part of it
  t->kind = Token::kWord;
  t->end = end;
  return true;
}

// Words that put something into the text rather than set how it looks.
bool IsContentWord(const std::string& w) {
  static const std::set<std::string> kContent = {
      "par", "line", "tab", "page", "sect", "column", "emdash", "endash", "bullet", "lquote",
      "rquote", "ldblquote", "rdblquote", "emspace", "enspace", "qmspace", "zwj", "zwnj",
      "ltrmark", "rtlmark", "u", "cell", "row", "nestcell", "nestrow", "chpgn", "softline"};
  return kContent.count(w) != 0;
}

// Settings that \pard resets (the rest of the settings words belong to the characters, which
// \plain resets).
bool IsParagraphWord(const std::string& w) {
  static const std::set<std::string> kParagraph = {
      "s", "ql", "qr", "qc", "qj", "qd", "fi", "li", "ri", "lin", "rin", "sb", "sa", "sl",
      "slmult", "keep", "keepn", "intbl", "itap", "widctlpar", "nowidctlpar", "tx", "tqr", "tqc",
      "tqdec", "tb", "tldot", "tlhyph", "tlul", "tlth", "tleq", "ltrpar", "rtlpar", "hyphpar",
      "outlinelevel", "aspalpha", "aspnum", "faauto", "adjustright", "nooverflow", "sbauto",
      "saauto", "contextualspace", "pagebb", "noline", "brdrt", "brdrb", "brdrl", "brdrr", "box",
      "brdrs", "brdrw", "brdrcf", "brsp", "shading", "cbpat", "cfpat", "ls", "ilvl", "pntext"};
  return kParagraph.count(w) != 0;
}

// Groups that hold the document's tables and settings rather than its text.
bool IsHeaderGroup(const std::string& s, size_t open) {
  Token t;
  if (!NextToken(s, open + 1, &t)) return false;
  if (t.kind == Token::kSymbol && s.compare(t.begin, 2, "\\*") == 0) return true;
  static const std::set<std::string> kHeader = {
      "fonttbl", "colortbl", "stylesheet", "info", "listtable", "listoverridetable", "rsidtbl",
      "generator", "xmlnstbl", "mmathPr", "latentstyles", "themedata", "colorschememapping",
      "defchp", "defpap", "filetbl", "revtbl", "pgdsctbl"};
  return t.kind == Token::kWord && kHeader.count(t.word) != 0;
}

}  // namespace

std::vector<std::string> SplitRtf(const std::string& rtf, size_t pieceBytes) {
  const std::vector<std::string> whole{rtf};
  if (rtf.compare(0, 5, "{\\rtf") != 0) return whole;

  std::string header;         // up to the first text, with the separating space when needed
  bool inHeader = true;
  Settings paragraph, characters;  // in force, as written
  bool inTable = false;
  std::vector<size_t> cuts;   // where a new piece starts
  std::vector<std::string> carried;  // the settings a piece starts with
  size_t pieceStart = 0;
  int depth = 0;
  size_t end = 0;
  size_t lastMark = std::string::npos;  // the last paragraph mark outside groups

  Token t;
  for (size_t pos = 0; NextToken(rtf, pos, &t); pos = t.end) {
    if (t.kind == Token::kOpen) {
      if (depth == 1 && inHeader && !IsHeaderGroup(rtf, t.begin)) {
        inHeader = false;
        header = rtf.substr(0, t.begin);
      }
      ++depth;
      continue;
    }
    if (t.kind == Token::kClose) {
      if (--depth == 0) {
        end = t.end;
        break;
      }
      if (depth < 0) return whole;
      continue;
    }
    if (t.kind == Token::kWord && t.word == "bin") return whole;
    if (depth != 1) continue;
    const std::string text = rtf.substr(t.begin, t.end - t.begin);
    if (t.kind == Token::kText || t.kind == Token::kSymbol ||
        (t.kind == Token::kWord && IsContentWord(t.word))) {
      if (inHeader) {
        // Line ends between the header's words are no text.
        if (t.kind == Token::kText && text.find_first_not_of("\r\n") == std::string::npos)
          continue;
        inHeader = false;
        header = rtf.substr(0, t.begin);
      }
    }
    if (t.kind != Token::kWord) continue;
    if (t.word == "par") lastMark = t.begin;
    if (t.word == "trowd") inTable = true;
    if (t.word == "row") inTable = false;
    if (t.word == "pard") paragraph.clear();
    if (t.word == "plain") characters.clear();
    // A piece ends before a paragraph mark: the viewer takes a document's last mark for its own
    // end, so the mark opens the next piece instead.
    // Every piece repeats the header and the settings, so it holds at least as much of the
    // document: all the pieces together stay within about twice the document.
    if (t.word == "par" && !inTable && !inHeader &&
        t.begin - pieceStart >=
            std::max(pieceBytes, header.size() + paragraph.bytes + characters.bytes)) {
      bool tableParagraph = false;
      for (const std::string& w : paragraph.words) tableParagraph |= w.compare(0, 6, "\\intbl") == 0;
      // Thousands of settings words never reset are no agreement: no cut then.
      if (!tableParagraph && paragraph.bytes + characters.bytes <= kMaxCarried) {
        std::string settings;
        for (const std::string& w : paragraph.words) settings += w;
        for (const std::string& w : characters.words) settings += w;
        cuts.push_back(t.begin);
        carried.push_back(std::move(settings));
        pieceStart = t.begin;
      }
      continue;
    }
    // A table's row and cell definitions belong to its rows, which are never cut.
    const bool tableWord = t.word.compare(0, 2, "tr") == 0 || t.word.compare(0, 2, "cl") == 0 ||
                           t.word == "cellx";
    if (IsContentWord(t.word) || inHeader || tableWord) continue;
    // A word without its ending space would run into what follows it in a piece.
    std::string setting = text;
    if (setting.back() != ' ') setting += ' ';
    Settings& settings = IsParagraphWord(t.word) || t.word == "pard" ? paragraph : characters;
    settings.bytes += setting.size();
    if (settings.bytes <= kMaxCarried) settings.words.push_back(setting);
  }
  if (end == 0 || cuts.empty()) return whole;
  // What follows the paragraph mark at `at` is nothing but the document's end.
  const auto onlyEndFollows = [&](size_t at) {
    Token mark;
    return NextToken(rtf, at, &mark) && rtf.find_first_not_of(" \r\n", mark.end) >= end - 1;
  };
  // The last piece must hold more than the document's last paragraph mark.
  while (!cuts.empty() && onlyEndFollows(cuts.back())) {
    cuts.pop_back();
    carried.pop_back();
  }
  if (cuts.empty()) return whole;

  // The header ends at a word boundary: its last word's ending space is in it, or it ended on a
  // brace or a digit, which nothing that follows can run into.
  std::vector<std::string> pieces;
  pieces.push_back(rtf.substr(0, cuts[0]) + "}");
  // The document's last mark is the viewer's own end of text; streamed into the end of the text
  // it would add an empty line, so it is left out.
  const size_t last = lastMark != std::string::npos && onlyEndFollows(lastMark) ? lastMark : end - 1;
  for (size_t i = 0; i < cuts.size(); ++i) {
    const size_t from = cuts[i];
    const size_t to = i + 1 < cuts.size() ? cuts[i + 1] : last;
    std::string piece = header;
    if (!piece.empty() && IsLetter(piece.back())) piece += ' ';
    piece += carried[i];
    piece += rtf.substr(from, to - from);
    piece += '}';
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

}  // namespace util
