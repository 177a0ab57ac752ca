#include "lists/manual_list_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/category_table.h"

namespace avex {

// Names the entry in a failure message, control bytes made visible.
void PrintTo(const ListFileLine& entry, std::ostream* out) {
  *out << '"';
  for (char c : entry.text) {
    if (c == '\r') {
      *out << "\\r";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      *out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
    } else {
      *out << c;
    }
  }
  *out << "\" (" << entry.text.size() << " bytes) " << ManualEntryTypeWord(entry.type) << " " << entry.categoryId;
}

namespace {

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;
constexpr int32_t kSoftwareDownloads = 15;
constexpr int32_t kFinanceBanking = 27;
constexpr int32_t kUnknown = 0;
constexpr int32_t kNoClassification = 7;
constexpr int32_t kOldShopping = 26;
constexpr int32_t kWithoutRow = 24;

ListFileLine Entry(std::string text, int type, int32_t categoryId) {
  ListFileLine entry;
  entry.text = std::move(text);
  entry.type = type;
  entry.categoryId = categoryId;
  return entry;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A temporary file holding `bytes`, positioned at its start; removed when closed.
File FileOf(const std::string& bytes) {
  File file(std::tmpfile());
  if (!file) return file;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return File();
  std::rewind(file.get());
  return file;
}

std::vector<ListFileLine> Read(const std::string& bytes) {
  File file = FileOf(bytes);
  EXPECT_TRUE(file) << "no temporary file";
  std::vector<ListFileLine> entries;
  if (file) ReadListFile(file.get(), [&entries](const ListFileLine& entry) { entries.push_back(entry); });
  return entries;
}

TEST(ManualListFileTest, LinesSplitAtTheFirstAndTheLastBar) {
  const struct {
    const char* line;
    ListFileLine expected;
  } cases[] = {
      {"a|b|c|Site|Sex", Entry("a", ManualEntryUrl, kSex)},
      {"example.com", Entry("example.com", ManualEntryUrl, CategoryBlocked)},
      {"news.example.org|partial|allow", Entry("news.example.org", ManualEntryPartial, CategoryAllowed)},
      {"example.org|Site|Allow", Entry("example.org", ManualEntrySite, CategoryAllowed)},
      {"example.com|URL|Gambling", Entry("example.com", ManualEntryUrl, kGambling)},
      {"x|SITE|software downloads", Entry("x", ManualEntrySite, kSoftwareDownloads)},
      {"x|pArTiAl|FINANCE / BANKING", Entry("x", ManualEntryPartial, kFinanceBanking)},
      {"x|Site|blocked", Entry("x", ManualEntrySite, CategoryBlocked)},
      // A single bar: the type word is empty, the classification is the rest.
      {"x|Site", Entry("x", ManualEntryUrl, CategoryBlocked)},
      {"x|Sex", Entry("x", ManualEntryUrl, kSex)},
      {"|", Entry("", ManualEntryUrl, CategoryBlocked)},
      {"|||", Entry("", ManualEntryUrl, CategoryBlocked)},
      {"||Partial||Allow", Entry("", ManualEntryUrl, CategoryAllowed)},
      {"|Partial|Allow", Entry("", ManualEntryPartial, CategoryAllowed)},
      // Words are taken as they stand: no trimming, no descriptions, no
      // categories without a block page.
      {"x|Partial |Sex", Entry("x", ManualEntryUrl, kSex)},
      {"x|Site|Sex ", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|Allowed", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|Sexual content", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|Unknown", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|None", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|Old shopping", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"x|Site|", Entry("x", ManualEntrySite, CategoryBlocked)},
      {"HTTP://Example.COM/?|Site|Sex", Entry("HTTP://Example.COM/?", ManualEntrySite, kSex)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseListFileLine(c.line), c.expected) << c.line;
  }
}

TEST(ManualListFileTest, ExportWritesAllowedAndBlockPageCategoriesOnly) {
  const struct {
    const char* text;
    int type;
    int32_t categoryId;
    const char* expected;  // null: not exported
  } cases[] = {
      {"example.org", ManualEntrySite, CategoryAllowed, "example.org|Site|Allow\n"},
      {"example.com", ManualEntryUrl, kGambling, "example.com|URL|Gambling\n"},
      {"x", ManualEntryPartial, CategoryBlocked, "x|Partial|Blocked\n"},
      {"x", ManualEntrySite, kFinanceBanking, "x|Site|Finance / Banking\n"},
      {"", 7, kSoftwareDownloads, "|Partial|Software Downloads\n"},
      {"x", ManualEntryUrl, kUnknown, nullptr},
      {"x", ManualEntryUrl, kNoClassification, nullptr},
      {"x", ManualEntryUrl, kOldShopping, nullptr},
      {"x", ManualEntryUrl, kWithoutRow, nullptr},
      {"x", ManualEntryUrl, CategoryNone, nullptr},
  };
  for (const auto& c : cases) {
    std::string line = "untouched";
    EXPECT_EQ(FormatListFileLine(c.text, c.type, c.categoryId, &line), c.expected != nullptr) << c.categoryId;
    EXPECT_EQ(line, c.expected != nullptr ? c.expected : "untouched") << c.categoryId;
  }
}

TEST(ManualListFileTest, FilesReadAsTextModeLinesWouldBe) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<ListFileLine> expected;
  } cases[] = {
      {"an export", "example.org|Site|Allow\nexample.com|URL|Gambling\n",
       {Entry("example.org", ManualEntrySite, CategoryAllowed), Entry("example.com", ManualEntryUrl, kGambling)}},
      {"an empty file", "", {}},
      {"no line feed at the end", "a|Site|Sex", {Entry("a", ManualEntrySite, kSex)}},
      {"empty lines", "\n\n\r\na\n\r\n\n", {Entry("a", ManualEntryUrl, CategoryBlocked)}},
      {"CR LF line ends", "a|Site|Sex\r\nb\r\n",
       {Entry("a", ManualEntrySite, kSex), Entry("b", ManualEntryUrl, CategoryBlocked)}},
      {"a CR LF ending the classification", "a|Site|Allow\r\n", {Entry("a", ManualEntrySite, CategoryAllowed)}},
      {"a lone CR inside a line", "a\rb|Site|Sex\n", {Entry("a\rb", ManualEntrySite, kSex)}},
      {"a lone CR at the end of the file", "a\r", {Entry("a\r", ManualEntryUrl, CategoryBlocked)}},
      {"a CR before a CR LF", "a\r\r\n", {Entry("a\r", ManualEntryUrl, CategoryBlocked)}},
      {"a CR only", "\r", {Entry("\r", ManualEntryUrl, CategoryBlocked)}},
      {"only bars", "|||||\n|\n",
       {Entry("", ManualEntryUrl, CategoryBlocked), Entry("", ManualEntryUrl, CategoryBlocked)}},
      {"a NUL before the bars", std::string("ab\0cd|Site|Sex\n", 15), {Entry("ab", ManualEntryUrl, CategoryBlocked)}},
      {"a NUL after the classification", std::string("ab|Site|Sex\0zz\nc\n", 17),
       {Entry("ab", ManualEntrySite, kSex), Entry("c", ManualEntryUrl, CategoryBlocked)}},
      {"a NUL starting a line", std::string("\0abc\nd\n", 7), {Entry("d", ManualEntryUrl, CategoryBlocked)}},
      {"NULs only", std::string(3, '\0'), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.bytes), c.expected) << c.name;
  }
}

TEST(ManualListFileTest, LongLinesReadInPiecesOf4095Bytes) {
  const std::string x4094(4094, 'x');
  const std::string x4095(4095, 'x');
  const auto blocked = [](const std::string& text) { return Entry(text, ManualEntryUrl, CategoryBlocked); };
  const struct {
    const char* name;
    std::string bytes;
    std::vector<ListFileLine> expected;
  } cases[] = {
      {"4094 bytes", x4094 + "\n", {blocked(x4094)}},
      {"4095 bytes", x4095 + "\n", {blocked(x4095)}},
      {"4096 bytes", x4095 + "y\n", {blocked(x4095), blocked("y")}},
      {"5000 bytes", std::string(5000, 'x') + "\n", {blocked(x4095), blocked(std::string(905, 'x'))}},
      {"8190 bytes", x4095 + x4095 + "\n", {blocked(x4095), blocked(x4095)}},
      {"8191 bytes", x4095 + x4095 + "z", {blocked(x4095), blocked(x4095), blocked("z")}},
      // CR LF counts as the one line feed it reads as.
      {"4094 bytes and CR LF", x4094 + "\r\nnext\r\n", {blocked(x4094), blocked("next")}},
      {"4095 bytes and CR LF", x4095 + "\r\nnext\r\n", {blocked(x4095), blocked("next")}},
      {"4095 bytes and a lone CR", x4094 + "\ry\n", {blocked(x4094 + "\r"), blocked("y")}},
      // The rest of a long line is a line of its own, bars and all.
      {"a classification past 4095 bytes", x4095 + "|Site|Sex\n", {blocked(x4095), Entry("", ManualEntrySite, kSex)}},
      // The bytes after a NUL count towards the 4095 though they are not text.
      {"a NUL within the first 4095 bytes", std::string(1, '\0') + x4095 + "\n", {blocked("x")}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.bytes), c.expected) << c.name;
  }
}

