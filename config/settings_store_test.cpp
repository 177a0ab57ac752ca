#include "config/settings_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <limits>
#include <thread>

#include "platform/registry.h"
#include "platform/registry_fixture.h"
#include "tests/test_paths.h"

namespace avex {
namespace {

namespace registry = platform::registry;

const std::string kRoot = kSettingsRootKey;
std::string Key(const char* subkey) { return kRoot + "\\" + subkey; }

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::DeleteKeyTree(kRoot);
    registry::DeleteKeyTree(kHostSettingsKey);
  }
  void TearDown() override {
    registry::DeleteKeyTree(kRoot);
    registry::DeleteKeyTree(kHostSettingsKey);
  }

  void Import(const char* fixture) {
    ASSERT_TRUE(registry::ImportRegFile(testing::FixturePath(fixture))) << fixture;
  }

  // Loads into a configuration fresh from library load.
  PluginConfiguration Load() {
    PluginConfiguration config;
    EXPECT_TRUE(LoadSettings(&config, &lock_));
    return config;
  }

  std::vector<std::string> PartialTexts(const PluginConfiguration& config) {
    std::vector<std::string> texts;
    for (const ManualEntry& entry : config.settings.lists.partials()) texts.push_back(entry.text);
    return texts;
  }

  SharedDataLock lock_{"AVexSettingsStoreTest", 5000};
};

TEST_F(SettingsStoreTest, FirstStartSavesTheDefaultsAndReadsThemBack) {
  registry::WriteDword(kHostSettingsKey, "SessionLoggingCapable", 1);
  PluginConfiguration config = Load();

  EXPECT_TRUE(config.defaultFilter);
  EXPECT_EQ(config.hostLoggingCapable, 1u);
  EXPECT_EQ(registry::ReadDword(kRoot, "RegVersion", 0), 3u);
  EXPECT_EQ(registry::ReadDword(Key("Categories"), "Level_00000019", 99), 0u);  // Government
  EXPECT_EQ(registry::ReadDword(Key("Categories"), "Level_00000001", 99), 60u);  // Sex
  EXPECT_EQ(registry::ReadDword(Key("Categories"), "Enable_7FFFFFFD", 99), 1u);
  EXPECT_EQ(registry::ReadDword(Key("AccessRights"), "Apply to all users", 99), 1u);
  EXPECT_EQ(registry::ReadDword(Key("Logging"), "Options", 99), 7u);
  EXPECT_EQ(registry::ReadDword(Key("Logging"), "Enabled", 99), 1u);
  EXPECT_EQ(registry::ReadString(Key("Update Servers"), "Server", "?"), "stlist.aurivex.example");
  EXPECT_EQ(registry::ReadDword(Key("Update Servers"), "Port", 99), 80u);
  // An empty list leaves no key behind.
  EXPECT_FALSE(registry::KeyExists(Key("Manual\\URLs")));
  EXPECT_FALSE(registry::KeyExists(Key("Manual")));

  EXPECT_EQ(config.settings.categories[CategoryIndexOf(25)].level, 0.0f);
  EXPECT_EQ(config.settings.categories[CategoryIndexOf(1)].level, 60.0f);
  EXPECT_EQ(config.responses.size(), DefaultResponseSet().size());
  EXPECT_EQ(registry::SubkeyNames(Key("Custom Responses")).size(), DefaultResponseSet().size());
}

