// A process killed while it saves the configuration, or while it finishes a
// save that an earlier kill interrupted, leaves one whole configuration for
// the next start: the old one or the new one, never a mixture or the
// defaults. The child saves with the same code as the plug-in; under Wine it
// is killed with TerminateProcess, natively with SIGKILL.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "config/settings_store.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "plugin/configuration_record.h"
#include "tests/generated_configuration.h"
#include "tests/loaded_plugin.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;
namespace registry = platform::registry;

constexpr size_t kEntriesPerList = 2000;
constexpr int kKillMoments = 12;
constexpr unsigned kOldSeed = 1;
constexpr unsigned kNewSeed = 2;

// The whole configuration as the transfer carries it: lists, users,
// responses, levels and switches, compared byte for byte.
std::string RecordOf(const PluginConfiguration& config) {
  std::string record(WriteConfigurationRecord(config, nullptr, 0), '\0');
  WriteConfigurationRecord(config, &record[0], static_cast<uint32_t>(record.size()));
  return record;
}

class SettingsKillTest : public testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    registry::DeleteKeyTree(Staging());
    oldRecord_ = RecordOf(Loaded(testing::GeneratedConfiguration(kOldSeed, kEntriesPerList)));
    newRecord_ = RecordOf(Loaded(testing::GeneratedConfiguration(kNewSeed, kEntriesPerList)));
    ASSERT_NE(oldRecord_, newRecord_);
  }
  void TearDown() override {
    registry::DeleteKeyTree(Staging());
    LoadedPluginTest::TearDown();
  }

  static std::string Staging() { return std::string(kSettingsRootKey) + kSettingsStagingSuffix; }

  // `config` as a load gives it back after it was saved: what the layout
  // does not store (descriptions, host attributes) is gone.
  PluginConfiguration Loaded(const PluginConfiguration& config) {
    SaveSettings(config);
    return Load();
  }

  PluginConfiguration Load() {
    PluginConfiguration config;
    EXPECT_TRUE(LoadSettings(&config, &lock_));
    return config;
  }

  void SaveInThisProcess(unsigned seed) { SaveSettings(testing::GeneratedConfiguration(seed, kEntriesPerList)); }

  std::vector<std::string> Child(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{testing::ProgramDirectory() + "settings_saver" + kExeSuffix};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
  }

  // Seconds from the start of `arguments` until it ends by itself.
  double WholeRun(const std::vector<std::string>& arguments) {
    platform::ChildProcess child;
    const auto start = Clock::now();
    EXPECT_TRUE(child.Start(Child(arguments)));
    EXPECT_EQ(child.Wait(), 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  // Starts `arguments` and kills it `seconds` later (or finds it ended).
  void KilledRun(const std::vector<std::string>& arguments, double seconds) {
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(Child(arguments)));
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    child.Kill();
  }

  // Moments spread evenly over the part of a run after the program's start.
  static std::vector<double> Moments(double startSeconds, double runSeconds) {
    const double work = runSeconds > startSeconds ? runSeconds - startSeconds : runSeconds;
    std::vector<double> moments;
    for (int i = 1; i <= kKillMoments; ++i) {
      moments.push_back(runSeconds - work + work * i / (kKillMoments + 1));
    }
    return moments;
  }

#if defined(_WIN32)
  static constexpr char kExeSuffix[] = ".exe";
#else
  static constexpr char kExeSuffix[] = "";
#endif

  SharedDataLock lock_;
  std::string oldRecord_;
  std::string newRecord_;
};

TEST_F(SettingsKillTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewConfigurationWhole) {
  const std::vector<std::string> save{"save", std::to_string(kNewSeed), std::to_string(kEntriesPerList)};
  const double start = WholeRun({"start"});
  SaveInThisProcess(kOldSeed);
  const double whole = WholeRun(save);
  int oldOnes = 0, newOnes = 0;
  for (double moment : Moments(start, whole)) {
    SCOPED_TRACE("killed after " + std::to_string(moment) + " s of " + std::to_string(whole) + " s");
    SaveInThisProcess(kOldSeed);
    KilledRun(save, moment);
    const std::string loaded = RecordOf(Load());
    EXPECT_TRUE(loaded == oldRecord_ || loaded == newRecord_) << "a mixture or the defaults";
    oldOnes += loaded == oldRecord_;
    newOnes += loaded == newRecord_;
    EXPECT_FALSE(registry::KeyExists(Staging()));
  }
  std::printf("[          ] %d kills left the old configuration, %d the new one (a whole save: %.2f s)\n",
              oldOnes, newOnes, whole);
}

// The state of a save killed while it replaced the root: the new tree whole
// under the staging key, the old root half deleted.
TEST_F(SettingsKillTest, AStartKilledWhileItFinishesAnInterruptedSaveLeavesTheNewConfiguration) {
  const auto interruptedSave = [&] {
    SaveInThisProcess(kNewSeed);
    const std::string newer = std::string(kSettingsRootKey) + ".newer";
    ASSERT_TRUE(registry::CopyKeyTree(kSettingsRootKey, newer));
    SaveInThisProcess(kOldSeed);
    ASSERT_TRUE(registry::CopyKeyTree(newer, Staging()));
    ASSERT_TRUE(registry::DeleteKeyTree(newer));
    ASSERT_TRUE(registry::DeleteKeyTree(std::string(kSettingsRootKey) + "\\Manual\\URLs"));
  };
  const double start = WholeRun({"start"});
  interruptedSave();
  const double whole = WholeRun({"load"});
  for (double moment : Moments(start, whole)) {
    SCOPED_TRACE("killed after " + std::to_string(moment) + " s of " + std::to_string(whole) + " s");
    interruptedSave();
    KilledRun({"load"}, moment);
    EXPECT_EQ(RecordOf(Load()), newRecord_);
    EXPECT_FALSE(registry::KeyExists(Staging()));
  }
}

}  // namespace
}  // namespace avex
