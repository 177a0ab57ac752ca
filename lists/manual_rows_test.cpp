#include "lists/manual_rows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/category_table.h"

namespace avex {
namespace {

std::FILE* FileWith(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  return file;
}

std::string ContentOf(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
  return text;
}

ManualLists SampleLists() {
  ManualLists lists;
  lists.AppendPartial({"casino", 2});
  lists.AppendPartial({"bet", CategoryBlocked});
  lists.InsertSite({"example.org", CategoryAllowed});
  lists.InsertUrl({"http://example.com/page", 1});
  return lists;
}

TEST(ManualRowsTest, StartsFromTheListsInPageOrderAndWritesThemBack) {
  const ManualLists lists = SampleLists();
  const ManualRows rows(lists);
  ASSERT_EQ(rows.size(), 4u);
  const char* texts[] = {"casino", "bet", "example.org", "http://example.com/page"};
  const int types[] = {ManualEntryPartial, ManualEntryPartial, ManualEntrySite, ManualEntryUrl};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].text, texts[i]);
    EXPECT_EQ(rows[i].type, types[i]);
  }
  ManualLists written;
  written.InsertUrl({"stale", 1});
  rows.WriteInto(&written);
  EXPECT_EQ(written, lists);
}

TEST(ManualRowsTest, StoredEntriesOfTwoListsWithOneTextAreAllKept) {
  ManualLists lists;
  lists.InsertSite({"example.com", CategoryAllowed});
  lists.InsertUrl({"example.com", CategoryBlocked});
  ManualRows rows(lists);
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_FALSE(rows.Add({"EXAMPLE.com", 1, ManualEntryPartial}));
  ManualLists written;
  rows.WriteInto(&written);
  EXPECT_EQ(written, lists);
  rows.Remove({0});
  EXPECT_TRUE(rows.Contains("example.com"));
  rows.Remove({0});
  EXPECT_FALSE(rows.Contains("example.com"));
}

TEST(ManualRowsTest, AddFindRemoveAndSwapAreCaseBlind) {
  ManualRows rows;
  EXPECT_TRUE(rows.Add({"Example.COM", 1, ManualEntrySite}));
  EXPECT_FALSE(rows.Add({"example.com", 2, ManualEntryUrl}));
  EXPECT_TRUE(rows.Add({"example.com/", 2, ManualEntryUrl}));
  EXPECT_TRUE(rows.Add({"news", 3, ManualEntryPartial}));
  EXPECT_EQ(rows.Find("EXAMPLE.com/"), 1);
  EXPECT_EQ(rows.Find("missing"), -1);
  rows.Swap(0, 2);
  EXPECT_EQ(rows[0].text, "news");
  EXPECT_EQ(rows.Find("example.COM"), 2);
  rows.Remove({0, 2});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text, "example.com/");
  EXPECT_TRUE(rows.Add({"EXAMPLE.COM", 4, ManualEntrySite}));
}

TEST(ManualRowsTest, ImportNormalisesAndDropsDuplicatesAndEmptyTexts) {
  ManualRows rows;
  rows.Add({"example.com", 1, ManualEntrySite});
  std::FILE* file = FileWith(
      "Example.COM/\n"
      "news.example.org|partial|allow\n"
      "a|b|c|Site|Sex\n"
      "|Partial|Sex\n"
      "/|URL|Allow\n"
      "NEWS.example.org/?|Site|Gambling\n");
  EXPECT_EQ(rows.Import(file), 2u);
  std::fclose(file);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].text, "news.example.org");
  EXPECT_EQ(rows[1].type, ManualEntryPartial);
  EXPECT_EQ(rows[1].categoryId, CategoryAllowed);
  EXPECT_EQ(rows[2].text, "a");
  EXPECT_EQ(rows[2].type, ManualEntryUrl);
  EXPECT_EQ(rows[2].categoryId, 1);
}

TEST(ManualRowsTest, ExportWritesExportableRowsAndImportReadsThemBack) {
  ManualRows rows;
  rows.Add({"example.org", CategoryAllowed, ManualEntrySite});
  rows.Add({"example.com", 2, ManualEntryUrl});
  rows.Add({"unknown.example", 24, ManualEntryUrl});  // id 24 has no row: not exported
  rows.Add({"tricks", CategoryBlocked, ManualEntryPartial});
  std::FILE* file = std::tmpfile();
  EXPECT_EQ(rows.Export(file), 3);
  EXPECT_EQ(ContentOf(file), "example.org|Site|Allow\nexample.com|URL|Gambling\ntricks|Partial|Blocked\n");

  std::rewind(file);
  ManualRows again;
  EXPECT_EQ(again.Import(file), 3u);
  std::fclose(file);
  ASSERT_EQ(again.size(), 3u);
  const size_t exported[] = {0, 1, 3};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(again[i].text, rows[exported[i]].text);
    EXPECT_EQ(again[i].type, rows[exported[i]].type);
    EXPECT_EQ(again[i].categoryId, rows[exported[i]].categoryId);
  }
}

TEST(ManualRowsTest, ColumnTexts) {
  EXPECT_EQ(ManualRowCategoryText(CategoryAllowed), "Allow");
  EXPECT_EQ(ManualRowCategoryText(1), "Sexual content");
  EXPECT_EQ(ManualRowCategoryText(CategoryBlocked), "Administratively blocked");
  EXPECT_EQ(ManualRowCategoryText(24), "Unknown category 24");
  EXPECT_STREQ(ManualRowTypeText(ManualEntryUrl), "URL");
  EXPECT_STREQ(ManualRowTypeText(ManualEntrySite), "Site");
  EXPECT_STREQ(ManualRowTypeText(ManualEntryPartial), "Partial");
}

}  // namespace
}  // namespace avex
