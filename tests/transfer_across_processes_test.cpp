// The configuration record crosses processes as the host carries it: the
// engine process writes it (a harness run of its own), the console applies
// it, and the console's record is byte for byte the engine's.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/scanning_table.h"
#include "platform/process.h"
#include "platform/registry_fixture.h"
#include "tests/loaded_plugin.h"

namespace {

class TransferAcrossProcessesTest : public avex::testing::LoadedPluginTest {};

TEST_F(TransferAcrossProcessesTest, ConsoleReproducesTheEngineProcessRecord) {
  ASSERT_TRUE(avex::platform::registry::ImportRegFile(avex::testing::FixturePath("settings_v3.reg")));
  const std::string directory = avex::testing::ProgramDirectory();
  const std::string recordFile = ::testing::TempDir() + "avex_engine_record_" +
                                 std::to_string(avex::platform::test::ProcessId()) + ".cfg";
#if defined(_WIN32)
  const std::string harness = directory + "avexhost.exe";
#else
  const std::string harness = directory + "avexhost";
#endif
  {
    avex::platform::ChildProcess engineProcess;
    ASSERT_TRUE(engineProcess.Start({harness, directory + "AVex.dll", "--start-type", "1", "--console", "0",
                                     "config", "get", recordFile}));
    ASSERT_EQ(engineProcess.Wait(), 0);
  }
  std::ifstream file(recordFile, std::ios::binary);
  const std::string record((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  std::remove(recordFile.c_str());
  ASSERT_GT(record.size(), 1000u);

  // The console never reads the registry: clear it so nothing can come from there.
  ClearKeys();
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(1, 1), 1);
  void* console = plug_.PlugFabricateInterface();
  ASSERT_NE(console, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(console);
  slots.SetNoSaveFlag(console, 1);
  ASSERT_EQ(slots.ApplyConfiguration(console, record.data(), static_cast<uint32_t>(record.size())), 0u);

  uint32_t size = 0;
  const uint32_t length = slots.GetConfiguration(console, nullptr, &size);
  EXPECT_EQ(length, size);
  std::string again(length, '\0');
  EXPECT_EQ(slots.GetConfiguration(console, &again[0], &size), 0u);
  EXPECT_EQ(again, record);
  // The stored partial entries arrived in their order, the first as stored.
  EXPECT_NE(record.find("Casino"), std::string::npos);
  EXPECT_LT(record.find("Casino"), record.find("bet"));
  EXPECT_FALSE(avex::platform::registry::KeyExists(avex::testing::kSettingsKey));  // nothing saved
  plug_.PlugReleaseInterface(console);
  plug_.PlugStop();
}

}  // namespace
