// The save of the settings store: what it writes for a change, that the tree
// it leaves is the one a full save leaves, its ordering, and the journal that
// a save cut short leaves for the next load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/settings_journal.h"
#include "config/settings_store.h"
#include "platform/platform_test_util.h"
#include "platform/registry.h"

namespace avex {
namespace {

namespace registry = platform::registry;

const std::string kRoot = kSettingsRootKey;
const std::string kJournal = kRoot + kSettingsJournalSuffix;
std::string Key(const char* subkey) { return kRoot + "\\" + subkey; }

// Every key and value below `key` as sorted lines, names as spelled, data in
// hexadecimal; the stamp left out, which no two saves share.
void DumpInto(const std::string& key, const std::string& relative, std::vector<std::string>* lines) {
  const registry::RegistryKey open = registry::RegistryKey::ForReading(key);
  lines->push_back("[" + relative + "]");
  for (const registry::StoredValue& value : open.Values()) {
    if (relative.empty() && value.name == kSettingsStampValue) continue;
    std::string line = relative + "\\" + value.name + " = " + std::to_string(value.type) + ":";
    for (unsigned char byte : value.data) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", byte);
      line += hex;
    }
    lines->push_back(line);
  }
  for (const std::string& name : open.SubkeyNames()) {
    DumpInto(key + "\\" + name, relative.empty() ? name : relative + "\\" + name, lines);
  }
}

std::vector<std::string> Dump() {
  std::vector<std::string> lines;
  if (registry::KeyExists(kRoot)) DumpInto(kRoot, "", &lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// What the trace line of a save reports.
struct SaveReport {
  unsigned long written = 0, deletedValues = 0, deletedKeys = 0;
  std::string mode;  // "difference", "full comparison" or "skipped"
  bool operator==(const SaveReport& other) const {
    return written == other.written && deletedValues == other.deletedValues && deletedKeys == other.deletedKeys &&
           mode == other.mode;
  }
};

std::ostream& operator<<(std::ostream& out, const SaveReport& report) {
  return out << report.written << " written, " << report.deletedValues << " values and " << report.deletedKeys
             << " keys deleted (" << report.mode << ")";
}

// A small configuration with something in every list.
PluginConfiguration Base() {
  PluginConfiguration config;
  config.settings.lists.InsertUrl({"http://a.example/Page", 14});
  config.settings.lists.InsertUrl({"http://b.example/", 2});
  config.settings.lists.InsertSite({"c.example", CategoryBlocked});
  config.settings.lists.InsertSite({"d.example", CategoryAllowed});
  config.settings.lists.AppendPartial({"casino", 2});
  config.accessRights.Add("alice", "", 0, 1, 0, 0);
  config.accessRights.Add("staff", "", 1, 0, 0, 0);
  return config;
}

class SettingsSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry::DeleteKeyTree(kRoot);
    registry::DeleteKeyTree(kJournal);
  }
  void TearDown() override {
    SetJournalCrashPoint(nullptr);
    registry::DeleteKeyTree(kRoot);
    registry::DeleteKeyTree(kJournal);
  }

  // Saves and answers what the save's trace line says.
  SaveReport Save(const PluginConfiguration& config, uint64_t order = 0) {
    const std::string path = platform::test::TempPath("settings-save-trace");
    SaveReport report;
    {
      platform::test::ScopedTraceTarget trace(path);
      SaveSettings(config, order);
    }
    const std::string text = platform::test::ReadFile(path);
    std::remove(path.c_str());
    const size_t line = text.rfind("settings save: ");
    if (line == std::string::npos) return report;
    if (text.compare(line, 24, "settings save: skipped, ") == 0) {
      report.mode = "skipped";
      return report;
    }
    char mode[32] = "";
    unsigned long ms = 0;
    std::sscanf(text.c_str() + line, "settings save: wrote %lu values, deleted %lu values and %lu keys in %lu ms (%31[^)])",
                &report.written, &report.deletedValues, &report.deletedKeys, &ms, mode);
    report.mode = mode;
    return report;
  }

  // The tree a save of `config` leaves in an empty root.
  std::vector<std::string> FullSaveDump(const PluginConfiguration& config) {
    const std::vector<std::string> before = Dump();
    registry::DeleteKeyTree(kRoot);
    SaveSettings(config);
    const std::vector<std::string> full = Dump();
    EXPECT_TRUE(registry::QueryDword(kRoot, kSettingsStampValue).has_value());
    return full;
  }

  PluginConfiguration Load() {
    PluginConfiguration config;
    EXPECT_TRUE(LoadSettings(&config, &lock_));
    return config;
  }

  SharedDataLock lock_{"AVexSettingsSaveTest", 5000};
};

// Each case saves Base, then lets the registry change as `meanwhile` says,
// then saves Base as `edit` changes it: the save writes what the report
// says, and leaves the tree, value for value, that a save of the same
// configuration into an empty root leaves.
TEST_F(SettingsSaveTest, ASaveWritesTheDifferenceAndLeavesWhatAFullSaveLeaves) {
  struct Case {
    const char* what;
    std::function<void()> meanwhile;
    std::function<void(PluginConfiguration*)> edit;
    SaveReport report;  // the stamp is one of the values written
  };
  const auto nothing = [] {};
  const auto unchanged = [](PluginConfiguration*) {};
  const Case cases[] = {
      {"unchanged", nothing, unchanged, {0, 0, 0, "difference"}},
      {"one URL added", nothing,
       [](PluginConfiguration* c) { c->settings.lists.InsertUrl({"http://e.example/", 3}); },
       {2, 0, 0, "difference"}},
      {"a partial entry changed only in case", nothing,
       [](PluginConfiguration* c) {
         ManualLists lists;
         for (const ManualEntryRef& entry : c->settings.lists.urls()) lists.InsertUrl({std::string(entry.text), entry.categoryId});
         for (const ManualEntryRef& entry : c->settings.lists.sites()) lists.InsertSite({std::string(entry.text), entry.categoryId});
         lists.AppendPartial({"Casino", 2});
         c->settings.lists = std::move(lists);
       },
       {2, 1, 0, "difference"}},
      {"a category moved", nothing,
       [](PluginConfiguration* c) { c->settings.SettingOf(CategoryBlocked)->level = 12; },
       {2, 0, 0, "difference"}},
      {"an entry removed", nothing,
       [](PluginConfiguration* c) {
         ManualLists lists;
         for (const ManualEntryRef& entry : c->settings.lists.urls()) lists.InsertUrl({std::string(entry.text), entry.categoryId});
         lists.InsertSite({"c.example", CategoryBlocked});
         for (const ManualEntry& entry : c->settings.lists.partials()) lists.AppendPartial(entry);
         c->settings.lists = std::move(lists);
       },
       {1, 1, 0, "difference"}},
      {"a whole list emptied", nothing,
       [](PluginConfiguration* c) {
         ManualLists lists;
         for (const ManualEntryRef& entry : c->settings.lists.urls()) lists.InsertUrl({std::string(entry.text), entry.categoryId});
         for (const ManualEntry& entry : c->settings.lists.partials()) lists.AppendPartial(entry);
         c->settings.lists = std::move(lists);
       },
       {1, 0, 1, "difference"}},
      {"a response renamed only in case", nothing,
       [](PluginConfiguration* c) {
         CustomResponse renamed = *c->responses.Find(1);
         std::string upper = renamed.Description();
         for (char& letter : upper) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
         ASSERT_NE(upper, renamed.Description());
         c->responses.InsertOrReplace(CustomResponse(1, upper));
       },
       {7, 0, 1, "difference"}},
      {"stray keys and values of older layouts, no stamp",
       [] {
         registry::WriteString(Key("Ban List"), "1", "http://old.example/");
         registry::WriteString(Key("URL List\\0"), "URL", "http://old.example/");
         registry::WriteString(Key("AccessRights\\Recipient0"), "Description", "kept by hand");
         registry::WriteDword(kRoot, "Stray", 1);
         registry::WriteString(kRoot, kSettingsStampValue, nullptr);
       },
       unchanged, {1, 2, 2, "full comparison"}},
      {"a foreign save: the stamp changed",
       [] {
         registry::WriteDword(Key("Logging"), "Enabled", 0);
         registry::WriteDword(kRoot, kSettingsStampValue, registry::ReadDword(kRoot, kSettingsStampValue, 0) + 1);
       },
       unchanged, {2, 0, 0, "full comparison"}},
      {"a foreign save that left a value spelled otherwise",
       [] {
         registry::WriteString(Key("Manual\\URLs"), "http://b.example", nullptr);
         registry::WriteDword(Key("Manual\\URLs"), "HTTP://B.EXAMPLE", 2);
         registry::WriteString(kRoot, kSettingsStampValue, nullptr);
       },
       unchanged, {2, 1, 0, "full comparison"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Save(Base());
    c.meanwhile();
    PluginConfiguration edited = Base();
    c.edit(&edited);
    EXPECT_EQ(Save(edited), c.report);
    const std::vector<std::string> saved = Dump();
    EXPECT_EQ(saved, FullSaveDump(edited));
    EXPECT_FALSE(registry::KeyExists(kJournal));
  }
}

TEST_F(SettingsSaveTest, AnUnchangedConfigurationTouchesNothingNotEvenTheStamp) {
  Save(Base());
  const uint32_t stamp = registry::ReadDword(kRoot, kSettingsStampValue, 0);
  int writes = 0;
  SetJournalCrashPoint([&](JournalPhase) { ++writes; });
  EXPECT_EQ(Save(Base()), (SaveReport{0, 0, 0, "difference"}));
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(registry::ReadDword(kRoot, kSettingsStampValue, 0), stamp);
}

// Stamps change with every save that writes, so another process that
// remembers the old one compares in full.
TEST_F(SettingsSaveTest, EverySaveThatWritesLeavesANewStamp) {
  PluginConfiguration config = Base();
  std::vector<uint32_t> stamps;
  for (int round = 0; round < 5; ++round) {
    config.settings.lists.InsertUrl({"http://round" + std::to_string(round) + ".example/", 1});
    Save(config);
    const uint32_t stamp = registry::ReadDword(kRoot, kSettingsStampValue, 0);
    EXPECT_EQ(std::count(stamps.begin(), stamps.end(), stamp), 0);
    stamps.push_back(stamp);
  }
}

// Orders only ever grow in one process, whatever test ran before.
uint64_t NextOrder() {
  static uint64_t order = uint64_t{1} << 40;
  return order += 10;
}

TEST_F(SettingsSaveTest, AnOlderSnapshotIsNeverSavedAfterANewerOne) {
  PluginConfiguration older = Base();
  older.settings.useUrlCache = 0;
  PluginConfiguration newer = Base();
  newer.settings.useUrlCache = 1;
  const uint64_t base = NextOrder();

  EXPECT_EQ(Save(newer, base + 2).mode, "full comparison");  // a fresh root has no stamp yet
  EXPECT_EQ(Save(older, base + 1).mode, "skipped");
  EXPECT_EQ(Save(older, base + 2).mode, "skipped");
  EXPECT_EQ(registry::ReadDword(kRoot, "Use URL Cache", 9), 1u);
  EXPECT_NE(Save(older, 0).mode, "skipped");  // a load, a migration: always
  EXPECT_EQ(registry::ReadDword(kRoot, "Use URL Cache", 9), 0u);
  EXPECT_NE(Save(newer, base + 3).mode, "skipped");
  EXPECT_EQ(registry::ReadDword(kRoot, "Use URL Cache", 9), 1u);
}

struct CrashAt {
  JournalPhase phase;
  int write;  // counted from 1 within the phase
};

struct Crashed : std::runtime_error {
  Crashed() : std::runtime_error("crash point") {}
};

// A save cut short at some write of some phase (the crash point throws, as
// a killed process stops), and what the next load or save makes of it: a
// journal without its completion mark goes and the root is the old one; a
// complete one is finished and the root is the new one.
TEST_F(SettingsSaveTest, AJournalLeftByASaveCutShortIsFinishedWhenCompleteAndDroppedOtherwise) {
  PluginConfiguration older = Base();
  PluginConfiguration newer = Base();
  newer.settings.lists.InsertUrl({"http://new.example/", 5});
  newer.settings.useSafeSurf = 0;
  // Two responses of close to a megabyte each: a journal of two parts.
  newer.responses.FindOrInsert(1).SetBody(ResponseKindText, std::string(700000, 'a'));
  newer.responses.FindOrInsert(2).SetBody(ResponseKindText, std::string(700000, 'b'));

  struct Case {
    CrashAt at;
    bool newWins;
  };
  const Case cases[] = {
      {{JournalPhase::Write, 1}, false}, {{JournalPhase::Write, 2}, false}, {{JournalPhase::Write, 3}, false},
      {{JournalPhase::Apply, 1}, true},  {{JournalPhase::Apply, 3}, true},  {{JournalPhase::Apply, 5}, true},
      {{JournalPhase::Drop, 1}, true},   {{JournalPhase::Drop, 2}, true},
  };
  const std::vector<std::string> olderTree = FullSaveDump(older);
  const std::vector<std::string> newerTree = FullSaveDump(newer);
  for (const bool nextIsALoad : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(nextIsALoad ? "load" : "save") + " after a crash at write " +
                   std::to_string(c.at.write) + " of phase " + std::to_string(static_cast<int>(c.at.phase)));
      SetUp();
      Save(older);
      int writes = 0;
      SetJournalCrashPoint([&](JournalPhase phase) {
        if (phase == c.at.phase && ++writes == c.at.write) throw Crashed();
      });
      EXPECT_THROW(SaveSettings(newer), Crashed);
      SetJournalCrashPoint(nullptr);
      ASSERT_TRUE(registry::KeyExists(kJournal));

      if (nextIsALoad) {
        Load();
        EXPECT_EQ(Dump(), c.newWins ? newerTree : olderTree);
      } else {
        // The save finishes the journal first and then writes its own difference.
        PluginConfiguration third = older;
        third.logging.enabled = 0;
        Save(third);
        EXPECT_EQ(Dump(), FullSaveDump(third));
      }
      EXPECT_FALSE(registry::KeyExists(kJournal));
    }
  }
}

}  // namespace
}  // namespace avex
