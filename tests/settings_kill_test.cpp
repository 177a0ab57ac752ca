// A process killed while it saves the configuration, or while it finishes a
// save that an earlier kill interrupted, leaves one whole configuration for
// the next start: the old one or the new one, never a mixture or the
// defaults. The child saves with the same code as the plug-in; under Wine it
// is killed with TerminateProcess, natively with SIGKILL, or ends itself so
// at a crash point: a chosen registry write of a chosen phase of the save.
// Every test counts the kills that landed inside the save and fails when
// none did, since then it would have shown nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "config/settings_journal.h"
#include "config/settings_store.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "plugin/configuration_record.h"
#include "tests/configuration_bytes.h"
#include "tests/generated_configuration.h"
#include "tests/loaded_plugin.h"
#include "tests/settings_saver.h"

namespace avex {
namespace {

using Clock = std::chrono::steady_clock;
namespace registry = platform::registry;

constexpr size_t kEntriesPerList = 2000;
constexpr int kKillMoments = 12;
constexpr int kKillRounds = 4;
constexpr unsigned kOldSeed = 1;
constexpr unsigned kNewSeed = 2;

// The whole configuration as the transfer carries it (lists, users,
// responses, levels and switches) is what the kills are judged by.
using testing::RecordOf;

class SettingsKillTest : public testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    registry::DeleteKeyTree(Staging());
    registry::DeleteKeyTree(Journal());
    oldRecord_ = RecordOf(Loaded(testing::GeneratedConfiguration(kOldSeed, kEntriesPerList)));
    newRecord_ = RecordOf(Loaded(testing::GeneratedConfiguration(kNewSeed, kEntriesPerList)));
    ASSERT_NE(oldRecord_, newRecord_);
  }
  void TearDown() override {
    registry::DeleteKeyTree(Staging());
    registry::DeleteKeyTree(Journal());
    LoadedPluginTest::TearDown();
  }

  static std::string Staging() { return std::string(kSettingsRootKey) + kSettingsStagingSuffix; }
  static std::string Journal() { return std::string(kSettingsRootKey) + kSettingsJournalSuffix; }

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

  // Runs `arguments` until it ends; true when it ended at its crash point.
  bool CrashedRun(const std::vector<std::string>& arguments) {
    platform::ChildProcess child;
    EXPECT_TRUE(child.Start(Child(arguments)));
    const int exitCode = child.Wait();
    EXPECT_TRUE(exitCode == testing::kSaverCrashedExitCode || exitCode == testing::kSaverDoneExitCode) << exitCode;
    return exitCode == testing::kSaverCrashedExitCode;
  }

  // Starts `arguments` and kills it `seconds` later (or finds it ended).
  void KilledRun(const std::vector<std::string>& arguments, double seconds) {
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(Child(arguments)));
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    child.Kill();
  }

  // Moments spread evenly over the part of a run after the program's start;
  // each further round shifts them by a fraction of their spacing, for a
  // test to go on with while none of its kills has landed where it looks.
  static std::vector<double> Moments(double startSeconds, double runSeconds, int round = 0) {
    const double work = runSeconds > startSeconds ? runSeconds - startSeconds : runSeconds;
    std::vector<double> moments;
    for (int i = 1; i <= kKillMoments; ++i) {
      moments.push_back(runSeconds - work + work * (i + static_cast<double>(round) / kKillRounds) / (kKillMoments + 1));
    }
    return moments;
  }

  // Kills at the moments of a round, round after round while none of them
  // landed inside the work; `killAt` kills and answers whether its kill
  // landed inside. Answers how many did.
  int KillRounds(double start, double whole, const std::function<bool(double)>& killAt) {
    int inside = 0;
    for (int round = 0; round < kKillRounds && inside == 0; ++round) {
      for (double moment : Moments(start, whole, round)) {
        SCOPED_TRACE("killed after " + std::to_string(moment) + " s of " + std::to_string(whole) + " s");
        inside += killAt(moment);
      }
    }
    return inside;
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
  const int inside = KillRounds(start, whole, [&](double moment) {
    SaveInThisProcess(kOldSeed);
    KilledRun(save, moment);
    const bool journal = registry::KeyExists(Journal());
    const std::string loaded = RecordOf(Load());
    EXPECT_TRUE(loaded == oldRecord_ || loaded == newRecord_) << "a mixture or the defaults";
    oldOnes += loaded == oldRecord_;
    newOnes += loaded == newRecord_;
    EXPECT_FALSE(registry::KeyExists(Staging()));
    EXPECT_FALSE(registry::KeyExists(Journal()));
    return journal;
  });
  std::printf("[          ] %d kills left the old configuration, %d the new one, %d a journal (a whole save: %.2f s)\n",
              oldOnes, newOnes, inside, whole);
  EXPECT_GT(inside, 0) << "no kill landed while the save wrote";
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
  const int inside = KillRounds(start, whole, [&](double moment) {
    interruptedSave();
    KilledRun({"load"}, moment);
    // The replacement had begun but not ended: the old root is gone or the
    // new one (with its URL list) is in, and the staging tree is still there.
    const bool replacing = registry::KeyExists(Staging()) &&
                           (!registry::KeyExists(kSettingsRootKey) ||
                            registry::KeyExists(std::string(kSettingsRootKey) + "\\Manual\\URLs"));
    EXPECT_EQ(RecordOf(Load()), newRecord_);
    EXPECT_FALSE(registry::KeyExists(Staging()));
    return replacing;
  });
  std::printf("[          ] %d kills landed while the replacement ran\n", inside);
  EXPECT_GT(inside, 0) << "no kill landed while the staging tree replaced the root";
}