TEST_F(SettingsStoreTest, SaveThenLoadKeepsEverythingTheLayoutStores) {
  PluginConfiguration saved;
  FilterSettings& settings = saved.settings;
  settings.useSafeSurf = 0;
  settings.useUrlCache = 1;
  settings.useStaticListUpdates = 1;
  settings.staticListUpdateInterval = 90;
  settings.applyToAllUsers = 0;
  settings.categories[0] = {false, 59.9f};
  settings.categories[CategoryIndexOf(CategoryBlocked)] = {true, 100.0f};
  settings.lists.AppendPartial({"Zebra", 1});
  settings.lists.AppendPartial({"apple", CategoryAllowed});
  settings.lists.AppendPartial({"Zebra", 2});
  settings.lists.InsertUrl({"http://a.example/x", 14});
  settings.lists.InsertSite({"b.example", CategoryBlocked});
  saved.accessRights.Add("bob", "lost on save", 0, 1, 7, 8);
  saved.accessRights.Add("staff", "", 1, 0, 0, 0);
  saved.logging.SetOptions(5);
  saved.logging.enabled = 0;
  saved.updateServer = {"lists.example", 8080};
  saved.responses.FindOrInsert(1).SetTitle(ResponseKindText, "text title");
  SaveSettings(saved);

  PluginConfiguration loaded = Load();
  EXPECT_FALSE(loaded.defaultFilter);
  EXPECT_EQ(loaded.settings.useSafeSurf, 0u);
  EXPECT_EQ(loaded.settings.useUrlCache, 1u);
  EXPECT_EQ(loaded.settings.useStaticListUpdates, 1u);
  EXPECT_EQ(loaded.settings.staticListUpdateInterval, 90u);
  EXPECT_EQ(loaded.settings.applyToAllUsers, 0u);
  EXPECT_FALSE(loaded.settings.categories[0].enabled);
  EXPECT_EQ(loaded.settings.categories[0].level, 59.0f);
  EXPECT_EQ(loaded.settings.categories[CategoryIndexOf(CategoryBlocked)].level, 100.0f);
  EXPECT_EQ(PartialTexts(loaded), (std::vector<std::string>{"Zebra", "apple", "Zebra"}));
  EXPECT_EQ(loaded.settings.lists.partials()[2].categoryId, 2);
  EXPECT_EQ(loaded.settings.lists.partials()[1].categoryId, CategoryAllowed);
  EXPECT_EQ(loaded.settings.lists.urls().at("http://a.example/x").categoryId, 14);
  EXPECT_EQ(loaded.settings.lists.sites().at("b.example").categoryId, CategoryBlocked);
  ASSERT_EQ(loaded.accessRights.Entries().size(), 2u);
  EXPECT_EQ(loaded.accessRights.Find("bob")->state, 1u);
  EXPECT_EQ(loaded.accessRights.Find("bob")->description, "");
  EXPECT_EQ(loaded.accessRights.Find("bob")->hostFlag, 0u);
  EXPECT_EQ(loaded.accessRights.Find("staff")->isGroup, 1u);
  EXPECT_EQ(loaded.logging.Options(), 5u);
  EXPECT_EQ(loaded.logging.enabled, 0u);
  EXPECT_EQ(loaded.updateServer.name, "lists.example");
  EXPECT_EQ(loaded.updateServer.port, 8080u);
  EXPECT_EQ(loaded.responses.Find(1)->GetTitle(ResponseKindText), "text title");
}

TEST_F(SettingsStoreTest, TwoResponsesWithOneDescriptionShareASubkeyAndTheHigherIdSurvives) {
  PluginConfiguration saved;
  saved.responses.Clear();
  saved.responses.InsertOrReplace(CustomResponse(2, "Same"));
  saved.responses.InsertOrReplace(CustomResponse(9, "Same"));
  SaveSettings(saved);
  EXPECT_EQ(registry::SubkeyNames(Key("Custom Responses")), std::vector<std::string>{"Same"});
  EXPECT_EQ(registry::ReadDword(Key("Custom Responses\\Same"), "Code", 0), 9u);
}

