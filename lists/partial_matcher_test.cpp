#include "lists/partial_matcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace avex {
namespace {

PartialList EntriesOf(const std::vector<std::string>& texts) {
  PartialList entries;
  for (size_t i = 0; i < texts.size(); ++i) {
    entries.push_back(ManualEntry{texts[i], static_cast<int32_t>(100 + i)});
  }
  return entries;
}

std::string Printable(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string Describe(const PartialList& entries, const std::string& url) {
  std::string out = "entries:";
  for (const ManualEntry& entry : entries) out += " " + Printable(entry.text);
  return out + "\nurl: " + Printable(url);
}

constexpr int kNone = -1;

struct MatchCase {
  std::vector<std::string> entries;
  std::string url;
  int expected;  // position of the winning entry, or kNone
};

TEST(PartialMatcher, AnswersTheEarliestEntryThatOccurs) {
  const MatchCase cases[] = {
      {{}, "http://example.com", kNone},
      {{"poker"}, "http://example.com/", kNone},
      {{"poker"}, "http://poker.example/", 0},
      {{"casino", "poker"}, "http://poker.example/casino", 0},
      {{"poker", "casino"}, "http://poker.example/casino", 0},
      {{"casino", "poker"}, "http://poker.example/", 1},
      // An empty entry occurs everywhere, even in an empty URL, but an earlier
      // entry that occurs still comes first.
      {{"q", "", "poker"}, "http://poker.example/", 1},
      {{"poker", ""}, "http://poker.example/", 0},
      {{""}, "", 0},
      // Duplicates: the first copy is the one that answers.
      {{"bet", "poker", "bet"}, "http://bet.example/", 0},
      {{"poker", "bet", "bet"}, "http://bet.example/", 1},
      // Entries inside one another, ending at the same byte or not.
      {{"abc", "b"}, "xabcx", 0},
      {{"b", "abc"}, "xabcx", 0},
      {{"abcd", "bc"}, "abcx", 1},
      {{"zbcd", "abce", "bcd"}, "abcd", 2},
      {{"aab"}, "aaab", 0},
      {{"aaa"}, "aa", kNone},
      {{"abab", "bab"}, "ababab", 0},
      {{"toolongforit"}, "tool", kNone},
      // Entries are lower-cased, the URL is taken as it is.
      {{"POKER"}, "http://poker.example/", 0},
      {{"poker"}, "http://POKER.example/", kNone},
      {{"\xC0la"}, "http://\xE0la.example/", 0},
      {{"\xE0la"}, "http://\xC0la.example/", kNone},
      {{"\xFF\x80"}, "a\xFF\x80z", 0},
  };
  for (const MatchCase& c : cases) {
    const PartialList entries = EntriesOf(c.entries);
    const std::optional<uint32_t> expected =
        c.expected == kNone ? std::nullopt : std::optional<uint32_t>(c.expected);
    EXPECT_EQ(FirstPartialMatchByWalk(entries, c.url), expected) << Describe(entries, c.url);
    const PartialMatcher matcher(entries);
    EXPECT_EQ(matcher.FirstMatch(c.url), expected) << Describe(entries, c.url);
    if (expected) {
      EXPECT_EQ(matcher.CategoryAt(*expected), 100 + c.expected);
    }
  }
}

struct ListShape {
  uint32_t maxEntries;
  uint32_t minEntryLength, maxEntryLength;
  uint32_t emptyPercent;      // entries with empty text
  uint32_t duplicatePercent;  // entries that repeat an earlier one
  uint32_t maxUrlLength;
};

// Lists and URLs drawn from a given set of symbols: few symbols make entries
// overlap, repeat and contain one another often.
class CaseGenerator {
 public:
  CaseGenerator(uint32_t seed, std::string alphabet) : random_(seed), alphabet_(std::move(alphabet)) {}

  std::string Text(uint32_t minLength, uint32_t maxLength) {
    std::string text;
    for (uint32_t n = minLength + Below(maxLength - minLength + 1); n > 0; --n) {
      text += alphabet_[Below(alphabet_.size())];
    }
    return text;
  }

  PartialList Entries(const ListShape& shape) {
    PartialList entries;
    for (uint32_t n = Below(shape.maxEntries + 1); n > 0; --n) {
      std::string text;
      const uint32_t kind = Below(100);
      if (kind < shape.emptyPercent) {
        text = "";
      } else if (kind < shape.emptyPercent + shape.duplicatePercent && !entries.empty()) {
        text = entries[Below(entries.size())].text;
      } else {
        text = Text(shape.minEntryLength, shape.maxEntryLength);
      }
      entries.push_back(ManualEntry{text, static_cast<int32_t>(entries.size())});
    }
    return entries;
  }

 private:
  uint32_t Below(size_t n) { return static_cast<uint32_t>(random_() % n); }

  std::mt19937 random_;
  std::string alphabet_;
};

void ExpectMatcherAgreesWithWalk(uint32_t seed, const std::string& alphabet, const ListShape& shape,
                                 int lists, int urlsPerList) {
  CaseGenerator generator(seed, alphabet);
  for (int l = 0; l < lists; ++l) {
    const PartialList entries = generator.Entries(shape);
    const PartialMatcher matcher(entries);
    for (int u = 0; u < urlsPerList; ++u) {
      const std::string url = generator.Text(0, shape.maxUrlLength);
      ASSERT_EQ(matcher.FirstMatch(url), FirstPartialMatchByWalk(entries, url))
          << Describe(entries, url);
    }
  }
}

TEST(PartialMatcher, AgreesWithTheWalkOnSmallGeneratedLists) {
  // 12,000 lists of up to 12 entries, 5 URLs each, from upper and lower case,
  // separators and bytes above 0x7F.
  const ListShape shape{12, 0, 4, 10, 20, 24};
  ExpectMatcherAgreesWithWalk(20240601, "abAB/:.\xC0\xE0\x8A\x9A\xFF", shape, 12000, 5);
}

TEST(PartialMatcher, AgreesWithTheWalkOnLargeGeneratedLists) {
  // Many symbols and many entries give states with many children, which the
  // automaton looks up in rows of 256; entries long enough that most URLs are
  // decided late in the list, or not at all.
  std::string alphabet;
  for (char c = 'a'; c <= 'z'; ++c) alphabet += c;
  alphabet += "ABCXYZ0123456789/.:?\x80\xC9\xE9\xFE";
  const ListShape shape{3000, 3, 6, 0, 5, 80};
  ExpectMatcherAgreesWithWalk(7, alphabet, shape, 20, 300);
}

}  // namespace
}  // namespace avex
