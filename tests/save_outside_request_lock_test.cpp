// A configuration change stands no request still: while its save waits for
// the settings store (here held by the test, as another process's long save
// would hold it), requests already decide on the new configuration, and the
// registry receives it once the store is free.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/plugin_configuration.h"
#include "config/settings_store_lock.h"
#include "host/scanning_table.h"
#include "platform/named_mutex.h"
#include "platform/registry.h"
#include "plugin/configuration_record.h"
#include "common/host_interfaces.h"
#include "tests/configuration_bytes.h"
#include "tests/loaded_plugin.h"

namespace {

using avex::host::ScanningObjectTable;

constexpr uint32_t kOk = 0;
constexpr uint32_t kReject = 0x41000000;
constexpr uint32_t kIgnore = 0x80000007;
// Requests tried while the save waits; the change is seen long before.
constexpr int kRequestsAtMost = 200000;

using avex::testing::RecordOf;

class SaveOutsideRequestLockTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 0), 1);  // the engine process, without an engine
    requester_ = plug_.PlugFabricateInterface();
    changer_ = plug_.PlugFabricateInterface();
    ASSERT_NE(requester_, nullptr);
    ASSERT_NE(changer_, nullptr);
  }

  void TearDown() override {
    if (requester_ != nullptr) plug_.PlugReleaseInterface(requester_);
    if (changer_ != nullptr) plug_.PlugReleaseInterface(changer_);
    plug_.PlugStop();
    LoadedPluginTest::TearDown();
  }

  uint32_t Request(const char* user) {
    const ScanningObjectTable& slots = avex::host::TableOf(requester_);
    slots.Reset(requester_, 1);
    return slots.SetSource(requester_, "http://casino.example/roulette", "text/html", 0, user);
  }

  // Runs `change` on another thread while the store is held, and answers
  // whether requests by `user` answered `expected` before the change (with
  // its save) returned. The store is then let go and the change ends.
  bool SeenWhileTheSaveWaits(const std::function<void()>& change, const char* user, uint32_t expected) {
    avex::platform::NamedMutex store(avex::kSettingsStoreMutexName);
    EXPECT_EQ(store.Acquire(5000), avex::platform::NamedMutex::Wait::Acquired);
    std::atomic<bool> returned{false};
    std::thread changing([&] {
      change();
      returned = true;
    });
    bool seen = false;
    for (int i = 0; i < kRequestsAtMost && !seen; ++i) {
      seen = Request(user) == expected;
      if (!seen) std::this_thread::yield();
    }
    const bool beforeTheSaveEnded = seen && !returned.load();
    store.Release();
    changing.join();
    return beforeTheSaveEnded;
  }

  void* requester_ = nullptr;
  void* changer_ = nullptr;
};

TEST_F(SaveOutsideRequestLockTest, AnAppliedConfigurationDecidesRequestsWhileItsSaveWaits) {
  avex::PluginConfiguration blocking;
  blocking.settings.lists.AppendPartial({"casino", avex::CategoryBlocked});
  const std::string record = RecordOf(blocking);
  ASSERT_EQ(Request("pat"), kOk);

  const ScanningObjectTable& slots = avex::host::TableOf(changer_);
  slots.SetNoSaveFlag(changer_, 0);
  uint32_t applied = 1;
  EXPECT_TRUE(SeenWhileTheSaveWaits(
      [&] { applied = slots.ApplyConfiguration(changer_, record.data(), static_cast<uint32_t>(record.size())); },
      "pat", kReject));
  EXPECT_EQ(applied, kOk);
  EXPECT_EQ(avex::platform::registry::ValueNames(std::string(avex::testing::kSettingsKey) + "\\Manual\\Partial"),
            std::vector<std::string>{"00000000_casino"});
}

// The first publication of the host's users on a fresh installation stores
// every one of them as filtered; requests go on meanwhile.
TEST_F(SaveOutsideRequestLockTest, TheFirstUserRefreshDecidesRequestsWhileItsSaveWaits) {
  avex::PluginConfiguration listedOnly;
  listedOnly.settings.applyToAllUsers = 0;
  listedOnly.settings.lists.AppendPartial({"casino", avex::CategoryBlocked});
  const std::string record = RecordOf(listedOnly);
  const ScanningObjectTable& slots = avex::host::TableOf(changer_);
  slots.SetNoSaveFlag(changer_, 1);
  ASSERT_EQ(slots.ApplyConfiguration(changer_, record.data(), static_cast<uint32_t>(record.size())), kOk);
  ASSERT_EQ(Request("pat"), kIgnore);

  avex::HostUserRecord pat{"pat", "", 0, 0, 0, 0, nullptr};
  avex::HostUserRecord* records[] = {&pat};
  const avex::HostUserDatabase users{1, records};
  uint32_t refreshed = 1;
  EXPECT_TRUE(SeenWhileTheSaveWaits([&] { refreshed = slots.SetUserDatabase(changer_, &users); }, "pat", kReject));
  EXPECT_EQ(refreshed, kOk);
  EXPECT_EQ(avex::platform::registry::ReadString(std::string(avex::testing::kSettingsKey) + "\\AccessRights\\Recipient0",
                                                 "Name", ""),
            "pat");
}

}  // namespace
