#include "plugin/plugin_application.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <stdexcept>
#include <thread>

#include "config/settings_store.h"
#include "platform/registry.h"
#include "platform/registry_fixture.h"
#include "tests/test_paths.h"

namespace avex {
namespace {

constexpr char kVendorKey[] = "SOFTWARE\\Orlo Ltd\\Aurivex PlugIn";

class PluginApplicationTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::registry::DeleteKeyTree(kVendorKey);
    platform::registry::DeleteKeyTree(kSettingsRootKey);
  }
};

TEST_F(PluginApplicationTest, OnlyTheEngineProcessLoadsTheStoredSettings) {
  struct Case {
    int32_t startType;
    int32_t consoleFlag;
    bool loads;
  };
  const Case cases[] = {{0, 0, true}, {1, 0, true}, {1, 1, false}, {0, 1, false}, {2, 0, false}, {3, 0, false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(platform::registry::ImportRegFile(testing::FixturePath("settings_v3.reg")));
    PluginApplication application;
    application.SetApiVersion(2);
    ASSERT_EQ(application.Start(c.startType, c.consoleFlag), 1);
    EXPECT_EQ(application.Configuration()->settings.lists.partials().size(), c.loads ? 3u : 0u)
        << c.startType << "/" << c.consoleFlag;
    EXPECT_EQ(application.Configuration()->settings.useSafeSurf, c.loads ? 0u : 1u);

    // A stop and a second start in the same process load the same lists once.
    application.Stop();
    EXPECT_TRUE(application.Configuration()->responses.empty());
    ASSERT_EQ(application.Start(c.startType, c.consoleFlag), 1);
    EXPECT_EQ(application.Configuration()->settings.lists.partials().size(), c.loads ? 3u : 0u);
  }
}

// Started on the defaults, the engine process's first configuration save
// would put them over the stored tree: a start whose load could not take the
// lock is refused instead.
TEST_F(PluginApplicationTest, AStartThatCannotLoadTheStoredSettingsIsRefused) {
  ASSERT_TRUE(platform::registry::ImportRegFile(testing::FixturePath("settings_v3.reg")));
  const char kLockName[] = "AVexPluginApplicationBusyTest";
  std::promise<void> held;
  std::promise<void> startsTried;
  std::thread holder([&] {
    SharedDataLock lock(kLockName, 5000);
    EXPECT_TRUE(lock.Acquire());
    held.set_value();
    startsTried.get_future().wait();
    lock.Release();
  });
  held.get_future().wait();
  for (int32_t startType : {0, 1}) {
    PluginApplication application(kLockName, 50);
    application.SetApiVersion(2);
    EXPECT_EQ(application.Start(startType, 0), 0) << startType;
    EXPECT_EQ(application.Start(startType, 1), 1) << startType;  // the console loads nothing
  }
  startsTried.set_value();
  holder.join();
  EXPECT_EQ(platform::registry::ValueNames(std::string(kSettingsRootKey) + "\\Manual\\Partial").size(), 4u);

  PluginApplication application(kLockName, 50);
  application.SetApiVersion(2);
  EXPECT_EQ(application.Start(1, 0), 1);
  EXPECT_EQ(application.Configuration()->settings.lists.partials().size(), 3u);
}

TEST_F(PluginApplicationTest, ConsoleModeFollowsTheConsoleFlagExceptForStartTypesTwoAndThree) {
  struct Case {
    int32_t startType;
    int32_t consoleFlag;
    bool consoleModeAfter;  // starting from console mode off, then from on
    bool consoleModeAfterOn;
  };
  const Case cases[] = {
      {0, 0, false, false}, {0, 1, true, true},  {1, 0, false, false}, {1, 5, true, true},
      {2, 0, false, true},  {2, 1, false, true}, {3, 0, false, true},  {3, 1, false, true},
  };
  for (const Case& c : cases) {
    PluginApplication off;
    off.SetApiVersion(2);
    EXPECT_EQ(off.Start(c.startType, c.consoleFlag), 1);
    EXPECT_EQ(off.ConsoleMode(), c.consoleModeAfter) << c.startType << "/" << c.consoleFlag;

    PluginApplication on;
    on.SetApiVersion(2);
    on.Start(1, 1);
    EXPECT_EQ(on.Start(c.startType, c.consoleFlag), 1);
    EXPECT_EQ(on.ConsoleMode(), c.consoleModeAfterOn) << c.startType << "/" << c.consoleFlag;
  }
}

TEST_F(PluginApplicationTest, StartCreatesTheInformationRecordAndStopDeletesIt) {
  PluginApplication application;
  EXPECT_EQ(application.Start(2, 0), 0);  // no version yet
  EXPECT_EQ(application.InfoRecord(), nullptr);
  application.SetApiVersion(2);
  ASSERT_EQ(application.Start(3, 0), 1);
  ASSERT_NE(application.InfoRecord(), nullptr);

  const auto* bytes = reinterpret_cast<const unsigned char*>(application.InfoRecord());
  const unsigned char head[20] = {0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes, head, sizeof head), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 20), "Aurivex 3.0 for Corvane");
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 277), "Tarn Software");
  // Every byte after each text's terminator is zero.
  for (size_t i = 20 + std::strlen("Aurivex 3.0 for Corvane"); i < 277; ++i) EXPECT_EQ(bytes[i], 0) << i;
  for (size_t i = 277 + std::strlen("Tarn Software"); i < 534; ++i) EXPECT_EQ(bytes[i], 0) << i;

  EXPECT_EQ(application.Stop(), 1);
  EXPECT_EQ(application.InfoRecord(), nullptr);
  EXPECT_EQ(application.Stop(), 1);
}

