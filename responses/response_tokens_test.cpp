#include "responses/response_tokens.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "responses/html_escape.h"

namespace avex {
namespace {

ResponseTokens TokensSample() {
  ResponseTokens t;
  t.pluginName = "Aurivex 3.0 for Corvane";
  t.dataSource = "http://www.example.com/";
  t.userName = "alice";
  t.reason = "Because.";
  t.percentage = " 75 %";
  t.category = "Sex";
  return t;
}

// The passes done by hand, in place, with the same bounds: at most
// TokenPassLimit passes, and a pass in which the text outgrows the limit is
// dropped.
std::string TokensOracle(std::string text, const ResponseTokens& t) {
  const std::pair<const char*, const std::string*> order[] = {
      {"##PLUGINNAME##", &t.pluginName}, {"##DATASOURCE##", &t.dataSource},
      {"##USERNAME##", &t.userName},     {"##REASON##", &t.reason},
      {"##PERCENTAGE##", &t.percentage}, {"##CATEGORY##", &t.category},
      {"##VIRUS##", &t.category},
  };
  const size_t limit = TokenGrowthAllowance +
                       TokenGrowthFactor * (text.size() + t.pluginName.size() + t.dataSource.size() +
                                            t.userName.size() + t.reason.size() +
                                            t.percentage.size() + t.category.size());
  for (int pass = 0; pass < TokenPassLimit; ++pass) {
    std::string work = text;
    bool replaced = false;
    for (const auto& [token, value] : order) {
      const std::string tok = token;
      size_t at = work.find(tok);
      while (at != std::string::npos) {
        work.replace(at, tok.size(), *value);
        replaced = true;
        at = work.find(tok, at + value->size());
      }
      if (work.size() > limit) return text;
    }
    if (!replaced) break;
    text = work;
  }
  return text;
}

std::string Replaced(std::string text, const ResponseTokens& t) {
  ReplaceTokens(&text, t);
  return text;
}

TEST(ResponseTokensReplace, Cases) {
  struct Case {
    const char* what;
    const char* in;
    const char* out;
    std::string ResponseTokens::*field = nullptr;  // optionally one value changed
    const char* value = nullptr;
  } cases[] = {
      {"no tokens", "plain", "plain"},
      {"empty", "", ""},
      {"each token", "##PLUGINNAME##|##DATASOURCE##|##USERNAME##|##REASON##|##PERCENTAGE##|##CATEGORY##",
       "Aurivex 3.0 for Corvane|http://www.example.com/|alice|Because.| 75 %|Sex"},
      {"virus shows the category", "[##VIRUS##]", "[Sex]"},
      {"every occurrence", "##USERNAME####USERNAME## ##USERNAME##", "alicealice alice"},
      {"lower case stays", "##username## ##Category##", "##username## ##Category##"},
      {"broken tokens stay", "#USERNAME## ##USERNAME# ## USERNAME##", "#USERNAME## ##USERNAME# ## USERNAME##"},
      {"overlapping occurrences: left one wins", "##USERNAME##USERNAME##", "aliceUSERNAME##"},
      {"a value brings in a later token, same pass", "##REASON##", "Blocked as Sex.",
       &ResponseTokens::reason, "Blocked as ##CATEGORY##."},
      {"a value brings in an earlier token, next pass", "##CATEGORY##", "<Aurivex 3.0 for Corvane>",
       &ResponseTokens::category, "<##PLUGINNAME##>"},
      {"a value may be empty", "a##USERNAME##b", "ab", &ResponseTokens::userName, ""},
      {"a token formed where a value meets the text", "##USER##CATEGORY##", "alice",
       &ResponseTokens::category, "NAME##"},
      {"a value equal to its token stays when the passes run out", "##USERNAME##", "##USERNAME##",
       &ResponseTokens::userName, "##USERNAME##"},
  };
  for (const Case& c : cases) {
    ResponseTokens t = TokensSample();
    if (c.field) t.*c.field = c.value;
    std::string got = Replaced(c.in, t);
    EXPECT_EQ(got, c.out) << c.what;
    EXPECT_EQ(got, TokensOracle(c.in, t)) << c.what;
  }
}

TEST(ResponseTokensReplace, AValueHoldingItsOwnTokenStopsAfterTheLastPass) {
  ResponseTokens t = TokensSample();
  t.userName = "<##USERNAME##>";
  std::string want = "##USERNAME##";
  for (int pass = 0; pass < TokenPassLimit; ++pass) want = "<" + want + ">";
  EXPECT_EQ(Replaced("##USERNAME##", t), want);
}

TEST(ResponseTokensReplace, TwoValuesHoldingEachOthersTokensStopToo) {
  ResponseTokens t = TokensSample();
  t.userName = "u(##REASON##)";
  t.reason = "r(##USERNAME##)";
  std::string got = Replaced("##USERNAME##", t);
  EXPECT_EQ(got, TokensOracle("##USERNAME##", t));
  EXPECT_LT(got.size(), 1000u);
}

TEST(ResponseTokensReplace, AValueMultiplyingItsTokenStopsAtTheGrowthLimit) {
  ResponseTokens t = TokensSample();
  t.userName.clear();
  for (int i = 0; i < 50; ++i) t.userName += "##USERNAME##";
  const std::string in = "x##USERNAME##y";
  std::string got = Replaced(in, t);
  EXPECT_EQ(got, TokensOracle(in, t));
  EXPECT_LE(got.size(), TokenGrowthAllowance + TokenGrowthFactor * (in.size() + 2000));
  // Each pass multiplies the tokens by 50: two passes fit, the third would not.
  EXPECT_EQ(got.size(), 2 + 12 * 50 * 50u);
}

TEST(ResponseTokensReplace, AChainThroughEveryValueResolves) {
  // Each value names the token of the one before it in the replacement order,
  // so every pass resolves one link; nothing is left once the passes stop.
  ResponseTokens t;
  t.pluginName = "end";
  t.dataSource = "d(##PLUGINNAME##)";
  t.userName = "u(##DATASOURCE##)";
  t.reason = "r(##USERNAME##)";
  t.percentage = "p(##REASON##)";
  t.category = "c(##PERCENTAGE##)";
  EXPECT_EQ(Replaced("##VIRUS##", t), "c(p(r(u(d(end)))))");
}

// Random templates and values built from tokens, parts of tokens and text,
// values naming each other or themselves.
TEST(ResponseTokensReplace, EqualsThePassesOnGeneratedTexts) {
  const char* const pieces[] = {
      "##PLUGINNAME##", "##DATASOURCE##", "##USERNAME##", "##REASON##", "##PERCENTAGE##",
      "##CATEGORY##", "##VIRUS##", "##", "#", "USERNAME##", "##USER", "NAME", "CATEGORY##",
      "##username##", "x", "yz", " ", "<", "&", "'",
  };
  const size_t pieceCount = sizeof pieces / sizeof pieces[0];
  std::mt19937 random(7);
  auto make = [&](size_t most) {
    std::string text;
    size_t count = random() % (most + 1);
    for (size_t i = 0; i < count; ++i) text += pieces[random() % pieceCount];
    return text;
  };
  auto letters = [&]() { return std::string(random() % 3, static_cast<char>('a' + random() % 26)); };
  for (int n = 0; n < 20000; ++n) {
    ResponseTokens t;
    // Most values plain, some with one piece that is or helps form a token
    // (one piece each keeps the growth per pass additive).
    for (std::string* value : {&t.pluginName, &t.dataSource, &t.userName, &t.reason,
                               &t.percentage, &t.category}) {
      *value = letters();
      if (random() % 3 == 0) *value += pieces[random() % pieceCount] + letters();
    }
    std::string in = make(12);
    ASSERT_EQ(Replaced(in, t), TokensOracle(in, t)) << "case " << n << ": " << in;
    std::string html = in;
    ReplaceTokensForHtml(&html, t);
    ASSERT_EQ(html, TokensOracle(in, HtmlSafeTokens(t))) << "html, case " << n << ": " << in;
  }
}

TEST(ResponseTokensPercentage, ThreeDigitsABlankAndAPercentSign) {
  struct Case {
    float score;
    const char* text;
  } cases[] = {{7.4f, "  7 %"}, {0.0f, "  0 %"}, {100.0f, "100 %"}, {59.6f, " 60 %"},
               {99.9f, "100 %"}, {1234.0f, "1234 %"}, {-3.2f, " -3 %"}};
  for (const Case& c : cases) EXPECT_EQ(PercentageText(c.score), c.text) << c.score;
}

TEST(ResponseTokensHtml, EscapesTheFiveCharacters) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"a&b", "a&amp;b"},
      {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
      {"\"quoted\"", "&quot;quoted&quot;"},
      {"&amp;", "&amp;amp;"},
      {"##USERNAME##", "##USERNAME##"},
      {"caf\xE9 \x81\x40", "caf\xE9 \x81\x40"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlEscaped(c.in), c.out) << c.in;
}

TEST(ResponseTokensHtml, OnlyTheRequestsValuesAreEscaped) {
  ResponseTokens t;
  t.pluginName = "<p>";
  t.dataSource = "<d>";
  t.userName = "<u>";
  t.reason = "<r>";
  t.percentage = "<%>";
  t.category = "<c>";
  ResponseTokens safe = HtmlSafeTokens(t);
  EXPECT_EQ(safe.pluginName, "<p>");
  EXPECT_EQ(safe.dataSource, "&lt;d&gt;");
  EXPECT_EQ(safe.userName, "&lt;u&gt;");
  EXPECT_EQ(safe.reason, "<r>");
  EXPECT_EQ(safe.percentage, "<%>");
  EXPECT_EQ(safe.category, "<c>");
}

}  // namespace
}  // namespace avex
