// An engine process refuses a configuration record that it could not keep:
// one cut short (it would read as "filter nobody, keep no list") and one
// holding a text the registry layout cannot store (it would be used until
// the next start and then be gone). A refused record changes nothing, saves
// nothing and logs nothing; the longest texts the layout stores survive a
// restart.
#include <gtest/gtest.h>

#include <string>

#include "config/settings_store.h"
#include "host/scanning_table.h"
#include "platform/registry_fixture.h"
#include "plugin/configuration_record.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"

namespace avex {
namespace {

constexpr uint32_t kOk = 0;
constexpr uint32_t kInvalidParameter = 0x80000002;

class ConfigurationRefusalTest : public testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    platform::registry::WriteDword(testing::kHostSettingsKey, "SessionLoggingCapable", 1);
    ASSERT_TRUE(platform::registry::ImportRegFile(testing::FixturePath("settings_v3.reg")));
    Start();
  }
  void TearDown() override {
    Stop();
    LoadedPluginTest::TearDown();
  }

  void Start() {
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 0), 1);
    object_ = plug_.PlugFabricateInterface();
    ASSERT_NE(object_, nullptr);
    Slots().SetLogger(object_, &logger_);
  }
  void Stop() {
    if (object_ == nullptr) return;
    plug_.PlugReleaseInterface(object_);
    object_ = nullptr;
    plug_.PlugStop();
    plugin_.Close();
  }

  const host::ScanningObjectTable& Slots() { return host::TableOf(object_); }

  std::string Record() {
    uint32_t size = 0;
    const uint32_t length = Slots().GetConfiguration(object_, nullptr, &size);
    std::string record(length, '\0');
    EXPECT_EQ(Slots().GetConfiguration(object_, &record[0], &size), kOk);
    return record;
  }

  uint32_t Apply(const std::string& record) {
    return Slots().ApplyConfiguration(object_, record.data(), static_cast<uint32_t>(record.size()));
  }

  // The live configuration, changed by `edit`, as a record.
  template <typename Edit>
  std::string Edited(const Edit& edit) {
    const std::string live = Record();
    PluginConfiguration config;
    EXPECT_TRUE(ReadConfigurationRecord(live.data(), static_cast<uint32_t>(live.size()), &config));
    edit(&config);
    std::string record(WriteConfigurationRecord(config, nullptr, 0), '\0');
    WriteConfigurationRecord(config, &record[0], static_cast<uint32_t>(record.size()));
    return record;
  }

  testing::KeepingLogger logger_;
  void* object_ = nullptr;
};

TEST_F(ConfigurationRefusalTest, ARecordCutShortIsRefusedAndChangesNothing) {
  const std::string before = Record();
  const std::string stored = platform::registry::ReadString(testing::kSettingsKey, "RegVersion", "");
  const size_t storedPartials =
      platform::registry::ValueNames(std::string(testing::kSettingsKey) + "\\Manual\\Partial").size();
  for (size_t cut : {size_t{1}, size_t{4}, size_t{33}, before.size() / 2, before.size() - 1}) {
    SCOPED_TRACE("cut to " + std::to_string(cut) + " bytes");
    EXPECT_EQ(Apply(before.substr(0, cut)), kInvalidParameter);
    EXPECT_EQ(Slots().GetLastResult(object_), kInvalidParameter);
    EXPECT_EQ(Record(), before);
  }
  EXPECT_EQ(Apply("\x01"), kInvalidParameter);
  EXPECT_EQ(Record(), before);
  EXPECT_TRUE(logger_.lines.empty());
  EXPECT_EQ(platform::registry::ValueNames(std::string(testing::kSettingsKey) + "\\Manual\\Partial").size(),
            storedPartials);
  EXPECT_EQ(platform::registry::ReadString(testing::kSettingsKey, "RegVersion", ""), stored);

  // A longer record (a category setting more than there are rows) is still read.
  EXPECT_EQ(Apply(before + std::string(5, '\0')), kOk);
}

TEST_F(ConfigurationRefusalTest, TextsTheLayoutCannotStoreAreRefused) {
  const std::string before = Record();
  struct Case {
    const char* what;
    void (*edit)(PluginConfiguration*);
  };
  const Case cases[] = {
      {"a URL of 16,384 characters",
       [](PluginConfiguration* c) {
         c->settings.lists.InsertUrl({"http://a.example/" + std::string(16384 - 17, 'u'), 1});
       }},
      {"a partial entry of 16,375 characters",
       [](PluginConfiguration* c) { c->settings.lists.AppendPartial({std::string(16375, 'p'), 1}); }},
      {"a site of 16,384 characters",
       [](PluginConfiguration* c) { c->settings.lists.InsertSite({std::string(16384, 's'), 1}); }},
      {"a description of 256 characters",
       [](PluginConfiguration* c) { c->responses.InsertOrReplace(CustomResponse(1, std::string(256, 'd'))); }},
      {"a description with a backslash",
       [](PluginConfiguration* c) { c->responses.InsertOrReplace(CustomResponse(1, "Sex\\Adult")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Apply(Edited(c.edit)), kInvalidParameter);
    EXPECT_EQ(Record(), before);
  }
  EXPECT_TRUE(logger_.lines.empty());
}

TEST_F(ConfigurationRefusalTest, TheLongestStorableTextsSurviveARestart) {
  const std::string url = "http://a.example/" + std::string(16383 - 17, 'u');
  const std::string partial(16374, 'p');
  const std::string site(16383, 's');
  const std::string description(255, 'd');
  ASSERT_EQ(Apply(Edited([&](PluginConfiguration* c) {
              c->settings.lists.InsertUrl({url, 1});
              c->settings.lists.AppendPartial({partial, 2});
              c->settings.lists.InsertSite({site, 3});
              c->responses.InsertOrReplace(CustomResponse(1, description));
            })),
            kOk);
  const std::string applied = Record();
  Stop();
  Start();
  EXPECT_EQ(Record(), applied);
  PluginConfiguration loaded;
  ASSERT_TRUE(ReadConfigurationRecord(applied.data(), static_cast<uint32_t>(applied.size()), &loaded));
  EXPECT_EQ(loaded.settings.lists.urls().count(url), 1u);
  EXPECT_EQ(loaded.settings.lists.partials().back().text, partial);
  EXPECT_EQ(loaded.settings.lists.sites().count(site), 1u);
  EXPECT_EQ(loaded.responses.Find(1)->Description(), description);
}

}  // namespace
}  // namespace avex
