#include "responses/block_response.h"

#include <gtest/gtest.h>

#include <string>

#include "common/category_table.h"

namespace avex {
namespace {

const char* const BlockPluginName = "Aurivex 3.0 for Corvane";

ResponseTokens BlockTokens(const std::string& url, const std::string& user) {
  ResponseTokens t;
  t.pluginName = BlockPluginName;
  t.dataSource = url;
  t.userName = user;
  t.reason = CategoryReasonText(CategoryIndexOf(1));
  t.percentage = PercentageText(7.4f);
  t.category = "Sex";
  return t;
}

std::string Build(ResponseSet* set, int32_t id, int kind, const ResponseTokens& t) {
  std::string out = "untouched";
  EXPECT_TRUE(BuildBlockResponse(*set, id, kind, t, &out));
  return out;
}

const std::string BlockFrameBodyOpen = "<BODY style=\"font-family:verdana; font-size:14px;\">";
const std::string BlockFooter =
    " - <A HREF=\"http://www.tarnsoftware.example/\">http://www.tarnsoftware.example/</A>"
    "</BODY></HTML>";

TEST(BlockResponseBuild, DefaultPages) {
  ResponseSet set = DefaultResponseSet();
  const ResponseTokens t = BlockTokens("http://www.sex.example/a.html", "carol");
  const std::string reason =
      "The content has been blocked because it is deemed to contain material of a sexual nature";

  EXPECT_EQ(Build(&set, 1, ResponseKindText, t),
            "Content blocked. Aurivex 3.0 for Corvane blocked http://www.sex.example/a.html. " + reason);

  EXPECT_EQ(Build(&set, 1, ResponseKindHtml, t),
            "<HTML><HEAD><TITLE>Content Blocked - Aurivex 3.0 for Corvane</TITLE></HEAD>" +
                BlockFrameBodyOpen +
                "<font style=\"font-size:24px;\">Content blocked [Sex]</font><HR><P>"
                "<b>Aurivex 3.0 for Corvane</b> has blocked access to "
                "<b>http://www.sex.example/a.html.</b><P>" + reason +
                "<P>Contact your system administrator if you believe this page should not have "
                "been blocked<P><hr>\r\n\r\nAurivex 3.0 for Corvane" + BlockFooter);
}

TEST(BlockResponseBuild, KindsAndMissingResponses) {
  const ResponseTokens t = BlockTokens("http://x.example/", "dave");
  struct Case {
    const char* what;
    int32_t id;
    int kind;
    std::string out;
  } cases[] = {
      {"text of a category without a response is empty", 24, ResponseKindText, ""},
      {"html of it is the bare frame", 24, ResponseKindHtml,
       "<HTML><HEAD><TITLE></TITLE></HEAD>" + BlockFrameBodyOpen + "\r\nAurivex 3.0 for Corvane" +
           BlockFooter},
      {"no recorded category", CategoryNone, ResponseKindHtml,
       "<HTML><HEAD><TITLE></TITLE></HEAD>" + BlockFrameBodyOpen + "\r\nAurivex 3.0 for Corvane" +
           BlockFooter},
      {"another kind leaves the output", 1, 2, "untouched"},
      {"a negative kind too", 1, -1, "untouched"},
      {"the text page has no title line", 1, ResponseKindText,
       "Content blocked. Aurivex 3.0 for Corvane blocked http://x.example/. "
       "The content has been blocked because it is deemed to contain material of a sexual nature"},
  };
  for (const Case& c : cases) {
    ResponseSet set = DefaultResponseSet();
    const bool had = set.Contains(c.id);
    EXPECT_EQ(Build(&set, c.id, c.kind, t), c.out) << c.what;
    // A missing response builds as an empty one and leaves the set as it was.
    EXPECT_EQ(set.Contains(c.id), had) << c.what;
  }
}

TEST(BlockResponseBuild, TemplatesOfTheAdministrator) {
  ResponseSet set;
  CustomResponse& r = set.FindOrInsert(CategoryBlocked);
  r.SetTitle(0, "never shown");
  r.SetBody(0, "##VIRUS## ##category## ##PERCENTAGE##|");
  r.SetTitle(1, "<html><head><title>##VIRUS##</title></head>");
  r.SetBody(1, "<body bgcolor=red>##USERNAME##: ##REASON##</body></html>");
  ResponseTokens t = BlockTokens("http://x.example/", "erin");
  t.category = "Blocked";
  t.reason = "Blocked as ##CATEGORY##.";

  EXPECT_EQ(Build(&set, CategoryBlocked, ResponseKindText, t), "Blocked ##category##   7 %|");
  EXPECT_EQ(Build(&set, CategoryBlocked, ResponseKindHtml, t),
            "<HTML><HEAD><TITLE>Blocked</TITLE></HEAD>" + BlockFrameBodyOpen +
                "erin: Blocked as Blocked.\r\nAurivex 3.0 for Corvane" + BlockFooter);
}

// A crafted URL or user name must show as text on the HTML page, never run.
TEST(BlockResponseBuild, RequestValuesAreEscapedOnTheHtmlPageOnly) {
  struct Case {
    const char* what;
    std::string url;
    std::string user;
    std::string htmlUrl;
    std::string htmlUser;
  } cases[] = {
      {"script in the url", "http://x.example/<script>alert(1)</script>", "u",
       "http://x.example/&lt;script&gt;alert(1)&lt;/script&gt;", "u"},
      {"attribute break-out", "http://x.example/\"onmouseover='a()'", "u",
       "http://x.example/&quot;onmouseover=&#39;a()&#39;", "u"},
      {"markup in the user name", "http://x.example/", "<img src=x onerror=alert(1)>",
       "http://x.example/", "&lt;img src=x onerror=alert(1)&gt;"},
      {"ampersands", "http://x.example/?a=1&b=2", "tom&jerry", "http://x.example/?a=1&amp;b=2",
       "tom&amp;jerry"},
      {"nothing to escape", "http://x.example/plain", "plain", "http://x.example/plain", "plain"},
  };
  for (const Case& c : cases) {
    ResponseSet set = DefaultResponseSet();
    CustomResponse& r = set.FindOrInsert(2);
    r.SetTitle(1, "##USERNAME## at ##DATASOURCE##");
    r.SetBody(1, "[##DATASOURCE##][##USERNAME##]");
    r.SetBody(0, "[##DATASOURCE##][##USERNAME##]");
    const ResponseTokens t = BlockTokens(c.url, c.user);

    EXPECT_EQ(Build(&set, 2, ResponseKindHtml, t),
              "<HTML><HEAD><TITLE>" + c.htmlUser + " at " + c.htmlUrl + "</TITLE></HEAD>" +
                  BlockFrameBodyOpen + "[" + c.htmlUrl + "][" + c.htmlUser + "]\r\n" +
                  BlockPluginName + BlockFooter)
        << c.what;
    EXPECT_EQ(Build(&set, 2, ResponseKindText, t), "[" + c.url + "][" + c.user + "]") << c.what;
    // The stored templates are not touched by a build.
    EXPECT_EQ(set.Find(2)->GetBody(1), "[##DATASOURCE##][##USERNAME##]") << c.what;
  }

  // The default HTML page of a blocked script URL carries no script tag.
  ResponseSet set = DefaultResponseSet();
  const std::string page =
      Build(&set, 1, ResponseKindHtml, BlockTokens("http://x.example/<script>x</script>", "u"));
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("<b>http://x.example/&lt;script&gt;x&lt;/script&gt;.</b>"), std::string::npos);
}

TEST(BlockResponseBuild, OtherValuesAreInsertedAsTheyAre) {
  ResponseSet set;
  CustomResponse& r = set.FindOrInsert(3);
  r.SetBody(1, "##PLUGINNAME##|##REASON##|##PERCENTAGE##|##CATEGORY##|##VIRUS##");
  ResponseTokens t = BlockTokens("u", "v");
  t.pluginName = "<i>P</i>";
  t.reason = "<b>R</b> & more";
  t.percentage = "<%>";
  t.category = "<c>";
  EXPECT_EQ(Build(&set, 3, ResponseKindHtml, t),
            "<HTML><HEAD><TITLE></TITLE></HEAD>" + BlockFrameBodyOpen +
                "<i>P</i>|<b>R</b> & more|<%>|<c>|<c>\r\n<i>P</i>" + BlockFooter);
}

TEST(BlockResponseBuild, AUserNameHoldingItsOwnTokenEnds) {
  ResponseSet set = DefaultResponseSet();
  CustomResponse& r = set.FindOrInsert(1);
  r.SetBody(0, "##USERNAME##");
  r.SetBody(1, "##USERNAME##");
  ResponseTokens t = BlockTokens("u", "");
  for (int i = 0; i < 20; ++i) t.userName += "<##USERNAME##>";
  const std::string text = Build(&set, 1, ResponseKindText, t);
  const std::string html = Build(&set, 1, ResponseKindHtml, t);
  EXPECT_LE(text.size(), TokenGrowthAllowance + TokenGrowthFactor * 2000);
  EXPECT_LE(html.size(), TokenGrowthAllowance + TokenGrowthFactor * 4000);
  EXPECT_EQ(html.find("<##"), std::string::npos) << "escaped in every copy";
}

}  // namespace
}  // namespace avex
