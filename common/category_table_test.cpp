#include "common/category_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace avex {
namespace {

// The lookups are constant expressions, so the table can be checked while compiling.
static_assert(CategoryCount == 31);
static_assert(CategoryIndexOf(0) == 22);
static_assert(CategoryIndexOf(7) == 23);
static_assert(CategoryIndexOf(24) == CategoryCount);
static_assert(CategoryIndexOf(CategoryAllowed) == CategoryCount);
static_assert(CategoryIndexOf(CategoryBlocked) == 30);
static_assert(FindCategory(24) == nullptr);

struct ExpectedRow {
  int32_t id;
  const char* name;
  const char* description;
  uint32_t reasonId;
  const char* reason;
  bool hasResponse, listed, levelShown;
  float defaultLevel;
};

// Typed out again from the table the product documents, so that a slip in
// either copy shows.
const ExpectedRow CategoryTableExpected[] = {
    {1, "Sex", "Sexual content", 6002, "The content has been blocked because it is deemed to contain material of a sexual nature", true, true, true, 60},
    {2, "Gambling", "Gambling content", 6001, "The content has been blocked because it is deemed to contain material related to on-line gambling.", true, true, true, 60},
    {3, "Sports", "Sport content", 6004, "The content has been blocked because it is deemed to contain material related to sports.", true, true, false, 60},
    {4, "Jobs", "Job-seeking content", 6006, "The content has been blocked because it is deemed to contain material related to job-hunting.", true, true, false, 60},
    {5, "Shopping", "Shopping content", 6005, "The content has been blocked because it is deemed to be an on-line shopping site.", true, true, false, 60},
    {6, "Stocks", "Stock content", 6007, "The content has been blocked because it is deemed to contain material related to stock markets and transactions.", true, true, false, 60},
    {8, "Violence", "Violence content", 6008, "The content has been blocked because it is deemed to contain material that is violent in nature", true, true, false, 60},
    {9, "Web-mail", "Web-mail content", 6009, "The content has been blocked because it is deemed to be a web-based email system.", true, true, false, 60},
    {10, "Weapons", "Weapons content", 6010, "The content has been blocked because it is deemed to contain material related to weapons and other instruments of agression.", true, true, false, 60},
    {11, "Hate", "Hate-speech content", 6011, "The content has been blocked because it is deemed to contain material that is hateful in nature", true, true, false, 60},
    {12, "Drugs", "Drug content", 6012, "The content has been blocked because it is deemed to contain material relating to drugs and possible drug abuse.", true, true, false, 60},
    {13, "Games", "Games content", 6018, "The content has been blocked because it is deemed to contain material related to gaming.", true, true, false, 60},
    {14, "News", "News content", 6014, "The content has been blocked because it is deemed to be a news or related site.", true, true, false, 60},
    {15, "Software Downloads", "Software download content", 6019, "The content has been blocked because it is deemed to be a software download site.", true, true, false, 60},
    {16, "Travel", "Travel content", 6020, "The content has been blocked because it is deemed to contain material related to travel.", true, true, false, 60},
    {17, "Cults", "Cult content", 6021, "The content has been blocked because it is deemed to contain material related to cults.", true, true, false, 60},
    {18, "Warez", "Warez content", 6022, "The content has been blocked because it is deemed to contain material related to warez and warez downloads.", true, true, false, 60},
    {19, "Auctions", "Auctions content", 6023, "The content has been blocked because it is deemed to be an online auction site.", true, true, false, 60},
    {20, "Dating", "Dating content", 6015, "The content has been blocked because it is deemed to contain material related to dating or online personal ads.", true, true, false, 60},
    {21, "Chat", "Chat content", 6017, "The content has been blocked because it is deemed to be a chat site.", true, true, false, 60},
    {22, "Health", "Health content", 6024, "The content has been blocked because it is deemed to contain material related to health.", true, true, false, 60},
    {23, "Forums", "Forum content", 6025, "The content has been blocked because it is deemed to be a forum site.", true, true, false, 60},
    {0, "Unknown", "Unknown content", 6003, "The page type could not be established clearly.", false, false, false, 0},
    {7, "None", "No classification", 6003, "The page type could not be established clearly.", false, false, false, 60},
    {25, "Government", "Government content", 6028, "The content has been blocked because it is deemed to be a governmental site", true, true, false, 0},
    {26, "Old shopping", "Old Shopping category", 6005, "The content has been blocked because it is deemed to be an on-line shopping site.", false, false, false, 0},
    {27, "Finance / Banking", "Finance / Banking content", 6029, "The content has been blocked becakse it is deemed to be a banking or financial site", true, true, false, 0},
    {28, "Child pornography", "Child pornography content", 6030, "The content has been blocked because it is deemed to contain material related to child pornography", true, true, false, 0},
    {29, "Social networking", "Social networking content", 6031, "The content has been blocked because it is deemed to be a social networking site", true, true, false, 0},
    {30, "Blogs", "Blog site", 6032, "The content has been blocked because it is deemed to be a blog site", true, true, false, 0},
    {0x7FFFFFFD, "Blocked", "Administratively blocked", 6027, "The content has been blocked due to administrative policy", true, true, false, 0},
};
static_assert(sizeof CategoryTableExpected / sizeof CategoryTableExpected[0] == CategoryCount);

TEST(CategoryTableRows, EveryRowAsDocumented) {
  for (size_t row = 0; row < CategoryCount; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const ExpectedRow& want = CategoryTableExpected[row];
    const CategoryInfo& got = CategoryTable[row];
    EXPECT_EQ(got.id, want.id);
    EXPECT_STREQ(got.name, want.name);
    EXPECT_STREQ(got.description, want.description);
    EXPECT_EQ(got.reasonStringId, want.reasonId);
    EXPECT_EQ(CategoryReasonText(row), want.reason);
    EXPECT_EQ(got.hasResponse, want.hasResponse);
    EXPECT_EQ(got.listed, want.listed);
    EXPECT_EQ(got.levelShown, want.levelShown);
    EXPECT_EQ(got.defaultLevel, want.defaultLevel);
  }
}

TEST(CategoryTableRows, SpecialIdsAndShape) {
  EXPECT_EQ(CategoryBlocked, 2147483645);
  EXPECT_EQ(CategoryAllowed, 2147483646);
  EXPECT_EQ(CategoryNone, 2147483647);
  EXPECT_STREQ(CategoryAllowedLabel, "Allow");
  std::set<int32_t> ids;
  for (const CategoryInfo& row : CategoryTable) ids.insert(row.id);
  EXPECT_EQ(ids.size(), CategoryCount) << "ids are unique";
  // The engine's categories come first, the policy verdict last.
  EXPECT_EQ(CategoryTable[EngineCategoryRows].id, CategoryBlocked);
  for (size_t row = 0; row < EngineCategoryRows; ++row) {
    EXPECT_GE(CategoryTable[row].id, 0);
    EXPECT_LE(CategoryTable[row].id, 30);
  }
}

TEST(CategoryTableRows, ReasonTextOutsideTheTableIsEmpty) {
  EXPECT_EQ(CategoryReasonText(CategoryCount), "");
  EXPECT_EQ(CategoryReasonText(1000), "");
}

TEST(CategoryTableLookups, IndexOf) {
  struct Case {
    int32_t id;
    size_t row;
  } cases[] = {
      {1, 0},  {2, 1},   {6, 5},   {8, 6},   {23, 21}, {0, 22},
      {7, 23}, {25, 24}, {26, 25}, {30, 29}, {CategoryBlocked, 30},
      {24, CategoryCount}, {31, CategoryCount}, {-1, CategoryCount}, {-2, CategoryCount},
      {CategoryAllowed, CategoryCount}, {CategoryNone, CategoryCount},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CategoryIndexOf(c.id), c.row) << "id " << c.id;
    EXPECT_EQ(FindCategory(c.id), c.row < CategoryCount ? &CategoryTable[c.row] : nullptr);
  }
}

