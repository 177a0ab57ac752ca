#include "responses/custom_response.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/category_table.h"
#include "responses/response_set.h"

namespace avex {
namespace {

ResponseTokens CustomTokens() {
  ResponseTokens t;
  t.pluginName = "Aurivex 3.0 for Corvane";
  t.dataSource = "http://bad.example/";
  t.userName = "bob";
  t.reason = "A reason.";
  t.percentage = " 80 %";
  t.category = "Gambling";
  return t;
}

TEST(CustomResponseTexts, ConstructedEmpty) {
  CustomResponse r(14, "News content");
  EXPECT_EQ(r.CategoryId(), 14);
  EXPECT_EQ(r.Description(), "News content");
  for (int index : {0, 1}) {
    EXPECT_EQ(r.GetTitle(index), "");
    EXPECT_EQ(r.GetBody(index), "");
  }
}

TEST(CustomResponseTexts, SettersStripPageTagsOnlyForHtml) {
  const std::string greeting = "<html><body>Hello there</body></html>";
  struct Case {
    int index;
    std::string in;
    std::string storedText;  // index 0 afterwards
    std::string storedHtml;  // index 1 afterwards
  } cases[] = {
      {1, greeting, "", "Hello there"},
      {0, greeting, greeting, ""},
      {1, "<title>Word</title>", "", "Word"},
      {1, "a <b>kept</b> <br> <font>", "", "a <b>kept</b> <br> <font>"},
      {1, "tail <html", "", "tail <html"},
      {1, "<a title=t>x</a>", "", "x</a>"},
      {0, "<a title=t>x</a>", "<a title=t>x</a>", ""},
      {1, "keeps ##USERNAME## tokens", "", "keeps ##USERNAME## tokens"},
      {2, greeting, "", ""},   // any other index does nothing
      {-1, greeting, "", ""},
  };
  for (const Case& c : cases) {
    CustomResponse title(1, "d"), body(1, "d");
    title.SetTitle(c.index, c.in);
    body.SetBody(c.index, c.in);
    for (const CustomResponse* r : {&title, &body}) {
      const bool isTitle = r == &title;
      EXPECT_EQ(isTitle ? r->GetTitle(0) : r->GetBody(0), c.storedText) << c.index << " " << c.in;
      EXPECT_EQ(isTitle ? r->GetTitle(1) : r->GetBody(1), c.storedHtml) << c.index << " " << c.in;
    }
    // The other text of the pair is untouched.
    EXPECT_EQ(title.GetBody(0) + title.GetBody(1), "");
    EXPECT_EQ(body.GetTitle(0) + body.GetTitle(1), "");
  }
}

TEST(CustomResponseTexts, GettersWithoutTokensReadIndexOneOrElseZero) {
  CustomResponse r(1, "d");
  r.SetTitle(0, "text title");
  r.SetTitle(1, "html title");
  r.SetBody(0, "text body");
  r.SetBody(1, "html body");
  struct Case {
    int index;
    const char* title;
    const char* body;
  } cases[] = {{0, "text title", "text body"},
               {1, "html title", "html body"},
               {2, "text title", "text body"},
               {-1, "text title", "text body"}};
  for (const Case& c : cases) {
    EXPECT_EQ(r.GetTitle(c.index), c.title) << c.index;
    EXPECT_EQ(r.GetBody(c.index), c.body) << c.index;
  }
}

TEST(CustomResponseTexts, GettersWithTokens) {
  CustomResponse r(2, "Gambling content");
  r.SetTitle(0, "T ##CATEGORY##");
  r.SetBody(0, "B ##USERNAME## ##VIRUS## ##category##");
  r.SetTitle(1, "<title>H ##CATEGORY##</title>");
  r.SetBody(1, "<body>h ##USERNAME## ##PERCENTAGE##</body>");
  const ResponseTokens t = CustomTokens();
  struct Case {
    int index;
    std::string title;
    std::string body;
  } cases[] = {
      {0, "T Gambling", "B bob Gambling ##category##"},
      {1, "<HTML><HEAD><TITLE>H Gambling</TITLE></HEAD>",
       "<BODY style=\"font-family:verdana; font-size:14px;\">h bob  80 %\r\n"
       "Aurivex 3.0 for Corvane - <A HREF=\"http://www.tarnsoftware.example/\">"
       "http://www.tarnsoftware.example/</A></BODY></HTML>"},
      {5, "T Gambling", "B bob Gambling ##category##"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(r.GetTitle(c.index, t), c.title) << c.index;
    EXPECT_EQ(r.GetBody(c.index, t), c.body) << c.index;
  }
  // The stored texts keep their tokens.
  EXPECT_EQ(r.GetTitle(1), "H ##CATEGORY##");
  EXPECT_EQ(r.GetBody(1), "h ##USERNAME## ##PERCENTAGE##");
}

TEST(CustomResponseTexts, TitleWrappedInTitleTagsGetsExactlyOnePair) {
  CustomResponse r(1, "d");
  r.SetTitle(1, "<TITLE>Word</TITLE>");
  EXPECT_EQ(r.GetTitle(1, CustomTokens()), "<HTML><HEAD><TITLE>Word</TITLE></HEAD>");
}

TEST(CustomResponseSet, FindOrInsertContainsClear) {
  ResponseSet set;
  EXPECT_TRUE(set.empty());
  EXPECT_FALSE(set.Contains(5));
  EXPECT_EQ(set.Find(5), nullptr);

  CustomResponse& inserted = set.FindOrInsert(5);
  EXPECT_EQ(inserted.CategoryId(), 5);
  EXPECT_EQ(inserted.Description(), "");
  EXPECT_EQ(inserted.GetBody(1), "");
  EXPECT_TRUE(set.Contains(5));
  inserted.SetBody(0, "changed");

  // Finding again gives the same response, not a new one.
  EXPECT_EQ(&set.FindOrInsert(5), &inserted);
  EXPECT_EQ(set.FindOrInsert(5).GetBody(0), "changed");
  EXPECT_EQ(set.size(), 1u);

  set.Clear();
  EXPECT_TRUE(set.empty());
  EXPECT_FALSE(set.Contains(5));
}

TEST(CustomResponseSet, InsertOrReplaceCopiesEverything) {
  ResponseSet set;
  CustomResponse first(3, "first");
  first.SetTitle(0, "t0");
  first.SetBody(1, "b1");
  set.InsertOrReplace(first);

  CustomResponse second(3, "second");
  second.SetTitle(1, "t1");
  second.SetBody(0, "b0");
  set.InsertOrReplace(second);

  ASSERT_EQ(set.size(), 1u);
  const CustomResponse* r = set.Find(3);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Description(), "second");
  EXPECT_EQ(r->GetTitle(0), "");
  EXPECT_EQ(r->GetTitle(1), "t1");
  EXPECT_EQ(r->GetBody(0), "b0");
  EXPECT_EQ(r->GetBody(1), "");
}

TEST(CustomResponseSet, AscendingById) {
  ResponseSet set;
  for (int32_t id : {CategoryBlocked, 30, 0, 7, 1, -4}) set.FindOrInsert(id);
  std::vector<int32_t> ids;
  for (const auto& [id, response] : set) {
    EXPECT_EQ(id, response.CategoryId());
    ids.push_back(id);
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{-4, 0, 1, 7, 30, CategoryBlocked}));
}

TEST(CustomResponseDefaults, EveryRowWithAResponseAndNoOther) {
  ResponseSet set = DefaultResponseSet();
  size_t withResponse = 0;
  for (const CategoryInfo& row : CategoryTable) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(set.Contains(row.id), row.hasResponse);
    if (!row.hasResponse) continue;
    ++withResponse;
    const CustomResponse& r = *set.Find(row.id);
    EXPECT_EQ(r.CategoryId(), row.id);
    EXPECT_EQ(r.Description(), row.description);
    EXPECT_EQ(r.GetTitle(0), "");
    EXPECT_EQ(r.GetBody(0), "Content blocked. ##PLUGINNAME## blocked ##DATASOURCE##. ##REASON##");
    EXPECT_EQ(r.GetTitle(1), "Content Blocked - ##PLUGINNAME##");
    EXPECT_EQ(r.GetBody(1),
              "<font style=\"font-size:24px;\">Content blocked [##CATEGORY##]</font><HR><P>"
              "<b>##PLUGINNAME##</b> has blocked access to <b>##DATASOURCE##.</b><P>##REASON##<P>"
              "Contact your system administrator if you believe this page should not have been "
              "blocked<P><hr>\r\n");
  }
  EXPECT_EQ(withResponse, 28u);
  EXPECT_EQ(set.size(), 28u);
  EXPECT_FALSE(set.Contains(0));   // "Unknown"
  EXPECT_FALSE(set.Contains(7));   // "None"
  EXPECT_FALSE(set.Contains(26));  // "Old shopping"
  EXPECT_FALSE(set.Contains(CategoryAllowed));
}

TEST(CustomResponseDefaults, AddingDefaultsKeepsWhatIsThere) {
  ResponseSet set;
  CustomResponse own(1, "my own");
  own.SetBody(1, "mine");
  set.InsertOrReplace(own);
  set.FindOrInsert(0);  // an empty response for a row without one stays as it is

  EXPECT_TRUE(AddDefaultResponses(&set));
  EXPECT_EQ(set.size(), 29u);
  EXPECT_EQ(set.Find(1)->Description(), "my own");
  EXPECT_EQ(set.Find(1)->GetBody(1), "mine");
  EXPECT_EQ(set.Find(0)->GetBody(1), "");
  EXPECT_EQ(set.Find(2)->Description(), "Gambling content");

  EXPECT_FALSE(AddDefaultResponses(&set)) << "nothing left to add";
  EXPECT_EQ(set.size(), 29u);
}

}  // namespace
}  // namespace avex
