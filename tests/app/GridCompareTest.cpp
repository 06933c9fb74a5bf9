#include "app/GridCompare.h"

#include <gtest/gtest.h>

namespace velloran {
namespace {

TEST(ReadWholeNumber, ReadsTheLeadingNumberOfACell) {
  struct Case {
    const char* text;
    std::int64_t value;
  } cases[] = {
      {"", 0},
      {"n/a", 0},
      {"0", 0},
      {"1234", 1234},
      {"  42", 42},
      {"-17", -17},
      {"+8", 8},
      {"12 34", 12},
      {"-5kB", 5},  // not a number in full: no sign
      {"3.5", 3},
      {"$1F", 31},
      {"0x1f", 31},
      {"x10", 16},
      {"X10", 16},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"$G", 0},
      {"0x", 0},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483648LL},
      {"2147483648", 214748364},  // the digit that overflows does not fit
      {"\t5", 0},
      {"1,234", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadWholeNumber(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace velloran
