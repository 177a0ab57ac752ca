#include "lists/compact_list.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace avex {
namespace {

// Texts of every length class the arena treats apart: empty, short, long
// enough that chunks fill up and a text must start a new one, and longer
// than a chunk.
std::vector<std::string> MixedTexts() {
  std::mt19937 random(3);
  std::vector<std::string> texts = {"", "a", "ab", "a\xE9", std::string(1, '\0'), std::string(300000, 'x')};
  for (int i = 0; i < 40000; ++i) {
    const size_t length = i % 500 == 0 ? 70000 + random() % 1000 : random() % 40;
    std::string text(length, 'a');
    for (char& c : text) c = static_cast<char>('a' + random() % 4);
    texts.push_back(text);
  }
  return texts;
}

TEST(CompactList, HoldsWhatAnOrderedMapHoldsFirstEntryWinningInByteOrder) {
  CompactList list;
  std::map<std::string, int32_t> reference;
  int32_t category = 0;
  for (const std::string& text : MixedTexts()) {
    const bool added = reference.emplace(text, category).second;
    EXPECT_EQ(list.Insert(text, category), added) << text.size();
    ++category;
  }
  ASSERT_EQ(list.size(), reference.size());
  const std::vector<uint32_t> order = list.SortedOrder();
  auto expected = reference.begin();
  for (const uint32_t position : order) {
    ASSERT_EQ(list.TextAt(position), expected->first);
    EXPECT_EQ(list.CategoryAt(position), expected->second);
    ++expected;
  }
  for (const auto& [text, id] : reference) EXPECT_EQ(list.Find(text), id);
  EXPECT_EQ(list.Find("abcdx"), std::nullopt);
  EXPECT_EQ(list.Find(std::string(300001, 'x')), std::nullopt);
}

TEST(CompactList, ACopyIsEqualAndIndependentAndOrderDoesNotMatterToEquality) {
  CompactList list;
  for (const std::string& text : MixedTexts()) list.Insert(text, static_cast<int32_t>(text.size()));
  CompactList copy = list;
  EXPECT_EQ(copy, list);
  EXPECT_TRUE(copy.Insert("only in the copy", 1));
  EXPECT_NE(copy, list);
  EXPECT_EQ(list.Find("only in the copy"), std::nullopt);

  CompactList forwards, backwards;
  const std::vector<std::string> texts = {"c", "a", "b"};
  for (size_t i = 0; i < texts.size(); ++i) forwards.Insert(texts[i], 7);
  for (size_t i = texts.size(); i-- > 0;) backwards.Insert(texts[i], 7);
  EXPECT_EQ(forwards, backwards);
  CompactList otherCategory;
  for (const std::string& text : texts) otherCategory.Insert(text, text == "b" ? 8 : 7);
  EXPECT_NE(forwards, otherCategory);
}

}  // namespace
}  // namespace avex
