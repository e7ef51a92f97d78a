// The general error box's text.
#include <gtest/gtest.h>

#include "winui/general_error.h"

namespace winui {
namespace {

TEST(GeneralError, FullStopOnlyAfterACharacterThatSortsAfterTheDot) {
  EXPECT_EQ(GeneralErrorText(L"Disk full"), L"Disk full.");
  EXPECT_EQ(GeneralErrorText(L"Failed to set data for 'DisplayName'"),
            L"Failed to set data for 'DisplayName'");  // "'" sorts before "."
  EXPECT_EQ(GeneralErrorText(L"Done."), L"Done.");
  EXPECT_EQ(GeneralErrorText(L"Stop!"), L"Stop!");
  EXPECT_EQ(GeneralErrorText(L"Why?"), L"Why?.");
  EXPECT_EQ(GeneralErrorText(L"Файл не найден"), L"Файл не найден.");
  EXPECT_EQ(GeneralErrorText(L""), L"");
}

}  // namespace
}  // namespace winui
