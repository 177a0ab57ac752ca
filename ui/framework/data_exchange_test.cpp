#include "ui/framework/data_exchange.h"

#include <gtest/gtest.h>

namespace avex::ui {
namespace {

TEST(ParseIntegerTest, TakesWholeNumbersOnly) {
  struct Case {
    const char* text;
    std::optional<int64_t> value;
  };
  const Case cases[] = {
      {"1", 1},
      {"2147483647", 2147483647},
      {"-5", -5},
      {"+7", 7},
      {" 42 ", 42},
      {"2147483648", 2147483648},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-", std::nullopt},
      {"ten", std::nullopt},
      {"12abc", std::nullopt},
      {"1.5", std::nullopt},
      {"1 2", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << "'" << c.text << "'";
}

TEST(IntegerRangeMessageTest, NamesTheRange) {
  EXPECT_EQ(IntegerRangeMessage(1, 2147483647), "Please enter an integer between 1 and 2147483647.");
}

}  // namespace
}  // namespace avex::ui