TEST_F(SettingsStoreTest, VersionOneBecomesTheCurrentLayout) {
  Import("settings_v1.reg");
  PluginConfiguration config = Load();

  EXPECT_FALSE(config.settings.categories[0].enabled);
  EXPECT_EQ(config.settings.categories[0].level, 45.0f);
  EXPECT_TRUE(config.settings.categories[1].enabled);
  EXPECT_EQ(config.settings.categories[1].level, 80.0f);
  // Ban entries first; a value without text is not an entry.
  ASSERT_EQ(PartialTexts(config),
            (std::vector<std::string>{"http://casino.example", "http://casino.example", "http://school.example"}));
  EXPECT_EQ(config.settings.lists.partials()[0].categoryId, CategoryBlocked);
  EXPECT_EQ(config.settings.lists.partials()[1].categoryId, CategoryAllowed);
  ASSERT_NE(config.accessRights.Find("pupils"), nullptr);
  EXPECT_EQ(config.accessRights.Find("pupils")->state, 0u);
  EXPECT_EQ(config.accessRights.Find("pupils")->description, "");  // the save does not keep it
  EXPECT_FALSE(config.defaultFilter);

  EXPECT_EQ(registry::ReadDword(kRoot, "RegVersion", 0), 3u);
  EXPECT_FALSE(registry::KeyExists(Key("Ban List")));
  EXPECT_FALSE(registry::KeyExists(Key("Allow List")));
}

TEST_F(SettingsStoreTest, VersionTwoMapsLegacyNumbersAndPositions) {
  Import("settings_v2.reg");
  PluginConfiguration config = Load();
  const FilterSettings& settings = config.settings;

  EXPECT_FALSE(settings.SettingOf(1)->enabled);         // number 1: position 0, "Sex"
  EXPECT_EQ(settings.SettingOf(8)->level, 33.0f);      // number 7: position 6, "Violence"
  EXPECT_FALSE(settings.SettingOf(0)->enabled);         // number 23: "Unknown"
  EXPECT_EQ(settings.SettingOf(7)->level, 11.0f);      // number 24: "None"
  EXPECT_EQ(settings.SettingOf(CategoryBlocked)->level, 99.0f);  // number 26
  EXPECT_TRUE(settings.SettingOf(25)->enabled);         // number 25 is not read
  EXPECT_EQ(settings.useUrlCache, 1u);
  EXPECT_EQ(settings.staticListUpdateInterval, 60u);
  EXPECT_EQ(settings.applyToAllUsers, 0u);

  EXPECT_EQ(settings.lists.urls().at("http://www.example.com/page").categoryId, CategoryBlocked);
  EXPECT_EQ(settings.lists.sites().at("games.example").categoryId, CategoryAllowed);
  EXPECT_EQ(PartialTexts(config), std::vector<std::string>{"poker"});  // the entry without a URL is dropped
  EXPECT_EQ(settings.lists.partials()[0].categoryId, 2);

  const CustomResponse* gambling = config.responses.Find(CategoryBlocked);
  ASSERT_NE(gambling, nullptr);  // legacy code 25 is the policy verdict
  EXPECT_EQ(gambling->GetTitle(ResponseKindHtml), "Stop");
  EXPECT_EQ(config.responses.size(), DefaultResponseSet().size());  // the others got their defaults

  EXPECT_EQ(config.logging.Options(), 2u);
  EXPECT_EQ(config.logging.enabled, 0u);
  EXPECT_EQ(config.updateServer.name, "lists.example");
  EXPECT_EQ(config.updateServer.port, 8080u);
  EXPECT_EQ(config.accessRights.Find("staff")->state, 1u);
  EXPECT_FALSE(registry::KeyExists(Key("URL List")));
}

