// The engine process under load: requests on several threads, each with its
// own scanning object, while one thread applies two configurations in turn
// and another publishes a changing user directory. Only the exports and the
// slot table are used, so the test holds whatever the plug-in does inside;
// under ThreadSanitizer any unguarded read of the live configuration ends
// the run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "host/scanning_table.h"
#include "host/user_directory.h"
#include "platform/registry.h"
#include "platform/registry_fixture.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"
#include "tests/test_paths.h"

namespace {

using avex::host::ScanningObjectTable;
using avex::testing::KeepingLogger;

constexpr uint32_t kOk = 0;
constexpr uint32_t kPass = 0x40000000;
constexpr uint32_t kReject = 0x41000000;
constexpr uint32_t kIgnore = 0x80000007;

// Pages the stand-in engine scores as gambling, and as nothing.
const std::string kCasinoPage =
    "<html><body>Welcome to the online casino: place your bets on roulette, poker and blackjack."
    " Win the jackpot at the casino.</body></html>";
const std::string kCalmPage = "<html><body><p>The library opens at nine.</p></body></html>";

// A request and what each configuration answers to it: SetSource, and
// CheckData once the page is in (reached where SetSource answers kOk).
struct RequestCase {
  const char* user;
  const char* url;
  const std::string* page;
  uint32_t sourceEveryone;
  uint32_t sourceListed;
  uint32_t contentEveryone;
  uint32_t contentListed;
};

const RequestCase kCases[] = {
    {"pat", "http://arcade.example/games", &kCalmPage, kReject, kPass, kPass, kPass},
    {"visitor", "http://arcade.example/games", &kCalmPage, kReject, kIgnore, kPass, kIgnore},
    {"pat", "http://bigwin-casino.example/play", &kCasinoPage, kReject, kReject, kReject, kReject},
    {"pat", "http://library.example/opening-hours", &kCalmPage, kOk, kOk, kPass, kPass},
    {"visitor", "http://library.example/opening-hours", &kCalmPage, kOk, kIgnore, kPass, kIgnore},
    {"pat", "http://unknown.example/night", &kCasinoPage, kOk, kOk, kReject, kReject},
    {"visitor", "http://unknown.example/night", &kCasinoPage, kOk, kIgnore, kReject, kIgnore},
    {"pat", "http://homework.example/maths", &kCalmPage, kPass, kPass, kPass, kPass},
    {"pat", "http://news.example/today", &kCalmPage, kOk, kReject, kPass, kPass},
};

// User directories the host publishes in turn. pat is always in them, so his
// filtering comes from the configuration alone; visitor comes and goes,
// which changes nothing: no configuration filters him by name.
const char* const kDirectories[] = {
    "user pat\nuser visitor\nuser pupil1\ngroup class1\nmember class1 pupil1\n",
    "user pat\nuser pupil1\nuser pupil2\ngroup class1\ngroup class2\nmember class1 pupil2\n"
    "member class2 class1\n",
    "user pat\nuser visitor\ngroup staff\nmember staff pat\n",
};

constexpr int kRequesters = 3;
constexpr int kRoundsPerRequester = 150;
constexpr int kApplications = 300;
constexpr int kRefreshes = 300;

bool OneOf(uint32_t answer, uint32_t first, uint32_t second) { return answer == first || answer == second; }

// The text lines a request added to its logger.
std::vector<std::string> LinesAfter(const KeepingLogger& logger, size_t before) {
  return std::vector<std::string>(logger.texts.begin() + static_cast<std::ptrdiff_t>(before),
                                  logger.texts.end());
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ConfigurationRaceTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    // The host takes event lines, so that every logging path runs.
    avex::platform::registry::WriteDword(avex::testing::kHostSettingsKey, "SessionLoggingCapable", 1);
  }

  void StartEngineProcess() {
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(0, 0), 1);
  }

  // The transfer record of the settings in `fixture`, as an engine process
  // that starts with them hands it out.
  std::string RecordOfStoredSettings(const char* fixture) {
    EXPECT_TRUE(avex::platform::registry::ImportRegFile(avex::testing::FixturePath(fixture))) << fixture;
    StartEngineProcess();
    void* object = plug_.PlugFabricateInterface();
    EXPECT_NE(object, nullptr);
    std::string record;
    if (object != nullptr) {
      const ScanningObjectTable& slots = avex::host::TableOf(object);
      uint32_t length = slots.GetConfiguration(object, nullptr, nullptr);
      record.assign(length, '\0');
      EXPECT_EQ(slots.GetConfiguration(object, &record[0], &length), kOk);
      plug_.PlugReleaseInterface(object);
    }
    plug_.PlugStop();
    plugin_.Close();
    return record;
  }

  // A directory file per entry of kDirectories, loaded as the harness does.
  std::vector<avex::host::UserDirectory> Directories() {
    std::vector<avex::host::UserDirectory> directories(std::size(kDirectories));
    for (size_t i = 0; i < directories.size(); ++i) {
      const std::string path = ::testing::TempDir() + "avex_race_users_" +
                               std::to_string(avex::platform::test::ProcessId()) + "_" + std::to_string(i) +
                               ".txt";
      std::ofstream(path) << kDirectories[i];
      std::string error;
      EXPECT_TRUE(directories[i].Load(path, &error)) << error;
      std::remove(path.c_str());
    }
    return directories;
  }
};

// The block page of `type` as a host fetches it: the length, then the text.
std::string BlockPage(void* object, uint32_t type) {
  const ScanningObjectTable& slots = avex::host::TableOf(object);
  uint32_t length = 0;
  EXPECT_EQ(slots.GetResponse(object, type, nullptr, &length), kOk);
  std::string page(length + 1, '\0');
  uint32_t size = length + 1;
  EXPECT_EQ(slots.GetResponse(object, type, &page[0], &size), kOk);
  page.resize(length);
  return page;
}

