#pragma once
// Cuts a rich-text document into smaller documents that, streamed one after another into the
// end of a rich-edit viewer, show the same text with the same formatting. The viewer lays a
// document out in one go after reading it (seconds per MiB under Wine), so a long agreement goes
// in piece by piece and the window answers between the pieces.
#include <string>
#include <vector>

namespace util {

// Pieces of about `pieceBytes` each, cut only after a paragraph end outside any group or table.
// Every piece after the first repeats the document's header (font, colour and style tables and
// the document's own settings) and the paragraph and character settings in force at its start.
// A document this cannot follow (no "{\rtf" start, unbalanced braces, binary data) comes back
// whole, as the only piece.
std::vector<std::string> SplitRtf(const std::string& rtf, size_t pieceBytes);

}  // namespace util
