#include "filter/decision_chain.h"

#include <gtest/gtest.h>

#include <functional>

#include "filter/filter_test_support.h"
#include "common/result_codes.h"

namespace avex {
namespace {

using testing::FilterFixture;

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;
constexpr int32_t kNews = 14;

struct SourceCase {
  const char* name;
  std::function<void(FilterFixture&)> setUp;
  const char* contentType;
  const char* user;
  uint32_t result;
  bool activeAfter;
  int32_t recorded;
  std::vector<std::string> events;
};

TEST(SetSourceTest, OutcomesInTheirOrder) {
  const std::string url = "http://www.example.com/page";
  const auto blockedLine = [&](const char* source) {
    return std::string("[") + source + "] blocked " + url + " for user bob";
  };
  const std::string allowedLine = "Explicitly allowed " + url + " for user bob";
  const SourceCase cases[] = {
      {"no user", [](FilterFixture&) {}, "text/html", "", ResultNoSource, true, CategoryNone, {}},
      {"user not filtered",
       [](FilterFixture& f) { f.live.settings.applyToAllUsers = 0; },
       "text/html", "bob", ResultIgnore, false, CategoryNone, {}},
      {"not a text type", [](FilterFixture&) {}, "image/png", "bob", ResultNotApplicable, false, CategoryNone, {}},
      {"empty type", [](FilterFixture&) {}, "", "bob", ResultNotApplicable, false, CategoryNone, {}},
      {"manual allow",
       [](FilterFixture& f) { f.live.settings.lists.InsertSite({"www.example.com", CategoryAllowed}); },
       "text/html", "bob", ResultPass, false, CategoryAllowed, {allowedLine}},
      {"manual block",
       [](FilterFixture& f) { f.live.settings.lists.AppendPartial({"EXAMPLE", CategoryBlocked}); },
       "Text/HTML; charset=UTF-8", "bob", ResultReject, true, CategoryBlocked, {blockedLine("User URL List")}},
      {"manual category not enabled",
       [&url](FilterFixture& f) {
         f.live.settings.lists.InsertUrl({url, kNews});
         f.live.settings.SettingOf(kNews)->enabled = false;
       },
       nullptr, "bob", ResultPass, false, kNews, {allowedLine}},
      {"static list, first row of the mask",
       [](FilterFixture& f) {
         f.result.mask = 1u << kGambling | 1u << kSex;
         f.engine.requestObject.kind = 2;
       },
       "text/html", "bob", ResultReject, true, kSex, {blockedLine("Aurivex URL List")}},
      {"static list, category not enabled",
       [](FilterFixture& f) {
         f.result.mask = 1u << kNews;
         f.engine.requestObject.kind = 3;
         f.live.settings.SettingOf(kNews)->enabled = false;
       },
       "text/html", "bob", ResultPass, false, kNews, {allowedLine}},
      {"cache above its level",
       [](FilterFixture& f) {
         f.live.settings.useUrlCache = 1;
         f.result.confidences[kGambling] = 0.9;
         f.engine.requestObject.kind = 1;
       },
       "text/html", "bob", ResultReject, true, kGambling,
       {"[AI Cache -  90 percent Gambling] blocked " + url + " for user bob", blockedLine("Aurivex URL List")}},
      {"cache ignored when not in use",
       [](FilterFixture& f) {
         f.result.confidences[kGambling] = 0.9;
         f.engine.requestObject.kind = 1;
       },
       "text/html", "bob", ResultOk, true, CategoryNone, {}},
      {"engine lookup fails",
       [](FilterFixture& f) {
         f.result.mask = 1u << kSex;
         f.engine.requestObject.kind = 2;
         f.engine.requestObject.status = 0x80004005;
       },
       "text/html", "bob", ResultOk, true, CategoryNone, {}},
      {"engine cannot make a request object",
       [](FilterFixture& f) { f.engine.createStatus = 0x80004005; },
       "text/html", "bob", ResultOk, true, CategoryNone, {}},
      {"nothing known", [](FilterFixture&) {}, "text/html", "bob", ResultOk, true, CategoryNone, {}},
  };
  for (const SourceCase& c : cases) {
    FilterFixture f;
    f.engine.requestObject.result = &f.result;
    c.setUp(f);
    const uint32_t result = SetSource(f.state, f.Context(), url.c_str(), c.contentType, 0x0A000001, c.user);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(f.state.active, c.activeAfter) << c.name;
    EXPECT_EQ(f.state.recordedCategory, c.recorded) << c.name;
    EXPECT_EQ(f.logger.texts, c.events) << c.name;
    const size_t row = CategoryIndexOf(c.recorded);
    if (row < CategoryCount) {
      EXPECT_EQ(f.state.percentages[row], 100.0f) << c.name;
    }
  }
}

TEST(SetSourceTest, NoEngineLetsTheRequestGoOnToScanning) {
  FilterFixture f;
  EXPECT_EQ(SetSource(f.state, f.Context(false), "http://a.example/", "text/html", 0, "bob"), ResultOk);
}

TEST(SetSourceTest, ListsAnswerInTheirOrderBeforeTheEngine) {
  struct Case {
    bool url, site, partial;
    int32_t expected;
  };
  const Case cases[] = {
      {true, true, true, 3}, {false, true, true, 4}, {false, false, true, 5}, {false, false, false, kSex},
  };
  for (const Case& c : cases) {
    FilterFixture f;
    f.engine.requestObject.result = &f.result;
    f.engine.requestObject.kind = 2;
    f.result.mask = 1u << kSex;
    if (c.url) f.live.settings.lists.InsertUrl({"http://shop.example/cart", 3});
    if (c.site) f.live.settings.lists.InsertSite({"shop.example", 4});
    if (c.partial) f.live.settings.lists.AppendPartial({"cart", 5});
    SetSource(f.state, f.Context(), "HTTP://Shop.Example/Cart/?", "text/html", 0, "bob");
    EXPECT_EQ(f.state.url, "http://shop.example/cart");
    EXPECT_EQ(f.state.recordedCategory, c.expected);
  }
}

// A category switched on or off but not applied yet (the snapshot) decides
// the list stages in the console; the engine process decides by the live switch.
TEST(SetSourceTest, ListCategoriesBlockByTheSnapshotOnlyInTheConsole) {
  struct Case {
    bool consoleMode;
    bool liveEnabled;
    bool snapshotEnabled;
    uint32_t result;
  };
  const Case cases[] = {
      {true, false, true, ResultReject},  {true, true, false, ResultPass},
      {false, false, true, ResultPass},   {false, true, false, ResultReject},
  };
  for (const Case& c : cases) {
    for (bool engineList : {false, true}) {
      FilterFixture f;
      f.engine.requestObject.result = &f.result;
      if (engineList) {
        f.result.mask = 1u << kNews;
        f.engine.requestObject.kind = 2;
      } else {
        f.live.settings.lists.InsertSite({"news.example", kNews});
        f.snapshot.lists = f.live.settings.lists;
      }
      f.live.settings.SettingOf(kNews)->enabled = c.liveEnabled;
      f.snapshot.SettingOf(kNews)->enabled = c.snapshotEnabled;
      const FilterContext context = f.Context(true, c.consoleMode);
      EXPECT_EQ(SetSource(f.state, context, "http://news.example/today", "text/html", 0, "bob"), c.result)
          << (c.consoleMode ? "console" : "engine process") << (engineList ? ", engine list" : ", manual list")
          << ", live " << c.liveEnabled << ", snapshot " << c.snapshotEnabled;
    }
  }
}

TEST(SetSourceTest, UsersAreLowerCasedAndFoundWhateverTheCaseOfTheirEntries) {
  FilterFixture f;
  f.live.settings.applyToAllUsers = 0;
  f.live.accessRights.Add("Carol", "", 0, 1, 0, 0);
  f.live.accessRights.Add("dave", "", 0, 1, 0, 0);
  f.live.accessRights.Add("Erin", "", 0, 0, 0, 0);
  EXPECT_EQ(SetSource(f.state, f.Context(), "http://a.example/", "text/html", 0, "Carol"), ResultOk);
  EXPECT_EQ(f.state.userName, "carol");
  EXPECT_EQ(SetSource(f.state, f.Context(), "http://a.example/", "text/html", 0, "DAVE"), ResultOk);
  EXPECT_EQ(f.state.userName, "dave");
  f.state.url.clear();
  EXPECT_EQ(SetSource(f.state, f.Context(), "http://a.example/", "text/html", 0, "ERIN"), ResultIgnore);
  EXPECT_EQ(f.state.userName, "erin");
  EXPECT_EQ(f.state.url, "");  // not stored for a request that is ignored
}

TEST(SetSourceTest, OneRequestObjectServesEveryRequest) {
  FilterFixture f;
  for (const char* url : {"http://a.example/", "http://b.example/"}) {
    EXPECT_EQ(SetSource(f.state, f.Context(), url, "text/html", 0, "bob"), ResultOk);
  }
  EXPECT_EQ(f.engine.requestsCreated, 1);
  EXPECT_EQ(f.engine.requestObject.urls, (std::vector<std::string>{"http://a.example", "http://b.example"}));
}

TEST(CategoryOfMaskTest, FirstScoredRowWhoseBitIsSet) {
  struct Case {
    uint32_t mask;
    std::optional<int32_t> category;
  };
  const Case cases[] = {
      {1u << 2 | 1u << 1, 1},  {1u << 30, 30}, {1u << 25 | 1u << 30, 25},
      {1u << 0, std::nullopt}, {1u << 7, std::nullopt}, {1u << 24, std::nullopt},
      {1u << 26, std::nullopt}, {1u << 31, std::nullopt}, {0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(CategoryOfMask(c.mask), c.category) << std::hex << c.mask;
}

}  // namespace
}  // namespace avex
