#include "util/strings.h"

#include <gtest/gtest.h>

TEST(AddBackslash, AppendsOnlyWhenMissing) {
  EXPECT_EQ(util::AddBackslash(L"C:\\X"), L"C:\\X\\");
  EXPECT_EQ(util::AddBackslash(L"C:\\X\\"), L"C:\\X\\");
  EXPECT_EQ(util::AddBackslash(L""), L"\\");
}
