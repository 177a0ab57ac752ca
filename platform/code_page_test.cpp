// Contract of platform/code_page.h: the Win32 backend under Wine and the POSIX
// backend fold every byte of code page 1252 alike.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace avex::platform {
namespace {

// What Wine's CharLowerBuffA changes in code page 1252: A-Z, Š Œ Ž Ÿ, and
// 0xC0-0xDE except ×. CharUpperBuffA is the inverse; µ ß ª º (0xB5 0xDF 0xAA
// 0xBA) have no upper case form in the code page and stay.
std::vector<std::pair<int, int>> LowerPairs() {
  std::vector<std::pair<int, int>> pairs;
  for (int c = 'A'; c <= 'Z'; ++c) pairs.push_back({c, c + 0x20});
  pairs.push_back({0x8A, 0x9A});
  pairs.push_back({0x8C, 0x9C});
  pairs.push_back({0x8E, 0x9E});
  pairs.push_back({0x9F, 0xFF});
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) pairs.push_back({c, c + 0x20});
  }
  return pairs;
}

std::string AllBytes() {
  std::string bytes(256, '\0');
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
  return bytes;
}

TEST(CodePageTest, LowerCaseOfEveryByte) {
  std::string expected = AllBytes();
  for (auto [from, to] : LowerPairs()) expected[from] = static_cast<char>(to);
  std::string text = AllBytes();
  LowerInPlace(&text);
  ASSERT_EQ(text.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(expected[i])) << "byte " << i;
  }
}

TEST(CodePageTest, UpperCaseOfEveryByte) {
  std::string expected = AllBytes();
  for (auto [upper, lower] : LowerPairs()) expected[lower] = static_cast<char>(upper);
  std::string text = AllBytes();
  UpperInPlace(&text);
  ASSERT_EQ(text.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(expected[i])) << "byte " << i;
  }
  for (int c : {0xB5, 0xDF, 0xAA, 0xBA, 0xF7, 0xD7}) EXPECT_EQ(static_cast<unsigned char>(text[c]), c) << c;
}

TEST(CodePageTest, EmptyAndMixedTexts) {
  std::string empty;
  LowerInPlace(&empty);
  UpperInPlace(&empty);
  EXPECT_TRUE(empty.empty());
  std::string text = "WWW.Example.COM/Caf\xC9?Q=\x8A";
  LowerInPlace(&text);
  EXPECT_EQ(text, "www.example.com/caf\xE9?q=\x9A");
  UpperInPlace(&text);
  EXPECT_EQ(text, "WWW.EXAMPLE.COM/CAF\xC9?Q=\x8A");
}

TEST(CodePageTest, WesternEuropeanSingleByte) {
  EXPECT_EQ(AnsiCodePage(), 1252u);
  for (int c = 0; c < 256; ++c) EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(c))) << c;
}

}  // namespace
}  // namespace avex::platform
