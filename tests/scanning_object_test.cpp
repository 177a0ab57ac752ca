// A scanning object of the real plug-in, driven slot by slot through the
// table a foreign host calls, with the stand-in engine beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/scanning_table.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"

namespace {

using avex::host::ScanningObjectTable;

constexpr uint32_t kOk = 0;
constexpr uint32_t kReject = 0x41000000;
constexpr uint32_t kInvalidParameter = 0x80000002;
constexpr uint32_t kStateRefused = 0x80000009;
constexpr uint32_t kNotSupported = 0x8000000C;
constexpr uint32_t kBufferTooSmall = 0x8000000D;

class ScanningObjectTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    // The host can take log lines.
    avex::platform::registry::WriteDword(avex::testing::kHostSettingsKey, "SessionLoggingCapable", 1);
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(0, 0), 1);
    object_ = plug_.PlugFabricateInterface();
    ASSERT_NE(object_, nullptr);
  }
  void TearDown() override {
    if (object_ != nullptr) plug_.PlugReleaseInterface(object_);
    plug_.PlugStop();
    LoadedPluginTest::TearDown();
  }

  const ScanningObjectTable& Slots() { return avex::host::TableOf(object_); }

  // The whole block page of `type` as a host fetches it: length first.
  std::string Page(uint32_t type) {
    uint32_t length = 0;
    EXPECT_EQ(Slots().GetResponse(object_, type, nullptr, &length), kOk);
    std::string page(length + 1, '\0');
    uint32_t size = length + 1;
    EXPECT_EQ(Slots().GetResponse(object_, type, &page[0], &size), kOk);
    page.resize(length);
    return page;
  }

  void* object_ = nullptr;
};

TEST_F(ScanningObjectTest, InfoQueries) {
  uint32_t answer = 7;
  EXPECT_EQ(Slots().GetInfo(object_, 32, &answer, 8), kInvalidParameter);
  EXPECT_EQ(Slots().GetInfo(object_, 32, nullptr, 4), kInvalidParameter);
  EXPECT_EQ(Slots().GetInfo(object_, 32, &answer, 4), kOk);
  EXPECT_EQ(answer, 0u);  // filtering applies to every user
  EXPECT_EQ(Slots().GetInfo(object_, 7, &answer, 4), kNotSupported);
  EXPECT_EQ(Slots().GetLastResult(object_), kNotSupported);
}

TEST_F(ScanningObjectTest, StatesAboveThreeAreRefused) {
  EXPECT_EQ(Slots().SetState(object_, 4), kStateRefused);
  EXPECT_EQ(Slots().GetLastResult(object_), kStateRefused);
  for (uint32_t state : {0u, 1u, 2u, 3u}) EXPECT_EQ(Slots().SetState(object_, state), kOk);
  EXPECT_EQ(Slots().IsActive(object_), 1);

  // State 0 resets an object that a request left inactive.
  EXPECT_EQ(Slots().SetSource(object_, "http://cdn.example/a.png", "image/png", 0, "pat"), 0x8000000Bu);
  EXPECT_EQ(Slots().IsActive(object_), 0);
  EXPECT_EQ(Slots().SetState(object_, 0), kOk);
  EXPECT_EQ(Slots().IsActive(object_), 1);
}

TEST_F(ScanningObjectTest, BlockPagesFollowTheSizeProtocolAndAreBuiltOncePerRequest) {
  ASSERT_EQ(Slots().SetSource(object_, "http://bigwin-casino.example/play", "text/html", 0, "pat"), kReject);
  const std::string text = Page(2);
  EXPECT_NE(text.find("http://bigwin-casino.example/play"), std::string::npos) << text;
  EXPECT_NE(text.find("on-line gambling"), std::string::npos) << text;
  EXPECT_NE(Page(1).find("Content blocked [Gambling]"), std::string::npos);

  std::string exact(text.size(), '\0');
  uint32_t size = static_cast<uint32_t>(text.size());
  EXPECT_EQ(Slots().GetResponse(object_, 2, &exact[0], &size), kBufferTooSmall);
  EXPECT_EQ(size, text.size());
  EXPECT_EQ(Slots().GetResponse(object_, 2, &exact[0], nullptr), kInvalidParameter);
  size = 99;
  EXPECT_EQ(Slots().GetResponse(object_, 3, nullptr, &size), kOk);
  EXPECT_EQ(size, 0u);

  // Until the next Reset the page stays the one built, whatever comes after.
  ASSERT_EQ(Slots().SetSource(object_, "http://lucky-poker.example/", "text/html", 0, "pat"), kReject);
  EXPECT_EQ(Page(2), text);
  Slots().Reset(object_, 1);
  ASSERT_EQ(Slots().SetSource(object_, "http://lucky-poker.example/", "text/html", 0, "pat"), kReject);
  EXPECT_NE(Page(2).find("http://lucky-poker.example"), std::string::npos);
}

TEST_F(ScanningObjectTest, ContentIsScoredByTheEngine) {
  const std::string page =
      "<html><body>Welcome to the online casino: place your bets on roulette, poker and blackjack."
      " Win the jackpot at the casino.</body></html>";
  ASSERT_EQ(Slots().SetSource(object_, "http://unknown.example/night", "text/html", 0, "pat"), kOk);
  ASSERT_EQ(Slots().PutData(object_, page.data(), static_cast<uint32_t>(page.size())), kOk);
  EXPECT_EQ(Slots().CheckData(object_), kReject);
  EXPECT_NE(Page(1).find("Content blocked [Gambling]"), std::string::npos);

  Slots().Reset(object_, 1);
  const std::string calm = "<p>The library opens at nine.</p>";
  ASSERT_EQ(Slots().SetSource(object_, "http://library.example/", "text/html", 0, "pat"), kOk);
  ASSERT_EQ(Slots().PutData(object_, calm.data(), static_cast<uint32_t>(calm.size())), kOk);
  EXPECT_EQ(Slots().CheckData(object_), 0x40000000u);
}

TEST_F(ScanningObjectTest, ResetKeepsTheUserAndTheClientAddress) {
  avex::testing::KeepingLogger logger;
  Slots().SetLogger(object_, &logger);
  ASSERT_EQ(Slots().SetSource(object_, "http://library.example/", "text/html", 0x0A000111, "Pat"), kOk);
  Slots().Reset(object_, 1);

  // A configuration change is logged with the object's address and user.
  uint32_t length = Slots().GetConfiguration(object_, nullptr, nullptr);
  std::vector<char> record(length);
  EXPECT_EQ(Slots().GetConfiguration(object_, record.data(), &length), kOk);
  avex::platform::registry::WriteDword(avex::testing::kSettingsKey, "Unsaved", 1);
  Slots().SetNoSaveFlag(object_, 1);
  EXPECT_EQ(Slots().ApplyConfiguration(object_, record.data(), length), kOk);
  ASSERT_EQ(logger.lines.size(), 1u);
  EXPECT_EQ(logger.lines[0].substr(0, 14), "10.0.1.17\tpat\t");
  EXPECT_EQ(logger.lines[0].substr(logger.lines[0].size() - 25), "Configuration has changed");
  // The no-save flag kept the registry as it was.
  EXPECT_EQ(avex::platform::registry::ReadDword(avex::testing::kSettingsKey, "Unsaved", 0), 1u);
}

}  // namespace
