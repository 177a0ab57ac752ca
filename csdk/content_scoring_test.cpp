// Content classification by the reply object: what counts as a phrase hit,
// how hits become confidences, and when the engine has seen enough data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "csdk/csdk_test_support.h"

namespace avex::csdk::test {
namespace {

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;
constexpr int32_t kSports = 3;
constexpr int32_t kShopping = 5;
constexpr int32_t kNews = 14;
constexpr int32_t kChat = 21;
constexpr size_t kWantedBytes = 64 * 1024;

// The confidence of a category whose phrases weigh `weight` in all.
double ConfidenceOf(double weight) { return 1.0 - std::exp(-weight / 10.0); }

int32_t TopCategory(const std::vector<double>& confidences) {
  return static_cast<int32_t>(std::max_element(confidences.begin(), confidences.end()) - confidences.begin());
}

using ContentScoringTest = EngineTest;

TEST_F(ContentScoringTest, ShippedLexiconRanksEachSamplePageByItsSubject) {
  ASSERT_NO_FATAL_FAILURE(Start(ShippedData()));
  const std::string gamblingPage =
      "<html><head><title>BigWin Online Casino</title></head><body><h1>Online Casino</h1>"
      "<p>Place your bets on roulette, blackjack and poker. Hit the jackpot on our slot machines!"
      " Claim free spins and a deposit bonus.</p></body></html>";
  struct Page {
    const char* what;
    std::string html;
    int32_t topCategory;
  };
  const Page pages[] = {
      {"gambling", gamblingPage, kGambling},
      {"sports", "<h1>Match report</h1><p>The championship final: football at its best. League table after the "
                 "tournament; kick off at three, and the team scored a late goal this season.</p>",
       kSports},
      {"news with a passing mention of a casino",
       "<h2>Breaking news</h2><p>Latest headlines: our correspondent reported from the press conference that the "
       "old casino on the harbour will close.</p>",
       kNews},
      {"shopping", "<button>Add to cart</button> Free shipping and a special offer price. <a>Checkout</a>",
       kShopping},
      {"chat", "<div>Join the conversation in our chat room: live chat, 40 members online now.</div>", kChat},
      {"adult", "<p>Adults only. This site has adult content; age verification required.</p>", kSex},
  };
  std::vector<double> gambling;
  for (const Page& page : pages) {
    std::vector<double> confidences = Classify(page.html);
    EXPECT_EQ(TopCategory(confidences), page.topCategory) << page.what;
    if (page.topCategory == kGambling) {
      gambling = confidences;
    } else {
      EXPECT_LT(confidences[kGambling], 0.6) << page.what << ": no gambling block at the default level";
    }
  }
  ASSERT_FALSE(gambling.empty());
  EXPECT_GT(gambling[kGambling], 0.9);

  std::vector<double> neutral = Classify(
      "<html><body><h1>Grandmother's apple pie</h1><p>Peel six apples, rub the flour into the butter and bake "
      "for forty minutes.</p></body></html>");
  EXPECT_LT(*std::max_element(neutral.begin(), neutral.end()), 0.2);
}

TEST_F(ContentScoringTest, PhrasesAreWordsOfTheVisibleTextInAnyCase) {
  EngineRoot root("root");
  root.WriteLexicon("2\t5\tonline casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  struct Case {
    const char* html;
    int hits;
  };
  const Case cases[] = {
      {"online casino", 1},
      {"ONLINE Casino", 1},
      {"online <b>casino</b>", 1},
      {"online,\n\t casino!", 1},
      {"online&nbsp;casino", 1},
      {"a < b: online casino", 1},
      {"online casino, online casino and online casino", 3},
      {"onlinecasino", 0},
      {"online casinos", 0},
      {"<a title=\"online casino\" href=\"/online/casino\">x</a>", 0},
      {"<script>var s = 'online casino';</script>", 0},
      {"<SCRIPT type=\"text/javascript\">online casino</SCRIPT >after", 0},
      {"<style>.online casino {}</style>", 0},
      {"<!-- online casino -->", 0},
      {"<p>online casino", 1},
      {"text<script>unterminated online casino", 0},
  };
  for (const Case& c : cases) {
    std::vector<double> confidences = Classify(c.html);
    EXPECT_NEAR(confidences[kGambling], ConfidenceOf(5.0 * c.hits), 1e-12) << c.html;
  }
}

TEST_F(ContentScoringTest, ConfidenceGrowsWithTheWeightOfTheHitsAndStaysBelowOne) {
  EngineRoot root("root");
  root.WriteLexicon(
      "2 1 bet\n"
      "2 4 jackpot\n"
      "3 2 football\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  double previous = -1.0;
  std::string page = "football";
  for (int jackpots = 0; jackpots < 12; ++jackpots) {
    std::vector<double> confidences = Classify(page + " bet");
    EXPECT_NEAR(confidences[kGambling], ConfidenceOf(1.0 + 4.0 * jackpots), 1e-12);
    EXPECT_GT(confidences[kGambling], previous);
    EXPECT_LT(confidences[kGambling], 1.0 + 1e-12);
    EXPECT_NEAR(confidences[kSports], ConfidenceOf(2.0), 1e-12) << "other categories are not touched";
    previous = confidences[kGambling];
    page += " jackpot";
  }
}

TEST_F(ContentScoringTest, MalformedLexiconLinesAreSkipped) {
  EngineRoot root("root");
  root.WriteLexicon(
      "# comment\n"
      "\n"
      "2 2.5 casino\r\n"
      "  3   2   kick   off  \n"
      "32 5 out of range code\n"
      "-1 5 negative code\n"
      "2 0 zero weight\n"
      "2 -3 negative weight\n"
      "2 x not a weight\n"
      "2 5\n"
      "2 5 ,.;\n"
      "two 5 word code\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  std::vector<double> confidences = Classify(
      "casino; kick off; out of range code; negative code; zero weight; negative weight; not a weight; word code");
  EXPECT_NEAR(confidences[kGambling], ConfidenceOf(2.5), 1e-12);
  EXPECT_NEAR(confidences[kSports], ConfidenceOf(2.0), 1e-12);
  for (int32_t code = 0; code < 32; ++code) {
    if (code != kGambling && code != kSports) {
      EXPECT_EQ(confidences[code], 0.0) << code;
    }
  }
}

TEST_F(ContentScoringTest, CompleteOnceEnoughBytesAndLaterDataIsNotScored) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  ASSERT_EQ(reply->init("http://page.example", 0, 0, 0), kOk);
  ASSERT_EQ(reply->setHeaderParameters(0, 200, 0), kOk);

  const std::string chunk(1000, 'a');
  size_t sent = 0;
  uint8_t complete = 0;
  while (sent + chunk.size() < kWantedBytes) {
    ASSERT_EQ(reply->putData(chunk.data(), static_cast<uint32_t>(chunk.size()), &complete, 1), kOk);
    sent += chunk.size();
    ASSERT_EQ(complete, 0) << "after " << sent << " bytes";
  }
  ClassificationResult* result = nullptr;
  uint8_t flag = 1;
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  EXPECT_EQ(flag, 0) << "classified on part of the reply";

  const std::string tail = " online casino";
  ASSERT_EQ(reply->putData(chunk.data(), static_cast<uint32_t>(chunk.size()), &complete, 1), kOk);
  EXPECT_EQ(complete, 1);
  ASSERT_EQ(reply->putData(tail.data(), static_cast<uint32_t>(tail.size()), &complete, 1), kOk);
  EXPECT_EQ(complete, 1);
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(result->getConfidence(kGambling), 0.0) << "bytes after the first 64 KiB are dropped";
  EXPECT_EQ(reply->release(), kOk);
}

TEST_F(ContentScoringTest, OneLargePieceCompletesAtOnce) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  ASSERT_EQ(reply->init("", 0, 0, 0), kOk);
  const std::string page = "online casino " + std::string(3 * kWantedBytes, ' ');
  uint8_t complete = 0;
  ASSERT_EQ(reply->putData(page.data(), static_cast<uint32_t>(page.size()), &complete, 1), kOk);
  EXPECT_EQ(complete, 1);
  ClassificationResult* result = nullptr;
  uint8_t flag = 0;
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  EXPECT_NEAR(result->getConfidence(kGambling), ConfidenceOf(5.0), 1e-12);
  EXPECT_EQ(result->getCategoryMask(), 0u) << "0.39 is below one half";
  EXPECT_EQ(reply->release(), kOk);
}

TEST_F(ContentScoringTest, ReplyLifecycle) {
  EngineRoot root("root");
  root.WriteLexicon("2 10 online casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  const std::string gambling = "online casino";
  uint8_t complete = 0;
  uint8_t flag = 0;
  ClassificationResult* result = nullptr;

  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  EXPECT_EQ(reply->setHeaderParameters(0, 200, 0), kNotInitialised);
  EXPECT_EQ(reply->putData(gambling.data(), 13, &complete, 1), kNotInitialised);
  EXPECT_EQ(reply->getClassification(&result, &flag), kNotInitialised);
  EXPECT_EQ(result, nullptr);

  ASSERT_EQ(reply->init("", 0, 0, 0), kOk);
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->getConfidence(kGambling), 0.0) << "no data yet";
  EXPECT_EQ(result->getConfidence(-1), 0.0);
  EXPECT_EQ(result->getConfidence(32), 0.0);

  ASSERT_EQ(reply->putData(gambling.data(), 13, &complete, 1), kOk);
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  EXPECT_NEAR(result->getConfidence(kGambling), ConfidenceOf(10.0), 1e-12);
  EXPECT_EQ(result->getCategoryMask(), 1u << kGambling);

  ASSERT_EQ(reply->init("http://next.example", 0, 0, 0), kOk) << "a new reply on the same object";
  ASSERT_EQ(reply->getClassification(&result, &flag), kOk);
  EXPECT_EQ(result->getConfidence(kGambling), 0.0);
  EXPECT_EQ(reply->release(), kOk);
}

// The plug-in releases a reply object when a request ends early.
TEST_F(ContentScoringTest, ReleaseInTheMiddleOfAReply) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  const std::string half = "<html><body>online cas";
  uint8_t complete = 0;

  ReplyObject* fed = nullptr;
  ASSERT_EQ(engine_->getReplyObject(&fed), kOk);
  ASSERT_EQ(fed->init("http://page.example", 0, 0, 0), kOk);
  ASSERT_EQ(fed->setHeaderParameters(0, 200, 0), kOk);
  ASSERT_EQ(fed->putData(half.data(), static_cast<uint32_t>(half.size()), &complete, 1), kOk);
  EXPECT_EQ(fed->release(), kOk);

  ReplyObject* fresh = nullptr;
  ASSERT_EQ(engine_->getReplyObject(&fresh), kOk);
  EXPECT_EQ(fresh->release(), kOk) << "released before its init";

  // The engine goes on serving replies afterwards.
  EXPECT_NEAR(Classify("online casino")[kGambling], ConfidenceOf(5.0), 1e-12);
}

}  // namespace
}  // namespace avex::csdk::test
