#pragma once
// The answer file of /SAVEINF and /LOADINF: the answers of one installation as a UTF-8 INI text
// (with a byte-order mark) an administrator can read and edit. One section [Setup]; its keys are
// the command line's options without the slash (Dir, Groups, ACAD, Profile, BDE, AllUsers), text
// values quoted, BDE and AllUsers 0 or 1. A value read from the file is stored by the command
// line's own rules, so a file says nothing the command line could not.
#include <string>

#include "app/command_line.h"

namespace app {

// The file's bytes for `answers`: the destination, the groups, the AutoCAD product and profile
// when given, BDE, and AllUsers only when `withAllUsers` (a silent run's answer).
std::string AnswerFileText(const SetupOptions& answers, bool withAllUsers);

// Reads the file's bytes (the mark may be missing) into the answers fields of *answers, which it
// only sets. Returns the first fault with its line ("строка 3: ..."), empty when the file is
// sound: a line that is not UTF-8, a section other than [Setup], a key outside it, an unknown or
// repeated key, a line without "=", an empty value, a flag other than 0 or 1, or a value the
// command line would refuse.
std::wstring ReadAnswerFile(const std::string& bytes, SetupOptions* answers);

// The file's answers under the command line's: every answer the line gives wins over the file's.
void TakeAnswers(const SetupOptions& fromFile, SetupOptions* options);

}  // namespace app
