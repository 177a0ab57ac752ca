// The engine process's start and stop against the stand-in engine, seen
// through the engine's call journal and fault injection.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/scanning_table.h"
#include "platform/code_page.h"
#include "platform/registry_fixture.h"
#include "tests/loaded_plugin.h"

namespace {

using avex::platform::test::ScopedEnv;

class EngineStartTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    journal_ = ::testing::TempDir() + "avex_engine_journal_" +
               std::to_string(avex::platform::test::ProcessId()) + ".txt";
    std::remove(journal_.c_str());
  }
  void TearDown() override {
    LoadedPluginTest::TearDown();
    std::remove(journal_.c_str());
  }

  std::vector<std::string> Journal() {
    std::vector<std::string> lines;
    std::ifstream file(journal_);
    for (std::string line; std::getline(file, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  // The engine directory as the plug-in derives it: its own folder, lower-cased.
  static std::string EngineDirectory() {
    std::string directory = avex::testing::ProgramDirectory();
    avex::platform::LowerInPlace(&directory);
    return directory;
  }

  std::string journal_;
};

TEST_F(EngineStartTest, StartConfiguresTheEngineFromTheStoredSettingsInOrder) {
  ASSERT_TRUE(avex::platform::registry::ImportRegFile(avex::testing::FixturePath("settings_engine_switches.reg")));
  ScopedEnv journal("CSDK_JOURNAL", journal_);
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(0, 0), 1);
  const std::string root = EngineDirectory();
  const std::vector<std::string> expected = {
      "init",
      "GetCSDKInterface",
      "getConfigInterface",
      "setCSDKRootDir " + root,
      "setUseSafeSurf 0",
      "setUseRsaci 0",
      "setUseImageHandler 0",
      "setUseUrlClassificationCache 1",
      "setUrlClassificationCachePath " + root + "URLCache",
      "setUseStaticList 1",
      "setStaticListPath " + root + "Stlst\\StatListDb",
      "setUseOEMStaticList 0",
      "setStaticListAutomaticUpdateStatus 1",
      "setStaticListAutomaticUpdateInterval 90",
      "setStaticListUpdatePath " + root + "\\Stlst\\Update",
      "initialise TARN-AVEX-30-CORVANE",
  };
  EXPECT_EQ(Journal(), expected);

  EXPECT_EQ(plug_.PlugStop(), 1);
  const std::vector<std::string> afterStop = Journal();
  ASSERT_GE(afterStop.size(), 2u);
  EXPECT_EQ(afterStop[afterStop.size() - 2], "FreeCSDKInterface");
  EXPECT_EQ(afterStop.back(), "uninit");
}

TEST_F(EngineStartTest, OnlyTheFatalStepsFailTheStart) {
  struct Case {
    const char* faults;
    int32_t started;
  };
  const Case cases[] = {
      {"setUseRsaci=0x80000001", 1},
      {"setStaticListUpdatePath=0x80000001,setUseSafeSurf=5", 1},
      {"initialise=0x80004005", 0},
      {"init=0x80000001", 0},
      {"GetCSDKInterface=0x80000001", 0},
      {"getConfigInterface=0x80000001", 0},
  };
  for (const Case& c : cases) {
    ScopedEnv faults("CSDK_FAULTS", c.faults);
    Load();
    plug_.PlugApiVersion(2);
    EXPECT_EQ(plug_.PlugStart(0, 0), c.started) << c.faults;
    EXPECT_EQ(plug_.PlugStop(), 1);
    plugin_.Close();
  }
}

TEST_F(EngineStartTest, MissingEngineLibraryFailsTheStartWithTheLoadErrorCode) {
  namespace fs = std::filesystem;
  const fs::path lonely = fs::path(::testing::TempDir()) /
                          ("avex_without_engine_" + std::to_string(avex::platform::test::ProcessId()));
  fs::create_directories(lonely);
  fs::copy_file(fs::path(avex::testing::ProgramDirectory()) / "AVex.dll", lonely / "AVex.dll",
                fs::copy_options::overwrite_existing);
  const std::string trace = (lonely / "trace.txt").string();
  {
    ScopedEnv traceOn("AVEX_TRACE", trace);
    Load((lonely / "").string());
    plug_.PlugApiVersion(2);
    EXPECT_EQ(plug_.PlugStart(0, 0), 0);
    EXPECT_EQ(plug_.PlugStop(), 1);
    plugin_.Close();
  }
  std::ifstream traced(trace);
  const std::string text((std::istreambuf_iterator<char>(traced)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Uninitialised: 7e0002"), std::string::npos) << text;
  traced.close();
  std::error_code ignored;
  fs::remove_all(lonely, ignored);
}

TEST_F(EngineStartTest, StopTakesBackTheEngineObjectsOfLiveScanningObjects) {
  ScopedEnv journal("CSDK_JOURNAL", journal_);
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(0, 0), 1);
  void* object = plug_.PlugFabricateInterface();
  ASSERT_NE(object, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object);
  ASSERT_EQ(slots.SetSource(object, "http://unknown.example/", "text/html", 0, "pat"), 0u);
  ASSERT_EQ(slots.PutData(object, "<p>hello</p>", 12), 0u);

  EXPECT_EQ(plug_.PlugStop(), 1);
  std::vector<std::string> lines = Journal();
  const auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_LT(at("RequestObject.release"), at("FreeCSDKInterface"));
  EXPECT_LT(at("ReplyObject.release"), at("FreeCSDKInterface"));
  EXPECT_LT(at("FreeCSDKInterface"), static_cast<std::ptrdiff_t>(lines.size()));

  // The object lives on without an engine: no call reaches the unloaded library.
  EXPECT_EQ(slots.PutData(object, "more", 4), 0x80000006u);
  EXPECT_EQ(plug_.PlugReleaseInterface(object), 1);
  EXPECT_EQ(Journal().size(), lines.size());
}

}  // namespace
