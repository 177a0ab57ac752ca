// Requests on two threads while a third applies configurations in a loop:
// every decision must be one that either configuration gives.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "config/plugin_configuration.h"
#include "host/scanning_table.h"
#include "plugin/configuration_record.h"
#include "tests/configuration_bytes.h"
#include "tests/loaded_plugin.h"

namespace {

constexpr uint32_t kPass = 0x40000000;
constexpr uint32_t kReject = 0x41000000;

using avex::testing::RecordOf;

class ConcurrentTransferTest : public avex::testing::LoadedPluginTest {};

TEST_F(ConcurrentTransferTest, RequestsSeeOneWholeConfigurationOrTheOther) {
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(1, 0), 1);  // the engine process, without an engine

  // Configuration A blocks the casino by a partial entry, B allows it by a
  // site entry placed before thousands of other entries; each also changes
  // the access rights, so a half-applied record would show.
  avex::PluginConfiguration blocking;
  blocking.settings.lists.AppendPartial({"casino", avex::CategoryBlocked});
  avex::PluginConfiguration allowing;
  for (int i = 0; i < 5000; ++i) allowing.settings.lists.AppendPartial({"filler" + std::to_string(i), 1});
  allowing.settings.lists.InsertSite({"casino.example", avex::CategoryAllowed});
  const std::string records[] = {RecordOf(blocking), RecordOf(allowing)};

  void* applier = plug_.PlugFabricateInterface();
  ASSERT_NE(applier, nullptr);
  const avex::host::ScanningObjectTable& applying = avex::host::TableOf(applier);
  applying.SetNoSaveFlag(applier, 1);
  const auto apply = [&](const std::string& record) {
    return applying.ApplyConfiguration(applier, record.data(), static_cast<uint32_t>(record.size()));
  };
  ASSERT_EQ(apply(records[0]), 0u);

  // Each requester goes on until the applier has replaced the configuration
  // a few times over, so that requests and transfers overlap.
  constexpr int kRequestsPerThread = 2000;
  constexpr int kRoundsAtLeast = 20;
  std::atomic<int> running{2};
  std::atomic<int> rounds{0};
  std::atomic<int> requests{0};
  std::atomic<int> unexpected{0};
  std::atomic<int> decisions[2] = {{0}, {0}};
  std::vector<std::thread> requesters;
  for (int t = 0; t < 2; ++t) {
    requesters.emplace_back([&] {
      void* object = plug_.PlugFabricateInterface();
      const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object);
      for (int i = 0; i < kRequestsPerThread || (rounds.load() < kRoundsAtLeast && i < 1000000); ++i) {
        ++requests;
        slots.Reset(object, 1);
        const uint32_t result = slots.SetSource(object, "http://casino.example/roulette", "text/html", 0, "pat");
        if (result == kReject) {
          ++decisions[0];
        } else if (result == kPass) {
          ++decisions[1];
        } else {
          ++unexpected;
        }
      }
      plug_.PlugReleaseInterface(object);
      --running;
    });
  }
  while (running.load() > 0) EXPECT_EQ(apply(records[rounds++ % 2]), 0u);
  for (std::thread& thread : requesters) thread.join();
  plug_.PlugReleaseInterface(applier);
  plug_.PlugStop();

  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_EQ(decisions[0].load() + decisions[1].load(), requests.load());
  EXPECT_GE(rounds.load(), kRoundsAtLeast);
}

}  // namespace
