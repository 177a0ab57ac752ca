#include "engine/engine_library.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/modules.h"
#include "platform/platform_test_util.h"
#include "tests/test_paths.h"

namespace avex {
namespace {

using platform::test::ScopedEnv;

// Built beside this program by tests/CMakeLists.txt.
constexpr char kFakeEngine[] = "fake_engine.dll";
constexpr char kFakeEngineWithoutFree[] = "fake_engine_incomplete.dll";
constexpr char kInitStatus[] = "AVEX_FAKE_ENGINE_INIT";
constexpr char kUninitStatus[] = "AVEX_FAKE_ENGINE_UNINIT";

bool IsLoaded(const char* fileName) {
  std::string path;
  return platform::ModuleFileName(fileName, &path);
}

class EngineLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(IsLoaded(kFakeEngine));
    ASSERT_FALSE(IsLoaded(kFakeEngineWithoutFree));
  }
  void TearDown() override {
    library_.UnloadEngine();
    EXPECT_FALSE(IsLoaded(kFakeEngine));
  }

  // The test program's folder without its trailing separator: the library
  // path puts one between directory and file name.
  const std::string directory_ = [] {
    std::string directory = testing::ProgramDirectory();
    directory.pop_back();
    return directory;
  }();
  EngineLibrary library_;
};

TEST_F(EngineLibraryTest, LoadFailuresGiveTheSystemErrorInTheUpperHalf) {
  EXPECT_EQ(EngineLoadErrorCode(126), 0x007E0002u);
  EXPECT_EQ(EngineLoadErrorCode(0x8007007Fu), 0x007F0002u);

  struct Case {
    const char* fileName;
    uint32_t status;
  };
  const Case cases[] = {
      {"no_such_engine.dll", 0x007E0002},  // ERROR_MOD_NOT_FOUND
      {kFakeEngineWithoutFree, 0x007F0002},  // ERROR_PROC_NOT_FOUND
  };
  for (const Case& c : cases) {
    EngineLibrary library;
    EXPECT_EQ(library.EngineInitCSDK(directory_.c_str(), c.fileName), c.status) << c.fileName;
    EXPECT_FALSE(library.Loaded());
    EXPECT_FALSE(library.Initialised());
    EXPECT_FALSE(IsLoaded(c.fileName)) << "a library without all entry points must be freed";
    EXPECT_EQ(library.StoredDirectory(), directory_);
    EXPECT_EQ(library.UnloadEngine(), EngineNotInitialised);
  }
}

TEST_F(EngineLibraryTest, InitialisesForwardsAndUnloads) {
  ScopedEnv uninit(kUninitStatus, "0x1234");
  ASSERT_EQ(library_.EngineInitCSDK(directory_.c_str(), kFakeEngine), 0u);
  EXPECT_TRUE(library_.Loaded());
  EXPECT_TRUE(library_.Initialised());
  EXPECT_TRUE(IsLoaded(kFakeEngine));

  EngineInterface* engine = nullptr;
  ASSERT_EQ(library_.GetCSDKInterface(&engine), 0u);
  ASSERT_NE(engine, nullptr);
  // The library's object answers through its table across the boundary.
  EXPECT_EQ(engine->initialise(kEngineIdentification), 0u);
  EXPECT_EQ(engine->initialise("someone else"), 1u);
  EXPECT_EQ(library_.FreeCSDKInterface(), 0u);

  // A second initialisation changes nothing, the stored names included.
  EXPECT_EQ(library_.EngineInitCSDK("elsewhere", "other.dll"), EngineAlreadyInitialised);
  EXPECT_EQ(library_.StoredDirectory(), directory_);
  EXPECT_EQ(library_.StoredFileName(), std::string(kFakeEngine));
  EXPECT_TRUE(library_.Initialised());

  EXPECT_EQ(library_.UnloadEngine(), 0x1234u);  // uninit's own status
  EXPECT_FALSE(library_.Loaded());
  EXPECT_FALSE(library_.Initialised());
  EXPECT_FALSE(IsLoaded(kFakeEngine));
  EXPECT_FALSE(library_.StoredDirectory().has_value());
  EXPECT_FALSE(library_.StoredFileName().has_value());
  EXPECT_EQ(library_.UnloadEngine(), EngineNotInitialised);
}

TEST_F(EngineLibraryTest, InitAnsweringAlreadyInitialisedCountsAsSuccess) {
  ScopedEnv init(kInitStatus, "0xC4000004");
  EXPECT_EQ(library_.EngineInitCSDK(directory_.c_str(), kFakeEngine), 0u);
  EXPECT_TRUE(library_.Initialised());
}

TEST_F(EngineLibraryTest, FailedInitKeepsTheLibraryLoadedButRefusesTheInterface) {
  {
    ScopedEnv init(kInitStatus, "0x80000005");
    EXPECT_EQ(library_.EngineInitCSDK(directory_.c_str(), kFakeEngine), 0x80000005u);
  }
  EXPECT_TRUE(library_.Loaded());
  EXPECT_FALSE(library_.Initialised());
  EngineInterface* engine = nullptr;
  EXPECT_EQ(library_.GetCSDKInterface(&engine), EngineNotInitialised);
  EXPECT_EQ(engine, nullptr);
  EXPECT_EQ(library_.FreeCSDKInterface(), EngineNotInitialised);

  // A retry without names runs init again on the library already loaded.
  EXPECT_EQ(library_.EngineInitCSDK(nullptr, nullptr), 0u);
  EXPECT_TRUE(library_.Initialised());
}

TEST_F(EngineLibraryTest, UnloadWithoutSuccessfulInitFreesWhatWasLoaded) {
  EXPECT_EQ(library_.UnloadEngine(), EngineNotInitialised);  // never loaded
  EngineInterface* engine = nullptr;
  EXPECT_EQ(library_.GetCSDKInterface(&engine), EngineNotInitialised);
  EXPECT_EQ(library_.FreeCSDKInterface(), EngineNotInitialised);

  ScopedEnv init(kInitStatus, "7");
  ASSERT_EQ(library_.EngineInitCSDK(directory_.c_str(), kFakeEngine), 7u);
  ASSERT_TRUE(IsLoaded(kFakeEngine));
  EXPECT_EQ(library_.UnloadEngine(), EngineNotInitialised);
  EXPECT_FALSE(library_.Loaded());
  EXPECT_FALSE(IsLoaded(kFakeEngine));
  EXPECT_FALSE(library_.StoredDirectory().has_value());
}

TEST_F(EngineLibraryTest, StoredNamesAreReplacedOnlyWhenGiven) {
  EXPECT_EQ(library_.EngineInitCSDK(directory_.c_str(), "no_such_engine.dll"), 0x007E0002u);
  EXPECT_EQ(library_.EngineInitCSDK(nullptr, kFakeEngine), 0u);  // the stored directory is used
  EXPECT_EQ(library_.StoredDirectory(), directory_);
  EXPECT_TRUE(library_.Initialised());
}

}  // namespace
}  // namespace avex