// Shifting the lines byte by byte puts a CR LF across every boundary at
// which the file is read in parts, wherever those lie.
TEST(ManualListFileTest, CrLfReadsAsOneLineFeedWhereverItFalls) {
  const std::string line = "abcdefg\r\n";
  constexpr size_t kLines = 20000;
  std::string lines;
  for (size_t i = 0; i < kLines; ++i) lines += line;
  for (size_t shift = 0; shift < line.size(); ++shift) {
    const std::vector<ListFileLine> entries = Read(std::string(shift, '\n') + lines);
    ASSERT_EQ(entries.size(), kLines) << "shifted by " << shift;
    for (size_t i = 0; i < kLines; ++i) {
      ASSERT_EQ(entries[i], Entry("abcdefg", ManualEntryUrl, CategoryBlocked)) << "shifted by " << shift << ", line " << i;
    }
  }
}

// What Export writes, Import reads back as it was, for entry texts without
// bars and line feeds; entries without a block page are left out.
TEST(ManualListFileTest, ExportedEntriesReadBackInTheirOrder) {
  const std::vector<ListFileLine> entries = {
      Entry("example.org", ManualEntrySite, CategoryAllowed),
      Entry("example.com", ManualEntryUrl, kGambling),
      Entry("news", ManualEntryPartial, CategoryBlocked),
      Entry("unknown.example", ManualEntryUrl, kUnknown),
      Entry("", ManualEntryPartial, kSex),
      Entry("Mixed Case\twith tab and \r inside", ManualEntrySite, kFinanceBanking),
      Entry(std::string(4000, 'w'), ManualEntryUrl, kSoftwareDownloads),
      Entry("old.example", ManualEntrySite, kOldShopping),
  };
  std::string file;
  std::vector<ListFileLine> exported;
  for (const ListFileLine& entry : entries) {
    std::string line;
    if (FormatListFileLine(entry.text, entry.type, entry.categoryId, &line)) {
      file += line;
      exported.push_back(entry);
    }
  }
  ASSERT_EQ(exported.size(), 6u);
  EXPECT_EQ(Read(file), exported);
}