// A save that ends at a chosen write of a phase: while the journal is
// written the old configuration stays; from the moment it is complete, the
// next start finishes it and the new one is loaded.
TEST_F(SettingsKillTest, ASaveEndedAtAnyWriteOfItsPhasesLeavesTheConfigurationItsJournalPromises) {
  struct Case {
    const char* phase;
    int write;
    bool newWins;
  };
  const Case cases[] = {
      {"write", 1, false}, {"write", 2, false}, {"apply", 1, true},    {"apply", 2, true},
      {"apply", 3000, true}, {"apply", 9000, true}, {"apply", 12000, true}, {"drop", 1, true},
      {"drop", 2, true},
  };
  int inside = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("ended before write ") + std::to_string(c.write) + " of phase " + c.phase);
    SaveInThisProcess(kOldSeed);
    const bool crashed =
        CrashedRun({"save", std::to_string(kNewSeed), std::to_string(kEntriesPerList), c.phase, std::to_string(c.write)});
    inside += crashed;
    if (crashed && std::string(c.phase) == "apply") {
      EXPECT_TRUE(registry::QueryDword(Journal(), kSettingsJournalPartCount).has_value()) << "applied without a complete journal";
    }
    EXPECT_EQ(RecordOf(Load()), crashed && !c.newWins ? oldRecord_ : newRecord_);
    EXPECT_FALSE(registry::KeyExists(Journal()));
  }
  std::printf("[          ] %d of %zu saves ended at their crash point\n", inside, std::size(cases));
  EXPECT_GT(inside, 0) << "no save reached its crash point";
}

// A start that finishes the complete journal of a killed save, ended itself
// at a chosen write: the start after it finishes the journal again, and
// the new configuration is loaded.
TEST_F(SettingsKillTest, AStartEndedWhileItFinishesAJournalLeavesTheNewConfiguration) {
  const auto interruptedSave = [&] {
    SaveInThisProcess(kOldSeed);
    ASSERT_TRUE(CrashedRun({"save", std::to_string(kNewSeed), std::to_string(kEntriesPerList), "apply", "4000"}));
    ASSERT_TRUE(registry::QueryDword(Journal(), kSettingsJournalPartCount).has_value());
  };
  struct Case {
    const char* phase;
    int write;
  };
  const Case cases[] = {{"apply", 1}, {"apply", 2000}, {"apply", 8000}, {"apply", 12000}, {"drop", 1}, {"drop", 2}};
  int inside = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("ended before write ") + std::to_string(c.write) + " of phase " + c.phase);
    interruptedSave();
    inside += CrashedRun({"load", c.phase, std::to_string(c.write)});
    EXPECT_EQ(RecordOf(Load()), newRecord_);
    EXPECT_FALSE(registry::KeyExists(Journal()));
  }
  std::printf("[          ] %d of %zu starts ended at their crash point\n", inside, std::size(cases));
  EXPECT_GT(inside, 0) << "no start reached its crash point";
}

}  // namespace
}  // namespace avex