// One request of `c` on `object`, each answer checked against what the two
// configurations give; false once anything in the test has failed.
bool ServeRequest(void* object, const RequestCase& c, const KeepingLogger& logger) {
  const ScanningObjectTable& slots = avex::host::TableOf(object);
  const std::string request = std::string(c.user) + " " + c.url;
  slots.Reset(object, 1);
  size_t logged = logger.texts.size();
  const uint32_t source = slots.SetSource(object, c.url, "text/html", 0x0A000001, c.user);
  EXPECT_TRUE(OneOf(source, c.sourceEveryone, c.sourceListed)) << request << ": SetSource " << std::hex << source;
  uint32_t decision = source;
  if (source == kOk) {
    EXPECT_EQ(logger.texts.size(), logged) << request;
    EXPECT_EQ(slots.PutData(object, c.page->data(), static_cast<uint32_t>(c.page->size())), kOk) << request;
    logged = logger.texts.size();
    decision = slots.CheckData(object);
    EXPECT_TRUE(OneOf(decision, c.contentEveryone, c.contentListed))
        << request << ": CheckData " << std::hex << decision;
  }

  // Both configurations log blocked requests; only one logs allowed ones.
  const std::vector<std::string> lines = LinesAfter(logger, logged);
  if (decision == kReject) {
    EXPECT_EQ(lines.size(), 1u) << request;
    for (const std::string& line : lines) {
      EXPECT_TRUE(Contains(line, "] blocked " + std::string(c.url) + " for user " + c.user)) << line;
    }
    EXPECT_TRUE(Contains(BlockPage(object, 2), c.url)) << request;
    EXPECT_TRUE(Contains(BlockPage(object, 1), "</")) << request;
  } else if (source == kPass) {
    EXPECT_LE(lines.size(), 1u) << request;
    for (const std::string& line : lines) {
      EXPECT_TRUE(Contains(line, "Explicitly allowed " + std::string(c.url) + " for user " + c.user)) << line;
    }
  } else {
    EXPECT_TRUE(lines.empty()) << request;
  }

  uint32_t listedOnly = 7;
  EXPECT_EQ(slots.GetInfo(object, 32, &listedOnly, 4), kOk) << request;
  EXPECT_TRUE(OneOf(listedOnly, 0, 1)) << request;
  return !::testing::Test::HasFailure();
}

TEST_F(ConfigurationRaceTest, RequestsApplicationsAndUserRefreshesRunTogether) {
  const std::string records[] = {RecordOfStoredSettings("settings_everyone_filtered.reg"),
                                 RecordOfStoredSettings("settings_listed_users_filtered.reg")};
  ASSERT_FALSE(records[0].empty());
  ASSERT_NE(records[0], records[1]);
  const std::vector<avex::host::UserDirectory> directories = Directories();
  ASSERT_NO_FATAL_FAILURE(StartEngineProcess());

  // Every thread waits here, so that none is done before the last has begun.
  std::atomic<int> waiting{kRequesters + 2};
  const auto startTogether = [&] {
    --waiting;
    while (waiting.load() > 0) std::this_thread::yield();
  };

  std::vector<std::thread> threads;
  for (int t = 0; t < kRequesters; ++t) {
    threads.emplace_back([&, t] {
      void* object = plug_.PlugFabricateInterface();
      startTogether();
      ASSERT_NE(object, nullptr);
      KeepingLogger logger;
      avex::host::TableOf(object).SetLogger(object, &logger);
      bool going = true;
      for (int round = 0; round < kRoundsPerRequester && going; ++round) {
        for (size_t i = 0; i < std::size(kCases) && going; ++i) {
          going = ServeRequest(object, kCases[(i + t) % std::size(kCases)], logger);
          logger.Clear();
        }
      }
      plug_.PlugReleaseInterface(object);
    });
  }

  // The applier saves every configuration it applies, as a console's change does.
  KeepingLogger applierLogger;
  int applied = 0;
  threads.emplace_back([&] {
    void* object = plug_.PlugFabricateInterface();
    startTogether();
    ASSERT_NE(object, nullptr);
    const ScanningObjectTable& slots = avex::host::TableOf(object);
    slots.SetLogger(object, &applierLogger);
    slots.SetNoSaveFlag(object, 0);
    for (int i = 0; i < kApplications && !HasFailure(); ++i) {
      const std::string& record = records[i % 2];
      EXPECT_EQ(slots.ApplyConfiguration(object, record.data(), static_cast<uint32_t>(record.size())), kOk);
      ++applied;
    }
    plug_.PlugReleaseInterface(object);
  });

  threads.emplace_back([&] {
    void* object = plug_.PlugFabricateInterface();
    startTogether();
    ASSERT_NE(object, nullptr);
    KeepingLogger logger;
    const ScanningObjectTable& slots = avex::host::TableOf(object);
    slots.SetLogger(object, &logger);
    for (int i = 0; i < kRefreshes && !HasFailure(); ++i) {
      EXPECT_EQ(slots.SetUserDatabase(object, &directories[i % directories.size()].Database()), kOk);
    }
    EXPECT_TRUE(logger.texts.empty());
    plug_.PlugReleaseInterface(object);
  });

  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(plug_.PlugStop(), 1);

  // Both configurations log their own arrival.
  EXPECT_EQ(applierLogger.texts.size(), static_cast<size_t>(applied));
  for (const std::string& text : applierLogger.texts) EXPECT_EQ(text, "Configuration has changed");
}

}  // namespace