TEST_F(SettingsStoreTest, VersionThreeLoadsAsStored) {
  Import("settings_v3.reg");
  PluginConfiguration config = Load();
  EXPECT_EQ(config.settings.useSafeSurf, 0u);
  EXPECT_FALSE(config.settings.SettingOf(1)->enabled);
  EXPECT_EQ(config.settings.SettingOf(1)->level, 100.0f);
  EXPECT_EQ(config.settings.SettingOf(CategoryBlocked)->level, 5.0f);
  EXPECT_EQ(config.settings.SettingOf(2)->level, 60.0f);  // missing: 60, whatever the row's default
  EXPECT_EQ(PartialTexts(config), (std::vector<std::string>{"Casino", "bet", "abc"}));
  EXPECT_EQ(config.settings.lists.partials()[2].categoryId, CategoryAllowed);
  EXPECT_EQ(config.settings.lists.urls().at("http://news.example/today").categoryId, 14);
  EXPECT_EQ(config.settings.lists.sites().at("chat.example").categoryId, CategoryBlocked);
  EXPECT_EQ(config.accessRights.Find("alice")->description, "Head teacher");
  EXPECT_EQ(config.accessRights.Find("pupils")->state, 1u);
  EXPECT_EQ(config.responses.Find(1)->GetTitle(ResponseKindText), "Kept, never shown");
  EXPECT_EQ(config.responses.Find(1)->GetBody(ResponseKindText), "Blocked: ##DATASOURCE##");
  EXPECT_EQ(config.responses.size(), DefaultResponseSet().size());
  EXPECT_FALSE(config.defaultFilter);
  // Default responses were added, so the load saved: the description is gone now.
  EXPECT_EQ(registry::ReadString(Key("AccessRights\\Recipient0"), "Description", "none"), "none");
}

TEST_F(SettingsStoreTest, ASecondLoadReplacesTheListsInsteadOfAddingThemAgain) {
  Import("settings_v3.reg");
  PluginConfiguration config;
  ASSERT_TRUE(LoadSettings(&config, &lock_));
  ASSERT_TRUE(LoadSettings(&config, &lock_));
  EXPECT_EQ(config.settings.lists.partials().size(), 3u);
  EXPECT_EQ(config.accessRights.Entries().size(), 2u);
  SaveSettings(config);
  EXPECT_EQ(registry::ValueNames(Key("Manual\\Partial")).size(), 3u);
}

TEST_F(SettingsStoreTest, BadStoredDataTakesDefaultsAndTheNextSaveIsClean) {
  Import("settings_bad_data.reg");
  const std::string longBody(100000, 'x');
  registry::WriteString(Key("Custom Responses\\Long"), "Code", "not a dword");
  registry::WriteString(Key("Custom Responses\\Long"), "Descript", "Long");
  registry::WriteString(Key("Custom Responses\\Long"), "HTML Body", longBody.c_str());
  PluginConfiguration config = Load();

  EXPECT_EQ(config.settings.useRsaci, 1u);
  EXPECT_TRUE(config.settings.SettingOf(2)->enabled);
  EXPECT_EQ(config.settings.SettingOf(2)->level, 60.0f);
  EXPECT_EQ(config.settings.SettingOf(3)->level, 250.0f);  // loads as stored, never blocks
  EXPECT_EQ(PartialTexts(config), std::vector<std::string>{"kept"});
  EXPECT_EQ(config.settings.lists.partials()[0].categoryId, 2);
  ASSERT_EQ(config.settings.lists.urls().size(), 1u);
  EXPECT_EQ((*config.settings.lists.urls().begin()).categoryId, 5);
  EXPECT_TRUE(config.settings.lists.sites().empty());
  ASSERT_EQ(config.accessRights.Entries().size(), 1u);
  EXPECT_EQ(config.accessRights.Entries().begin()->second.state, 1u);
  EXPECT_EQ(config.logging.Options(), 7u);
  // The subkey without values and the one with a text Code both became id 0;
  // the later one read replaced the first.
  ASSERT_NE(config.responses.Find(0), nullptr);
  EXPECT_EQ(config.responses.Find(0)->GetBody(ResponseKindHtml), longBody);

  // The load saved (defaults were added): only clean current-layout values remain.
  EXPECT_EQ(registry::QueryString(kRoot, "Use RSACI"), std::nullopt);
  EXPECT_EQ(registry::QueryDword(kRoot, "Use RSACI"), 1u);
  EXPECT_EQ(registry::QueryDword(Key("Categories"), "Level_00000002"), 60u);
  EXPECT_EQ(registry::QueryDword(Key("Categories"), "Level_00000003"), 250u);
  EXPECT_EQ(registry::ValueNames(Key("Manual\\Partial")), std::vector<std::string>{"00000000_kept"});
  EXPECT_EQ(registry::ValueNames(Key("Manual\\URLs")).size(), 1u);
  EXPECT_FALSE(registry::KeyExists(Key("Manual\\Sites")));
  EXPECT_EQ(registry::QueryDword(Key("Custom Responses\\Long"), "Code"), 0u);
  EXPECT_EQ(registry::QueryString(Key("Custom Responses\\Long"), "HTML Body"), longBody);
}