class FakeScanningObject final : public ScanningInterfaceBase {
 public:
  FakeScanningObject(bool throwOnDestroy, int* destroyed)
      : throwOnDestroy_(throwOnDestroy), destroyed_(destroyed) {}
  uint32_t SetUserDatabase(const HostUserDatabase*) override { return 0; }
  uint32_t GetConfiguration(void*, uint32_t*) override { return 0; }
  uint32_t GetPluginInfo(void*) override { return 0; }
  void SetNoSaveFlag(uint32_t) override {}
  uint32_t GetNoSaveFlag() override { return 0; }
  uint32_t SetHostFlag(uint32_t) override { return 0; }
  uint32_t SetState(uint32_t) override { return 0; }
  uint32_t SetSource(const char*, const char*, uint32_t, const char*) override { return 0; }
  uint32_t PutData(const void*, uint32_t) override { return 0; }
  uint32_t NotSupportedRecorded(uint32_t, uint32_t) override { return 0; }
  uint32_t NotSupportedUnrecorded(uint32_t, uint32_t) override { return 0; }
  uint32_t CheckData() override { return 0; }
  uint32_t GetResponse(uint32_t, char*, uint32_t*) override { return 0; }
  uint32_t GetLastResult() override { return 0; }
  void SetLogger(HostLogger*) override {}
  uint32_t ShowConfiguration(void*) override { return 0; }
  uint32_t ApplyConfiguration(const void*, uint32_t) override { return 0; }
  void Destroy() override {
    if (throwOnDestroy_) throw std::runtime_error("destruction failed");
    ++*destroyed_;
    delete this;
  }

 private:
  bool throwOnDestroy_;
  int* destroyed_;
};

TEST_F(PluginApplicationTest, ReleaseAnswersOneOnlyForADestroyedObject) {
  PluginApplication application;
  int destroyed = 0;
  FakeScanningObject* early = new FakeScanningObject(false, &destroyed);
  EXPECT_EQ(application.ReleaseInterface(early), 0);  // below version 2 nothing is destroyed
  EXPECT_EQ(destroyed, 0);

  application.SetApiVersion(2);
  EXPECT_EQ(application.ReleaseInterface(nullptr), 0);
  EXPECT_EQ(application.ReleaseInterface(early), 1);
  EXPECT_EQ(destroyed, 1);

  FakeScanningObject throwing(true, &destroyed);
  EXPECT_EQ(application.ReleaseInterface(&throwing), 0);
  EXPECT_EQ(destroyed, 1);
}

TEST(HelpFilePathTest, HelpFileSitsBesideTheModuleOnItsDrive) {
  struct Case {
    const char* modulePath;
    const char* helpPath;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Corvane\\AVex.dll", "C:\\Program Files\\Corvane\\aurivex.chm"},
      {"D:AVex.dll", "D:aurivex.chm"},
      {"\\\\server\\share\\AVex.dll", "\\\\server\\share\\aurivex.chm"},
      {"/opt/corvane/AVex.dll", "/opt/corvane/aurivex.chm"},
      {"AVex.dll", "aurivex.chm"},
  };
  for (const Case& c : cases) EXPECT_EQ(HelpFilePathFor(c.modulePath), c.helpPath) << c.modulePath;
}

TEST(HelpFilePathTest, ModuleDirectoryHasNoTrailingSeparator) {
  EXPECT_EQ(DirectoryOfModulePath("C:\\Corvane\\Plugins\\AVex.dll"), "C:\\Corvane\\Plugins");
  EXPECT_EQ(DirectoryOfModulePath("/opt/corvane/AVex.dll"), "/opt/corvane");
  EXPECT_EQ(DirectoryOfModulePath("AVex.dll"), "");
}

}  // namespace
}  // namespace avex
