// Contract of platform/string_table.h: every text of resources/string_texts.inc,
// from the STRINGTABLE resource on Win32 and compiled in on POSIX.
#include "platform/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace avex::platform {
namespace {

const std::vector<std::pair<uint32_t, std::string>> kTexts = {
#define X(id, text) {id, text},
#include "resources/string_texts.inc"
#undef X
};

TEST(StringTableTest, KnownTexts) {
  EXPECT_EQ(LoadText(1), "Ok");
  EXPECT_EQ(LoadText(23), "There is insufficient server memory to complete your request. Please see your system administrator.");
  EXPECT_EQ(LoadText(6013), "The content has been blocked because it is listed on the ban-list.");
}

TEST(StringTableTest, EveryTextOfTheSource) {
  ASSERT_FALSE(kTexts.empty());
  for (const auto& [id, text] : kTexts) EXPECT_EQ(LoadText(id), text) << "id " << id;
}

TEST(StringTableTest, MissingIdsGiveEmptyText) {
  for (uint32_t id : {0u, 4u, 6016u, 9999u, 65535u, 65536u + 1u}) EXPECT_EQ(LoadText(id), "") << id;
}

}  // namespace
}  // namespace avex::platform