TEST(CategoryTableLookups, IsCategoryBlockedFollowsTheEnabledFlagOfTheIdsRow) {
  CategoryEnabledFlags none{};
  CategoryEnabledFlags all;
  all.fill(true);
  CategoryEnabledFlags onlyUnknown{};  // row 22, id 0
  onlyUnknown[22] = true;
  CategoryEnabledFlags allButSex = all;  // row 0, id 1
  allButSex[0] = false;

  struct Case {
    const char* what;
    int32_t id;
    const CategoryEnabledFlags* flags;
    bool blocked;
  } cases[] = {
      {"allowed, everything enabled", CategoryAllowed, &all, false},
      {"allowed, nothing enabled", CategoryAllowed, &none, false},
      {"id without a row", 24, &all, false},
      {"no category", CategoryNone, &all, false},
      {"negative id", -5, &all, false},
      {"enabled row", 1, &all, true},
      {"disabled row", 1, &allButSex, false},
      {"other rows unaffected", 2, &allButSex, true},
      {"blocked verdict enabled", CategoryBlocked, &all, true},
      {"blocked verdict disabled", CategoryBlocked, &none, false},
      {"id 0 is row 22", 0, &onlyUnknown, true},
      {"id 22 is row 20, not 22", 22, &onlyUnknown, false},
      {"id 7 is row 23", 7, &onlyUnknown, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCategoryBlocked(c.id, *c.flags), c.blocked) << c.what;
    // The same through an accessor, as a settings record is passed.
    const CategoryEnabledFlags& flags = *c.flags;
    EXPECT_EQ(IsCategoryBlocked(c.id, [&flags](size_t row) { return flags[row]; }), c.blocked)
        << c.what;
  }
}

