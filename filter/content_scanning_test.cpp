#include "filter/content_scanning.h"

#include <gtest/gtest.h>

#include "filter/decision_chain.h"
#include "filter/filter_test_support.h"
#include "common/result_codes.h"

namespace avex {
namespace {

using testing::FilterFixture;

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;
constexpr int32_t kSports = 3;

class ContentScanningTest : public ::testing::Test {
 protected:
  ContentScanningTest() { f.engine.replyObject.result = &f.result; }

  // A request that the lists left to content scanning, with its data fed.
  uint32_t Scan(const std::string& body = "<p>some page</p>") {
    EXPECT_EQ(SetSource(f.state, f.Context(), "http://page.example/", "text/html", 0xC0A80102, "bob"), ResultOk);
    EXPECT_EQ(PutData(f.state, f.Context(), body.data(), static_cast<uint32_t>(body.size())), ResultOk);
    return CheckData(f.state, f.Context());
  }

  FilterFixture f;
};

TEST_F(ContentScanningTest, LastQualifyingRowDecidesAndIsLogged) {
  f.result.confidences = {{kSex, 0.95}, {kGambling, 0.70}};
  EXPECT_EQ(Scan(), ResultReject);
  EXPECT_EQ(f.state.recordedCategory, kGambling);
  EXPECT_FLOAT_EQ(f.state.percentages[0], 95.0f);
  EXPECT_FLOAT_EQ(f.state.percentages[1], 70.0f);
  EXPECT_EQ(f.logger.texts,
            std::vector<std::string>{"[AI -  70 percent Gambling] blocked http://page.example for user bob"});
  EXPECT_EQ(f.engine.replyObject.released, 1);
  EXPECT_EQ(f.state.replyObject, nullptr);
}

TEST_F(ContentScanningTest, LevelsAndEnabledFlagsOfTheSnapshotDecide) {
  struct Case {
    const char* name;
    double confidence;
    float level;
    bool enabled;
    uint32_t result;
  };
  const Case cases[] = {
      {"above the level", 0.61, 60, true, ResultReject},
      {"equal to the level", 0.60, 60, true, ResultPass},
      {"disabled", 1.0, 60, false, ResultPass},
      {"level above 100 never blocks", 1.0, 250, true, ResultPass},
  };
  for (const Case& c : cases) {
    f.state = RequestState();
    f.state.logger = &f.logger;
    f.result.confidences = {{kSports, c.confidence}};
    f.snapshot.SettingOf(kSports)->level = c.level;
    f.snapshot.SettingOf(kSports)->enabled = c.enabled;
    // The live settings say otherwise: only the object's snapshot counts.
    f.live.settings.SettingOf(kSports)->level = 0;
    f.live.settings.SettingOf(kSports)->enabled = true;
    EXPECT_EQ(Scan(), c.result) << c.name;
    EXPECT_FLOAT_EQ(f.state.percentages[CategoryIndexOf(kSports)], static_cast<float>(c.confidence * 100))
        << c.name;
  }
}

TEST_F(ContentScanningTest, AFailingConfidenceQueryScoresZeroAndTheWalkGoesOn) {
  f.result.confidences = {{kSex, 0.99}, {kSports, 0.99}};
  f.result.throwFor = kSex;
  EXPECT_EQ(Scan(), ResultReject);
  EXPECT_EQ(f.state.percentages[0], 0.0f);
  EXPECT_EQ(f.state.recordedCategory, kSports);
}

TEST_F(ContentScanningTest, UnscoredRowsAreNeverAsked) {
  f.result.confidences = {{0, 1.0}, {7, 1.0}, {26, 1.0}, {CategoryBlocked, 1.0}};
  EXPECT_EQ(Scan(), ResultPass);
  for (int32_t id : {0, 7, 26}) EXPECT_EQ(f.state.percentages[CategoryIndexOf(id)], 0.0f) << id;
}

TEST_F(ContentScanningTest, DataAfterTheEngineHasEnoughIsDroppedWithoutAnEngineCall) {
  f.engine.replyObject.completeAfter = 10;
  ASSERT_EQ(SetSource(f.state, f.Context(), "http://page.example/", "text/html", 0, "bob"), ResultOk);
  const char block[16] = {};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(PutData(f.state, f.Context(), block, sizeof block), ResultOk);
  EXPECT_EQ(f.engine.replyObject.puts, 1);
  EXPECT_EQ(f.engine.replyObject.inits, 1);
  EXPECT_EQ(f.engine.replyObject.initUrl, "http://page.example");
  EXPECT_EQ(CheckData(f.state, f.Context()), ResultPass);
  EXPECT_EQ(f.state.replyComplete, 0);
}

TEST_F(ContentScanningTest, RequestsThatCannotBeScanned) {
  const char data[] = "x";
  // No source yet.
  EXPECT_EQ(PutData(f.state, f.Context(), data, 1), ResultNoSource);
  // A source the lists passed leaves the object inactive.
  f.live.settings.lists.AppendPartial({"page", CategoryAllowed});
  EXPECT_EQ(SetSource(f.state, f.Context(), "http://page.example/", "text/html", 0, "bob"), ResultPass);
  EXPECT_EQ(PutData(f.state, f.Context(), data, 1), ResultIgnore);
  EXPECT_EQ(CheckData(f.state, f.Context()), ResultIgnore);

  FilterFixture other;
  ASSERT_EQ(SetSource(other.state, other.Context(), "http://page.example/", "text/html", 0, "bob"), ResultOk);
  EXPECT_EQ(CheckData(other.state, other.Context()), ResultFailed);  // no data was fed
  EXPECT_EQ(PutData(other.state, other.Context(false), data, 1), ResultFailed);  // no engine
  EXPECT_EQ(other.state.recordedCategory, CategoryNone);
}

TEST_F(ContentScanningTest, EngineFailuresGiveFailed) {
  struct Case {
    const char* name;
    void (*breakIt)(testing::FakeEngine&);
    uint32_t putResult;
    uint32_t checkResult;
  };
  const Case cases[] = {
      {"no reply object", [](testing::FakeEngine& e) { e.replyStatus = 0x80004005; }, ResultFailed, ResultFailed},
      {"init fails", [](testing::FakeEngine& e) { e.replyObject.initStatus = 1; }, ResultFailed, ResultPass},
      {"header fails", [](testing::FakeEngine& e) { e.replyObject.headerStatus = 1; }, ResultFailed, ResultPass},
      {"putData fails", [](testing::FakeEngine& e) { e.replyObject.putStatus = 1; }, ResultFailed, ResultPass},
      {"no classification", [](testing::FakeEngine& e) { e.replyObject.result = nullptr; }, ResultOk, ResultFailed},
      {"classification fails", [](testing::FakeEngine& e) { e.replyObject.classificationStatus = 5; }, ResultOk,
       ResultFailed},
  };
  for (const Case& c : cases) {
    FilterFixture g;
    g.engine.replyObject.result = &g.result;
    c.breakIt(g.engine);
    ASSERT_EQ(SetSource(g.state, g.Context(), "http://page.example/", "text/html", 0, "bob"), ResultOk);
    EXPECT_EQ(PutData(g.state, g.Context(), "ab", 2), c.putResult) << c.name;
    EXPECT_EQ(CheckData(g.state, g.Context()), c.checkResult) << c.name;
  }
  // A reply object whose init failed stays: the next data goes straight to the engine.
  FilterFixture g;
  g.engine.replyObject.initStatus = 1;
  ASSERT_EQ(SetSource(g.state, g.Context(), "http://page.example/", "text/html", 0, "bob"), ResultOk);
  EXPECT_EQ(PutData(g.state, g.Context(), "ab", 2), ResultFailed);
  EXPECT_EQ(PutData(g.state, g.Context(), "ab", 2), ResultOk);
  EXPECT_EQ(g.engine.replyObject.inits, 1);
  EXPECT_EQ(g.engine.repliesCreated, 1);
}

}  // namespace
}  // namespace avex
