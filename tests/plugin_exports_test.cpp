// The entry points of the real plug-in library, loaded by path as the host
// loads it.
#include <gtest/gtest.h>

#include <string>

#include "host/scanning_table.h"
#include "tests/loaded_plugin.h"

namespace {

namespace registry = avex::platform::registry;
using avex::testing::kVendorKey;

class PluginExportsTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    Load();
  }
};

TEST_F(PluginExportsTest, EveryEntryPointRefusesWorkUntilTheHostGivesVersionTwo) {
  EXPECT_STREQ(plug_.PlugDisplayName(), "Invalid Corvane Engine Version");
  EXPECT_EQ(plug_.PlugMode(), 2u);
  for (uint32_t version : {0u, 1u}) {
    EXPECT_EQ(plug_.PlugApiVersion(version), 2u);
    EXPECT_STREQ(plug_.PlugDisplayName(), "Invalid Corvane Engine Version");
    EXPECT_FALSE(plug_.PlugSupportsService(2));
    EXPECT_EQ(plug_.PlugStart(0, 0), 0);
    EXPECT_EQ(plug_.PlugFabricateInterface(), nullptr);
    EXPECT_EQ(plug_.PlugReleaseInterface(nullptr), 0);
  }
  // A refused start leaves the machine untouched.
  EXPECT_FALSE(registry::KeyExists(kVendorKey));

  EXPECT_EQ(plug_.PlugApiVersion(2), 2u);
  EXPECT_STREQ(plug_.PlugDisplayName(), "Aurivex 3.0 for Corvane");
  EXPECT_EQ(plug_.PlugApiVersion(7), 2u);
  EXPECT_STREQ(plug_.PlugDisplayName(), "Aurivex 3.0 for Corvane");
}

TEST_F(PluginExportsTest, OnlyServiceTwoIsSupported) {
  plug_.PlugApiVersion(2);
  EXPECT_FALSE(plug_.PlugSupportsService(1));
  EXPECT_TRUE(plug_.PlugSupportsService(2));
  EXPECT_FALSE(plug_.PlugSupportsService(3));
  EXPECT_FALSE(plug_.PlugSupportsService(-2));
}

TEST_F(PluginExportsTest, EveryStartTypeStartsAndStopAlwaysAnswersOne) {
  EXPECT_EQ(plug_.PlugStop(), 1);  // without any start
  plug_.PlugApiVersion(2);
  for (int32_t startType : {0, 1, 2, 3}) {
    for (int32_t consoleFlag : {0, 1}) {
      EXPECT_EQ(plug_.PlugStart(startType, consoleFlag), 1) << startType << "/" << consoleFlag;
      EXPECT_EQ(plug_.PlugStop(), 1);
    }
  }
  EXPECT_EQ(plug_.PlugReleaseInterface(nullptr), 0);
}

TEST_F(PluginExportsTest, FreshMachineGetsTheVendorKeyWithInstallDirectoryAndBlk) {
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(2, 0), 1);
  EXPECT_EQ(registry::ReadString(kVendorKey, "Install Directory", "?"), PluginDirectory());
  EXPECT_EQ(registry::ReadString(kVendorKey, "BLK", "?"), "41027");
  EXPECT_EQ(registry::ValueNames(kVendorKey).size(), 2u);
}

TEST_F(PluginExportsTest, VendorKeyWithoutInstallDirectoryGetsOnlyTheDirectory) {
  ASSERT_TRUE(registry::WriteString(kVendorKey, "BLK", "12345"));
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(3, 1), 1);
  EXPECT_EQ(registry::ReadString(kVendorKey, "Install Directory", "?"), PluginDirectory());
  EXPECT_EQ(registry::ReadString(kVendorKey, "BLK", "?"), "12345");
  EXPECT_EQ(registry::ValueNames(kVendorKey).size(), 2u);
}

TEST_F(PluginExportsTest, VendorKeyThatCannotBeReadIsRewrittenAndAReadableOneKept) {
  struct Case {
    const char* stored;  // null: a DWORD where the directory belongs
    bool rewritten;
  };
  const std::string tooLong(300, 'x');  // does not fit the 260-byte buffer
  for (const Case& c : {Case{"D:\\Elsewhere", false}, Case{tooLong.c_str(), true}, Case{nullptr, true}}) {
    registry::DeleteKeyTree(kVendorKey);
    if (c.stored) {
      ASSERT_TRUE(registry::WriteString(kVendorKey, "Install Directory", c.stored));
    } else {
      ASSERT_TRUE(registry::WriteDword(kVendorKey, "Install Directory", 5));
    }
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 1), 1);
    const std::string expected = c.rewritten ? PluginDirectory() : std::string(c.stored);
    EXPECT_EQ(registry::ReadString(kVendorKey, "Install Directory", "?"), expected);
    EXPECT_FALSE(registry::QueryString(kVendorKey, "BLK").has_value());
    plug_.PlugStop();
  }
}

TEST_F(PluginExportsTest, ScanningObjectAnswersThroughTheHostsSlotTable) {
  EXPECT_EQ(plug_.PlugFabricateInterface(), nullptr);  // no version yet
  plug_.PlugApiVersion(2);
  void* object = plug_.PlugFabricateInterface();
  ASSERT_NE(object, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object);

  unsigned char record[534];
  EXPECT_EQ(slots.GetPluginInfo(object, nullptr), 534u);
  EXPECT_EQ(slots.GetLastResult(object), 534u);
  EXPECT_EQ(slots.GetPluginInfo(object, record), 0x80000004u);  // not started: no record
  ASSERT_EQ(plug_.PlugStart(2, 0), 1);
  EXPECT_EQ(slots.GetPluginInfo(object, record), 0u);
  EXPECT_EQ(record[2], 1);  // 0x00010000, little-endian
  EXPECT_STREQ(reinterpret_cast<char*>(record + 20), "Aurivex 3.0 for Corvane");
  EXPECT_STREQ(reinterpret_cast<char*>(record + 277), "Tarn Software");

  uint32_t answer = 7;
  EXPECT_EQ(slots.GetInfo(object, 4, &answer, 4), 0u);
  EXPECT_EQ(answer, 1u);
  EXPECT_EQ(slots.GetInfo(object, 5, &answer, 4), 0u);
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(slots.GetInfo(object, 4, nullptr, 4), 0x80000002u);
  EXPECT_EQ(slots.GetInfo(object, 7, &answer, 4), 0x8000000Cu);
  EXPECT_EQ(slots.GetLastResult(object), 0x8000000Cu);

  slots.SetNoSaveFlag(object, 0x1234);
  EXPECT_EQ(slots.GetNoSaveFlag(object), 0x1234u);
  EXPECT_EQ(slots.SetHostFlag(object, 9), 0u);
  EXPECT_EQ(slots.NotSupportedUnrecorded(object, 1, 2), 0x8000000Cu);
  EXPECT_EQ(slots.GetLastResult(object), 0u);
  EXPECT_EQ(slots.NotSupportedRecorded(object, 1, 2), 0x8000000Cu);
  EXPECT_EQ(slots.GetLastResult(object), 0x8000000Cu);
  EXPECT_EQ(slots.IsActive(object), 1);
  EXPECT_EQ(slots.QueryOption(object), 0);
  EXPECT_EQ(plug_.PlugReleaseInterface(object), 1);

  void* second = plug_.PlugFabricateInterface();
  ASSERT_NE(second, nullptr);
  avex::host::TableOf(second).Destroy(second);
  plug_.PlugStop();
}

}  // namespace