// A version this code cannot read or does not know (a newer one's, or a
// damaged value) is kept under a backup key beside the root, named with what
// it held, before the load goes on as for that version: the migration reads
// nothing and the defaults are saved.
TEST_F(SettingsStoreTest, AnUnknownOrUnreadableVersionIsKeptAsideBeforeTheDefaultsAreSaved) {
  struct Case {
    const char* regVersion;  // as a REGEDIT4 value
    const char* backup;      // the backup key's name
    bool firstStart;         // the version the load goes on with is 0
  };
  const Case cases[] = {
      {"dword:00000007", "Aurivex for Corvane.version 7", false},
      {"dword:00000004", "Aurivex for Corvane.version 4", false},
      {"dword:ffffffff", "Aurivex for Corvane.version 4294967295", false},
      {"\"3\"", "Aurivex for Corvane.unreadable version", true},
      {"hex(b):03,00,00,00,00,00,00,00", "Aurivex for Corvane.unreadable version", true},
      {"hex:03,00,00,00", "Aurivex for Corvane.unreadable version", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.regVersion);
    const std::string backup = std::string("Software\\Tarn Software\\") + c.backup;
    registry::DeleteKeyTree(backup);
    Import("settings_v3.reg");
    ASSERT_TRUE(registry::ImportRegText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + kRoot + "]\n\"RegVersion\"=" +
                                        c.regVersion + "\n"));
    PluginConfiguration config = Load();
    EXPECT_TRUE(config.settings.lists.partials().empty());
    EXPECT_TRUE(config.accessRights.Entries().empty());
    EXPECT_EQ(config.settings.SettingOf(1)->level, 60.0f);
    EXPECT_EQ(config.defaultFilter, c.firstStart);
    EXPECT_FALSE(registry::KeyExists(Key("Manual")));
    EXPECT_EQ(registry::ReadDword(kRoot, "RegVersion", 0), 3u);

    // The backup holds the tree as it was, lists and all.
    EXPECT_EQ(registry::ValueNames(backup + "\\Manual\\Partial").size(), 4u);
    EXPECT_EQ(registry::SubkeyNames(backup + "\\AccessRights").size(), 2u);
    EXPECT_FALSE(registry::QueryDword(backup, "RegVersion") == 3u);
    registry::DeleteKeyTree(backup);
  }
}

TEST_F(SettingsStoreTest, ASecondBackupOfTheSameVersionDoesNotReplaceTheFirst) {
  const std::string backup = "Software\\Tarn Software\\Aurivex for Corvane.version 9";
  for (const char* partial : {"first", "second"}) {
    registry::DeleteKeyTree(kRoot);
    registry::WriteDword(kRoot, "RegVersion", 9);
    registry::WriteDword(Key("Manual\\Partial"), std::string("00000000_") + partial, 1);
    Load();
  }
  EXPECT_EQ(registry::ValueNames(backup + "\\Manual\\Partial"), std::vector<std::string>{"00000000_first"});
  EXPECT_EQ(registry::ValueNames(backup + " (2)\\Manual\\Partial"),
            std::vector<std::string>{"00000000_second"});
  registry::DeleteKeyTree(backup);
  registry::DeleteKeyTree(backup + " (2)");
}

