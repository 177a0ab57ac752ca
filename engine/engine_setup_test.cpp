#include "engine/engine_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "engine/journaling_engine.h"
#include "platform/platform_test_util.h"

namespace avex {
namespace {

using Journal = std::vector<std::string>;
using testing::JournalingEngine;

const std::string kDirectory = "C:\\P\\";

// Sends the diagnostic trace to a file for the life of the object.
class TraceCapture {
 public:
  TraceCapture() : path_(platform::test::TempPath("engine-trace.txt")), target_(path_) {}
  ~TraceCapture() { std::remove(path_.c_str()); }

  // The texts traced so far, without the thread and object prefix.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    std::istringstream lines(platform::test::ReadFile(path_));
    for (std::string line; std::getline(lines, line);) {
      const size_t thread = line.find("] ");
      const size_t object = thread == std::string::npos ? thread : line.find(' ', thread + 2);
      texts.push_back(object == std::string::npos ? line : line.substr(object + 1));
    }
    return texts;
  }

  bool Contains(const std::string& text) const {
    const std::vector<std::string> texts = Texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

 private:
  std::string path_;
  platform::test::ScopedTraceTarget target_;
};

// Settings whose engine values all differ from the defaults.
FilterSettings ChangedSettings() {
  FilterSettings settings;
  settings.useSafeSurf = 0;
  settings.useRsaci = 7;  // any non-zero value reaches the engine as 1
  settings.useUrlCache = 1;
  settings.useStaticListUpdates = 2;
  settings.staticListUpdateInterval = 90;
  return settings;
}

Journal StartJournal(int safeSurf, int rsaci, int urlCache, int updates, int interval) {
  return {
      "EngineInitCSDK 'C:\\P\\' 'csdk.dll'",
      "GetCSDKInterface",
      "getConfigInterface",
      "setCSDKRootDir 'C:\\P\\'",
      "setUseSafeSurf " + std::to_string(safeSurf),
      "setUseRsaci " + std::to_string(rsaci),
      "setUseImageHandler 0",
      "setUseUrlClassificationCache " + std::to_string(urlCache),
      "setUrlClassificationCachePath 'C:\\P\\URLCache'",
      "setUseStaticList 1",
      "setStaticListPath 'C:\\P\\Stlst\\StatListDb'",
      "setUseOEMStaticList 0",
      "setStaticListAutomaticUpdateStatus " + std::to_string(updates),
      "setStaticListAutomaticUpdateInterval " + std::to_string(interval),
      "setStaticListUpdatePath 'C:\\P\\\\Stlst\\Update'",
      "initialise 'TARN-AVEX-30-CORVANE'",
  };
}

Journal ChangedStartJournal() { return StartJournal(0, 1, 1, 1, 90); }

// The journal up to and including the first call of `operation`.
Journal JournalUpTo(const Journal& journal, const std::string& operation) {
  auto end = std::find_if(journal.begin(), journal.end(),
                          [&](const std::string& call) { return call.rfind(operation, 0) == 0; });
  return Journal(journal.begin(), end == journal.end() ? end : end + 1);
}

class EngineSetupTest : public ::testing::Test {
 protected:
  JournalingEngine engine_;
  EngineReferences references_;
};

TEST_F(EngineSetupTest, StartConfiguresTheEngineFromTheSettings) {
  struct Case {
    FilterSettings settings;
    Journal journal;
  };
  const Case cases[] = {
      {ChangedSettings(), ChangedStartJournal()},
      {FilterSettings(), StartJournal(1, 1, 0, 0, 1440)},
  };
  for (const Case& c : cases) {
    JournalingEngine engine;
    EngineReferences references;
    EXPECT_TRUE(StartEngine(engine, &references, c.settings, kDirectory));
    EXPECT_EQ(engine.journal, c.journal);
    EXPECT_EQ(references.engine, engine.Interface());
    EXPECT_EQ(references.config, engine.Config());
    EXPECT_EQ(references.paths.staticListUpdate, "C:\\P\\\\Stlst\\Update");
  }
}

TEST_F(EngineSetupTest, StartTracesEveryStep) {
  TraceCapture trace;
  ASSERT_TRUE(StartEngine(engine_, &references_, ChangedSettings(), kDirectory));
  const std::vector<std::string> expected = {
      "Param1 for EngineInitCSDK: C:\\P\\",
      "Param2 for EngineInitCSDK: csdk.dll",
      "Initialised",
      "Path (SDK Base): C:\\P\\",
      "Path (URL Cache): C:\\P\\URLCache",
      "Path (Static List): C:\\P\\Stlst\\StatListDb",
      "Path (Static List Updates): C:\\P\\\\Stlst\\Update",
      "CSDK Interface Retrieved",
      "Config Interface Retrieved",
      "CSDK Root Dir: C:\\P\\",
      "Use SafeSurf: 0",
      "Use RSACI: 1",
      "Use ImageHandler: 0",
      "Use URL Cache: 1",
      "Use URL Cache Path: C:\\P\\URLCache",
      "Use Static List Path: C:\\P\\Stlst\\StatListDb",
      "Use OEM Static List: 0",
      "Use Static List Updates: 1",
      "Use Static List Update Intervals: 90",
      "Use Static List Update Path: C:\\P\\\\Stlst\\Update",
      "Initialised Interface without problems",
  };
  EXPECT_EQ(trace.Texts(), expected);
}

TEST_F(EngineSetupTest, AFailingSetterIsOnlyTraced) {
  const char* const setters[] = {
      "setCSDKRootDir",
      "setUseSafeSurf",
      "setUseRsaci",
      "setUseImageHandler",
      "setUseUrlClassificationCache",
      "setUrlClassificationCachePath",
      "setUseStaticList",
      "setStaticListPath",
      "setUseOEMStaticList",
      "setStaticListAutomaticUpdateStatus",
      "setStaticListAutomaticUpdateInterval",
      "setStaticListUpdatePath",
  };
  for (const char* setter : setters) {
    TraceCapture trace;
    JournalingEngine engine;
    engine.failures[setter] = 0x8000ABCD;
    EngineReferences references;
    EXPECT_TRUE(StartEngine(engine, &references, ChangedSettings(), kDirectory)) << setter;
    EXPECT_EQ(engine.journal, ChangedStartJournal()) << setter;
    EXPECT_TRUE(trace.Contains(std::string("Unable to ") + setter + ": 8000abcd")) << setter;
    EXPECT_TRUE(trace.Contains("Initialised Interface without problems")) << setter;
  }
}

TEST_F(EngineSetupTest, AFatalStepEndsTheStartAndKeepsWhatWasObtained) {
  struct Case {
    const char* operation;
    uint32_t status;
    const char* traced;
    bool engineHeld;
    bool configHeld;
  };
  const Case cases[] = {
      {"EngineInitCSDK", 0x007E0002, "Uninitialised: 7e0002", false, false},
      {"GetCSDKInterface", 0xC1000002, "No CSDK Interface: c1000002", false, false},
      {"getConfigInterface", 5, "No Config Interface: 5", true, false},
      {"initialise", 0x80000001, "Unable to initialise: 80000001", true, true},
  };
  for (const Case& c : cases) {
    TraceCapture trace;
    JournalingEngine engine;
    engine.failures[c.operation] = c.status;  // the object is still handed out
    EngineReferences references;
    EXPECT_FALSE(StartEngine(engine, &references, ChangedSettings(), kDirectory)) << c.operation;
    // Nothing after the failing step, and nothing unloaded.
    EXPECT_EQ(engine.journal, JournalUpTo(ChangedStartJournal(), c.operation)) << c.operation;
    EXPECT_TRUE(trace.Contains(c.traced)) << c.operation;
    EXPECT_EQ(references.engine, c.engineHeld ? engine.Interface() : nullptr) << c.operation;
    EXPECT_EQ(references.config, c.configHeld ? engine.Config() : nullptr) << c.operation;
  }
}

TEST_F(EngineSetupTest, StartAcceptsAnEngineThatWasAlreadyInitialised) {
  engine_.failures["EngineInitCSDK"] = EngineAlreadyInitialised;
  EXPECT_TRUE(StartEngine(engine_, &references_, ChangedSettings(), kDirectory));
  EXPECT_EQ(engine_.journal, ChangedStartJournal());
}

TEST_F(EngineSetupTest, ACallThatAnswersSuccessButHandsOutNothingFails) {
  struct Case {
    const char* operation;
    const char* traced;
    bool engineHeld;
  };
  const Case cases[] = {
      {"GetCSDKInterface", "No CSDK Interface: 0", false},
      {"getConfigInterface", "No Config Interface: 0", true},
  };
  for (const Case& c : cases) {
    TraceCapture trace;
    JournalingEngine engine;
    engine.leavesNull.insert(c.operation);
    // References left from an earlier engine must not survive a call that
    // fills nothing in.
    JournalingEngine earlier;
    EngineReferences references;
    references.engine = earlier.Interface();
    references.config = earlier.Config();
    EXPECT_FALSE(StartEngine(engine, &references, ChangedSettings(), kDirectory)) << c.operation;
    EXPECT_EQ(engine.journal, JournalUpTo(ChangedStartJournal(), c.operation)) << c.operation;
    EXPECT_TRUE(trace.Contains(c.traced)) << c.operation;
    EXPECT_EQ(references.engine, c.engineHeld ? engine.Interface() : nullptr) << c.operation;
    EXPECT_EQ(references.config, nullptr) << c.operation;
    EXPECT_TRUE(earlier.journal.empty()) << c.operation;
  }
}

TEST_F(EngineSetupTest, AnInstallPathTooLongForTheEngineFailsTheStart) {
  TraceCapture trace;
  const std::string directory = "C:\\" + std::string(250, 'd') + "\\";
  EXPECT_FALSE(StartEngine(engine_, &references_, ChangedSettings(), directory));
  EXPECT_EQ(engine_.journal, Journal{"EngineInitCSDK '" + directory + "' 'csdk.dll'"});
  EXPECT_TRUE(trace.Contains("Engine paths longer than 259 characters under: " + directory));
  EXPECT_EQ(references_.engine, nullptr);
  EXPECT_TRUE(references_.paths.root.empty());
}

TEST_F(EngineSetupTest, AnAppliedConfigurationReachesTheEngineOutsideTheConsole) {
  PluginConfiguration configuration;
  configuration.settings = ChangedSettings();
  configuration.settings.staticListUpdateInterval = 0xFFFFFFFF;  // travels as signed
  configuration.updateServer.name = "updates.example";
  references_.engine = engine_.Interface();
  references_.config = engine_.Config();

  ReconfigureEngine(references_, configuration, false);
  const Journal expected = {
      "setUseSafeSurf 0",
      "setUseRsaci 1",
      "setStaticListAutomaticUpdateStatus 1",
      "setStaticListAutomaticUpdateInterval -1",
      "setStaticListUpdateServer 'updates.example'",
  };
  EXPECT_EQ(engine_.journal, expected);

  engine_.journal.clear();
  configuration.updateServer.name.clear();
  ReconfigureEngine(references_, configuration, false);
  EXPECT_EQ(engine_.journal.back(), "setStaticListUpdateServer ''");

  engine_.journal.clear();
  ReconfigureEngine(references_, configuration, true);  // console mode
  references_.config = nullptr;
  ReconfigureEngine(references_, configuration, false);
  EXPECT_TRUE(engine_.journal.empty());
}

const Journal kConsoleInit = {"EngineInitCSDK 'C:\\P\\' 'csdk.dll'", "GetCSDKInterface", "getConfigInterface"};
const Journal kConsoleSetters = {
    "setCSDKRootDir 'C:\\P\\'",
    "setStaticListPath 'C:\\P\\Stlst\\StatListDb'",
    "setUrlClassificationCachePath 'C:\\P\\URLCache'",
    "setUseImageHandler 0",
    "setUseUrlClassificationCache 1",
    "setUseOEMStaticList 0",
};

Journal Joined(std::initializer_list<Journal> parts) {
  Journal joined;
  for (const Journal& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST_F(EngineSetupTest, ConsoleBringUp) {
  const std::string initialise = "initialise 'TARN-AVEX-30-CORVANE'";
  struct Case {
    const char* name;
    const char* failing;  // with status 5
    const char* leavingNull;
    bool succeeds;
    bool configHeld;
    Journal journal;
  };
  const Case cases[] = {
      {"plain", nullptr, nullptr, true, true, Joined({kConsoleInit, kConsoleSetters, {initialise}})},
      // The configuration object's status is not looked at; its absence only skips the setters.
      {"config answers failure", "getConfigInterface", nullptr, true, true,
       Joined({kConsoleInit, kConsoleSetters, {initialise}})},
      {"no config", nullptr, "getConfigInterface", true, false, Joined({kConsoleInit, {initialise}})},
      {"init fails", "EngineInitCSDK", nullptr, false, false, {kConsoleInit[0]}},
      {"no engine", "GetCSDKInterface", nullptr, false, false, {kConsoleInit[0], kConsoleInit[1], "UnloadEngine"}},
      {"null engine", nullptr, "GetCSDKInterface", false, false, {kConsoleInit[0], kConsoleInit[1], "UnloadEngine"}},
      {"initialise fails", "initialise", nullptr, false, false,
       Joined({kConsoleInit, kConsoleSetters, {initialise, "FreeCSDKInterface", "UnloadEngine"}})},
  };
  for (const Case& c : cases) {
    JournalingEngine engine;
    if (c.failing) engine.failures[c.failing] = 5;
    if (c.leavingNull) engine.leavesNull.insert(c.leavingNull);
    EngineReferences references;
    EXPECT_EQ(BringUpConsoleEngine(engine, &references, ChangedSettings(), kDirectory), c.succeeds) << c.name;
    EXPECT_EQ(engine.journal, c.journal) << c.name;
    EXPECT_EQ(references.engine, c.succeeds ? engine.Interface() : nullptr) << c.name;
    EXPECT_EQ(references.config, c.configHeld ? engine.Config() : nullptr) << c.name;
  }
}

TEST_F(EngineSetupTest, ConsoleBringUpKeepsItsOwnUpdateDirectoryAndRunsOnce) {
  engine_.failures["EngineInitCSDK"] = EngineAlreadyInitialised;
  ASSERT_TRUE(BringUpConsoleEngine(engine_, &references_, ChangedSettings(), kDirectory));
  EXPECT_EQ(references_.paths.staticListUpdate, "C:\\P\\Stlst\\StatListDb\\Update");
  EXPECT_EQ(references_.config, engine_.Config());

  engine_.journal.clear();
  EXPECT_TRUE(BringUpConsoleEngine(engine_, &references_, ChangedSettings(), kDirectory));
  EXPECT_TRUE(engine_.journal.empty());
}

TEST_F(EngineSetupTest, ConsoleBringUpWithAnInstallPathTooLongUnloadsAgain) {
  TraceCapture trace;
  const std::string directory = "C:\\" + std::string(240, 'd') + "\\";  // fits at start, not here
  EXPECT_FALSE(BringUpConsoleEngine(engine_, &references_, ChangedSettings(), directory));
  EXPECT_EQ(engine_.journal, (Journal{"EngineInitCSDK '" + directory + "' 'csdk.dll'", "UnloadEngine"}));
  EXPECT_TRUE(trace.Contains("Engine paths longer than 259 characters under: " + directory));
  EXPECT_EQ(references_.engine, nullptr);
}

TEST_F(EngineSetupTest, TestSettingsMixThePageCopyWithTheLiveUrlCacheSwitch) {
  FilterSettings page;
  page.useSafeSurf = 0;
  page.useRsaci = 3;
  page.useUrlCache = 0;
  FilterSettings live;
  live.useSafeSurf = 1;
  live.useRsaci = 0;
  live.useUrlCache = 9;
  references_.engine = engine_.Interface();
  references_.config = engine_.Config();

  ApplyTestSettings(references_, page, live);
  const Journal expected = {
      "setUseSafeSurf 0",
      "setUseRsaci 1",
      "setUseImageHandler 0",
      "setUseUrlClassificationCache 1",
      "setUseOEMStaticList 0",
  };
  EXPECT_EQ(engine_.journal, expected);

  engine_.journal.clear();
  references_.config = nullptr;
  ApplyTestSettings(references_, page, live);
  EXPECT_TRUE(engine_.journal.empty());
}

TEST_F(EngineSetupTest, ShutdownReleasesAHeldEngine) {
  ShutDownEngine(engine_, &references_);
  EXPECT_TRUE(engine_.journal.empty());

  ASSERT_TRUE(StartEngine(engine_, &references_, ChangedSettings(), kDirectory));
  engine_.journal.clear();
  ShutDownEngine(engine_, &references_);
  EXPECT_EQ(engine_.journal, (Journal{"FreeCSDKInterface", "UnloadEngine"}));
  EXPECT_EQ(references_.engine, nullptr);
  EXPECT_EQ(references_.config, nullptr);
}

}  // namespace
}  // namespace avex