TEST(CategoryTableLookups, IsCategoryBlockedAsksOnlyForTheIdsRow) {
  std::set<size_t> asked;
  auto record = [&asked](size_t row) {
    asked.insert(row);
    return true;
  };
  EXPECT_TRUE(IsCategoryBlocked(7, record));
  EXPECT_FALSE(IsCategoryBlocked(CategoryAllowed, record));
  EXPECT_FALSE(IsCategoryBlocked(24, record));
  EXPECT_EQ(asked, std::set<size_t>{23});
}

TEST(CategoryTableLegacy, PositionToId) {
  struct Case {
    size_t position;
    int32_t id;
  } cases[] = {
      {0, 1},   {5, 6},    {6, 8},   {21, 23},
      {22, 0},  {23, 7},  {24, CategoryNone}, {25, CategoryBlocked},
      {26, CategoryBlocked}, {27, CategoryBlocked}, {1000, CategoryBlocked},
  };
  for (const Case& c : cases) EXPECT_EQ(CategoryIdOfLegacyPosition(c.position), c.id) << c.position;
  for (size_t p = 0; p <= 5; ++p) EXPECT_EQ(CategoryIdOfLegacyPosition(p), static_cast<int32_t>(p + 1));
  for (size_t p = 6; p <= 21; ++p) EXPECT_EQ(CategoryIdOfLegacyPosition(p), static_cast<int32_t>(p + 2));
}

TEST(CategoryTableLegacy, VersionTwoValueNumbersNameTheRowOfPositionNMinusOne) {
  // "Enable N" / "Level N" of the old layout belong to legacy position N - 1.
  struct Case {
    unsigned number;
    const char* name;
  } cases[] = {{1, "Sex"}, {2, "Gambling"}, {7, "Violence"}, {22, "Forums"},
               {23, "Unknown"}, {24, "None"}, {26, "Blocked"}};
  for (const Case& c : cases) {
    const CategoryInfo* row = FindCategory(CategoryIdOfLegacyPosition(c.number - 1));
    ASSERT_NE(row, nullptr) << c.number;
    EXPECT_STREQ(row->name, c.name) << c.number;
  }
}

TEST(CategoryTableLegacy, NumberToId) {
  struct Case {
    int32_t number;
    int32_t id;
  } cases[] = {
      {1, 1},  {6, 6},   {7, 7},    {8, 8},    {23, 23}, {0, 0},
      {24, CategoryBlocked},  // position 24's number counts as found nowhere
      {25, CategoryBlocked},  // legacy 25 is "Blocked", while our id 25 is "Government"
      {26, CategoryBlocked},  // not in the legacy table
      {-2, CategoryAllowed},
      {-1, CategoryBlocked},
      {30, CategoryBlocked},
      {CategoryBlocked, CategoryBlocked},
      {CategoryAllowed, CategoryBlocked},
  };
  for (const Case& c : cases) EXPECT_EQ(CategoryIdOfLegacyNumber(c.number), c.id) << c.number;
  // A DWORD read from the registry arrives unsigned.
  EXPECT_EQ(CategoryIdOfLegacyNumber(static_cast<int32_t>(0xFFFFFFFEu)), CategoryAllowed);
}

TEST(CategoryTableNames, ValueNamesUseTheIdInUpperCaseHex) {
  struct Case {
    int32_t id;
    const char* enable;
    const char* level;
  } cases[] = {
      {1, "Enable_00000001", "Level_00000001"},
      {10, "Enable_0000000A", "Level_0000000A"},
      {30, "Enable_0000001E", "Level_0000001E"},
      {0, "Enable_00000000", "Level_00000000"},
      {CategoryBlocked, "Enable_7FFFFFFD", "Level_7FFFFFFD"},
      {-2, "Enable_FFFFFFFE", "Level_FFFFFFFE"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CategoryEnableValueName(c.id), c.enable);
    EXPECT_EQ(CategoryLevelValueName(c.id), c.level);
  }
}

}  // namespace
}  // namespace avex