// A file far larger than anything the reader holds: one 50 MiB line, read
// as pieces of 4095 bytes without keeping more than one of them.
TEST(ManualListFileTest, FiftyMegabyteLineReadsInPieces) {
  constexpr size_t kChunk = 1 << 20;
  constexpr size_t kChunks = 50;
  File file(std::tmpfile());
  ASSERT_TRUE(file);
  const std::string chunk(kChunk, 'x');
  for (size_t i = 0; i < kChunks; ++i) ASSERT_EQ(std::fwrite(chunk.data(), 1, kChunk, file.get()), kChunk);
  std::rewind(file.get());

  constexpr size_t kTotal = kChunk * kChunks;
  size_t count = 0;
  size_t bytes = 0;
  bool allPieces = true;
  ReadListFile(file.get(), [&](const ListFileLine& entry) {
    const bool last = bytes + entry.text.size() == kTotal;
    allPieces = allPieces && (entry.text.size() == 4095 || (last && entry.text.size() == kTotal % 4095)) &&
                entry.text.find_first_not_of('x') == std::string::npos && entry.type == ManualEntryUrl &&
                entry.categoryId == CategoryBlocked;
    ++count;
    bytes += entry.text.size();
  });
  EXPECT_EQ(count, (kTotal + 4094) / 4095);
  EXPECT_EQ(bytes, kTotal);
  EXPECT_TRUE(allPieces);
}

TEST(ManualListFileTest, TypeWordsAndIndexes) {
  const struct {
    int type;
    const char* word;
  } words[] = {{ManualEntryPartial, "Partial"}, {ManualEntryUrl, "URL"}, {ManualEntrySite, "Site"},
               {-1, "Partial"},                 {3, "Partial"}};
  for (const auto& w : words) EXPECT_STREQ(ManualEntryTypeWord(w.type), w.word) << w.type;

  const struct {
    const char* word;
    int type;
  } types[] = {{"Partial", ManualEntryPartial}, {"PARTIAL", ManualEntryPartial}, {"site", ManualEntrySite},
               {"url", ManualEntryUrl},         {"", ManualEntryUrl},            {"Sites", ManualEntryUrl},
               {"Part", ManualEntryUrl}};
  for (const auto& t : types) EXPECT_EQ(ManualEntryTypeOf(t.word), t.type) << t.word;
}

}  // namespace
}  // namespace avex