// What a save killed at some moment leaves, and what the next load makes
// of it: the staging tree without "RegVersion" was still being written (the
// root is untouched); with it, the root was being replaced.
TEST_F(SettingsStoreTest, ALoadFinishesOrDropsAnInterruptedSave) {
  const std::string staging = kRoot + kSettingsStagingSuffix;
  PluginConfiguration older;
  older.settings.lists.AppendPartial({"old", 1});
  PluginConfiguration newer;
  newer.settings.lists.AppendPartial({"new", 2});
  newer.settings.lists.InsertUrl({"http://new.example/", 3});

  enum class Root { Whole, HalfDeleted, Gone };
  struct Case {
    const char* moment;
    bool stagingComplete;
    Root root;
    const char* loaded;
  };
  const Case cases[] = {
      {"writing the new tree", false, Root::Whole, "old"},
      {"deleting the old root", true, Root::HalfDeleted, "new"},
      {"before the rename", true, Root::Gone, "new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moment);
    registry::DeleteKeyTree(kRoot);
    registry::DeleteKeyTree(staging);
    SaveSettings(newer);
    ASSERT_TRUE(registry::CopyKeyTree(kRoot, kRoot + ".newer"));
    SaveSettings(older);
    ASSERT_TRUE(registry::CopyKeyTree(kRoot + ".newer", staging));
    ASSERT_TRUE(registry::DeleteKeyTree(kRoot + ".newer"));
    if (!c.stagingComplete) {
      registry::WriteString(staging, "RegVersion", nullptr);
      registry::DeleteKeyTree(staging + "\\Manual\\URLs");
    }
    if (c.root == Root::HalfDeleted) registry::DeleteKeyTree(Key("Manual"));
    if (c.root == Root::Gone) registry::DeleteKeyTree(kRoot);

    PluginConfiguration config = Load();
    EXPECT_EQ(PartialTexts(config), std::vector<std::string>{c.loaded});
    EXPECT_EQ(config.settings.lists.urls().size(), std::string(c.loaded) == "new" ? 1u : 0u);
    EXPECT_FALSE(registry::KeyExists(staging));
    EXPECT_EQ(registry::ReadDword(kRoot, "RegVersion", 0), 3u);
  }
}

TEST_F(SettingsStoreTest, ASaveLeavesNothingBesideTheRoot) {
  PluginConfiguration config;
  config.settings.lists.AppendPartial({"a", 1});
  SaveSettings(config);
  SaveSettings(config);
  EXPECT_FALSE(registry::KeyExists(kRoot + kSettingsStagingSuffix));
  for (const std::string& name : registry::SubkeyNames("Software\\Tarn Software")) {
    EXPECT_TRUE(name.rfind("Aurivex for Corvane", 0) != 0 || name == "Aurivex for Corvane") << name;
  }
}

TEST_F(SettingsStoreTest, LevelsThatNoDwordHoldsAreStoredAtTheEnds) {
  struct Case {
    float level;
    uint32_t stored;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {59.9f, 59},          {100.0f, 100},       {0.5f, 0},           {-5.0f, 0},
      {-inf, 0},            {inf, 0xFFFFFFFFu},  {1e12f, 0xFFFFFFFFu}, {std::nanf(""), 0xFFFFFFFFu},
      {4294967040.0f, 4294967040u},
  };
  for (const Case& c : cases) EXPECT_EQ(StoredLevel(c.level), c.stored) << c.level;
}

TEST_F(SettingsStoreTest, LoadThatCannotGetTheLockReadsNothing) {
  Import("settings_v3.reg");
  SharedDataLock busy{"AVexSettingsStoreBusyTest", 50};
  std::promise<void> held;
  std::promise<void> loadTried;
  std::thread holder([&] {
    SharedDataLock same{"AVexSettingsStoreBusyTest", 5000};
    EXPECT_TRUE(same.Acquire());
    held.set_value();
    loadTried.get_future().wait();
    same.Release();
  });
  held.get_future().wait();
  PluginConfiguration config;
  EXPECT_FALSE(LoadSettings(&config, &busy));
  loadTried.set_value();
  holder.join();
  EXPECT_TRUE(config.settings.lists.partials().empty());
  EXPECT_EQ(config.settings.useSafeSurf, 1u);
}

}  // namespace
}  // namespace avex
