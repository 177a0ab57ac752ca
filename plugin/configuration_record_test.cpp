#include "plugin/configuration_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace avex {
namespace {

using Bytes = std::vector<uint8_t>;

// Builds a record by hand, field by field.
struct RecordBuilder {
  RecordBuilder& Integer(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    return *this;
  }
  RecordBuilder& Byte(uint8_t value) {
    bytes.push_back(value);
    return *this;
  }
  RecordBuilder& Single(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Integer(bits);
  }
  RecordBuilder& String(const std::string& text) {
    Integer(static_cast<uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }

  Bytes bytes;
};

Bytes RecordOf(const PluginConfiguration& config) {
  const uint32_t length = WriteConfigurationRecord(config, nullptr, 0);
  Bytes record(length);
  EXPECT_EQ(WriteConfigurationRecord(config, record.data(), length), length);
  return record;
}

bool Read(const Bytes& record, PluginConfiguration* config) {
  return ReadConfigurationRecord(record.data(), static_cast<uint32_t>(record.size()), config);
}

// Every transferred value differs from the defaults and from zero, the
// lists are out of text order where order is kept, so a value that is lost,
// misplaced or reordered shows.
PluginConfiguration FullConfiguration() {
  PluginConfiguration config;
  FilterSettings& settings = config.settings;
  settings.useSafeSurf = 3;
  settings.useRsaci = 4;
  settings.useUrlCache = 5;
  settings.useStaticListUpdates = 6;
  settings.staticListUpdateInterval = 90;
  settings.applyToAllUsers = 1;
  for (size_t row = 0; row < CategoryCount; ++row) {
    settings.categories[row].level = 10.5f + static_cast<float>(row);
    settings.categories[row].enabled = row % 3 != 0;
  }
  config.hostLoggingCapable = 7;
  config.logging.enabled = 8;
  config.updateServer = UpdateServer{"updates.example.net", 8080};

  config.responses.Clear();
  CustomResponse gambling(2, "Gambling content");
  gambling.SetTitle(ResponseKindText, "Blocked: ##CATEGORY##");
  gambling.SetBody(ResponseKindText, "No ##DATASOURCE## for ##USERNAME##.");
  gambling.SetTitle(ResponseKindHtml, "Stop");
  gambling.SetBody(ResponseKindHtml, "<b>##REASON##</b>");
  config.responses.InsertOrReplace(gambling);
  CustomResponse blocked(CategoryBlocked, "Administratively blocked");
  blocked.SetBody(ResponseKindText, "Not here.");
  config.responses.InsertOrReplace(blocked);

  config.accessRights.Add("alice", "", 0, 1, 0x21, 0x12345678);
  config.accessRights.Add("staff", "", 1, 1, 0x05, 7);
  config.accessRights.Add("zed", "", 0, 0, 0xFF, 0xFFFFFFFF);

  settings.lists.AppendPartial(ManualEntry{"zeta-bet", 2});
  settings.lists.AppendPartial(ManualEntry{"ads", CategoryAllowed});
  settings.lists.AppendPartial(ManualEntry{"zeta-bet", 5});
  settings.lists.InsertSite(ManualEntry{"www.bad.example", 1});
  settings.lists.InsertSite(ManualEntry{"allowed.example:8080", CategoryAllowed});
  settings.lists.InsertUrl(ManualEntry{"http://news.example/story", 14});
  settings.lists.InsertUrl(ManualEntry{"http://a.example/x", CategoryBlocked});
  return config;
}

bool SameResponse(const ResponseSet::Map::value_type& a, const ResponseSet::Map::value_type& b) {
  const CustomResponse& x = a.second;
  const CustomResponse& y = b.second;
  return a.first == b.first && x.CategoryId() == y.CategoryId() && x.Description() == y.Description() &&
         x.GetTitle(ResponseKindText) == y.GetTitle(ResponseKindText) &&
         x.GetBody(ResponseKindText) == y.GetBody(ResponseKindText) &&
         x.GetTitle(ResponseKindHtml) == y.GetTitle(ResponseKindHtml) &&
         x.GetBody(ResponseKindHtml) == y.GetBody(ResponseKindHtml);
}

bool SameAccessEntry(const AccessEntryMap::value_type& a, const AccessEntryMap::value_type& b) {
  const AccessEntry& x = a.second;
  const AccessEntry& y = b.second;
  return a.first == b.first && x.name == y.name && x.description == y.description &&
         x.isGroup == y.isGroup && x.state == y.state && x.hostFlag == y.hostFlag &&
         x.hostValue == y.hostValue;
}

bool SameSetting(const CategorySetting& a, const CategorySetting& b) {
  return a.enabled == b.enabled && a.level == b.level;
}

// Whether `part` is `whole` or a leading part of it.
template <typename Container, typename Same>
bool IsLeadingPart(const Container& part, const Container& whole, const Same& same) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin(), same);
}

template <typename Container>
bool IsLeadingPart(const Container& part, const Container& whole) {
  return IsLeadingPart(part, whole, std::equal_to<>());
}

void ExpectSameTransferredValues(const PluginConfiguration& actual, const PluginConfiguration& expected) {
  const FilterSettings& a = actual.settings;
  const FilterSettings& e = expected.settings;
  EXPECT_EQ(a.useSafeSurf, e.useSafeSurf);
  EXPECT_EQ(a.useRsaci, e.useRsaci);
  EXPECT_EQ(a.useUrlCache, e.useUrlCache);
  EXPECT_EQ(a.useStaticListUpdates, e.useStaticListUpdates);
  EXPECT_EQ(a.staticListUpdateInterval, e.staticListUpdateInterval);
  EXPECT_EQ(a.applyToAllUsers, e.applyToAllUsers);
  EXPECT_EQ(actual.hostLoggingCapable, expected.hostLoggingCapable);
  EXPECT_EQ(actual.logging.enabled, expected.logging.enabled);
  EXPECT_EQ(actual.logging.Options(), expected.logging.Options());
  EXPECT_EQ(actual.updateServer.name, expected.updateServer.name);
  EXPECT_EQ(actual.updateServer.port, expected.updateServer.port);
  for (size_t row = 0; row < CategoryCount; ++row) {
    EXPECT_TRUE(SameSetting(a.categories[row], e.categories[row])) << "row " << row;
  }
  EXPECT_EQ(actual.responses.size(), expected.responses.size());
  EXPECT_TRUE(IsLeadingPart(actual.responses, expected.responses, SameResponse));
  EXPECT_EQ(actual.accessRights.Entries().size(), expected.accessRights.Entries().size());
  EXPECT_TRUE(IsLeadingPart(actual.accessRights.Entries(), expected.accessRights.Entries(), SameAccessEntry));
  EXPECT_EQ(a.lists, e.lists);
}

// A record of `full` cut short and read into `before`: every value came
// through whole or reads as 0 or empty (a category row as it was before),
// and of every counted item only a leading part of `full`'s arrived.
void ExpectCutShortOf(const PluginConfiguration& actual, const PluginConfiguration& full,
                      const PluginConfiguration& before) {
  const auto wholeOrZero = [](uint32_t value, uint32_t original) { return value == original || value == 0; };
  const FilterSettings& a = actual.settings;
  const FilterSettings& f = full.settings;
  EXPECT_TRUE(wholeOrZero(a.useSafeSurf, f.useSafeSurf));
  EXPECT_TRUE(wholeOrZero(a.useRsaci, f.useRsaci));
  EXPECT_TRUE(wholeOrZero(a.useUrlCache, f.useUrlCache));
  EXPECT_TRUE(wholeOrZero(actual.hostLoggingCapable, full.hostLoggingCapable));
  EXPECT_TRUE(wholeOrZero(actual.logging.enabled, full.logging.enabled));
  EXPECT_TRUE(wholeOrZero(a.applyToAllUsers, f.applyToAllUsers));
  EXPECT_TRUE(wholeOrZero(a.useStaticListUpdates, f.useStaticListUpdates));
  EXPECT_TRUE(wholeOrZero(a.staticListUpdateInterval, f.staticListUpdateInterval));
  EXPECT_TRUE(wholeOrZero(actual.updateServer.port, full.updateServer.port));
  EXPECT_TRUE(actual.updateServer.name == full.updateServer.name || actual.updateServer.name.empty());
  for (size_t row = 0; row < CategoryCount; ++row) {
    EXPECT_TRUE(SameSetting(a.categories[row], f.categories[row]) ||
                SameSetting(a.categories[row], before.settings.categories[row]))
        << "row " << row;
  }
  EXPECT_TRUE(IsLeadingPart(actual.responses, full.responses, SameResponse));
  EXPECT_TRUE(IsLeadingPart(actual.accessRights.Entries(), full.accessRights.Entries(), SameAccessEntry));
  EXPECT_TRUE(IsLeadingPart(a.lists.partials(), f.lists.partials()));
  EXPECT_TRUE(IsLeadingPart(a.lists.sites(), f.lists.sites()));
  EXPECT_TRUE(IsLeadingPart(a.lists.urls(), f.lists.urls()));
}

TEST(ConfigurationRecordTest, RoundTripReproducesTheConfiguration) {
  struct Case {
    const char* name;
    PluginConfiguration sent;
  };
  const Case cases[] = {{"defaults", PluginConfiguration()}, {"full", FullConfiguration()}};
  for (const Case& c : cases) {
    // The receiver holds other values, lists and entries, which must all go.
    PluginConfiguration receiver = FullConfiguration();
    receiver.settings.applyToAllUsers = 0;
    receiver.logging.SetOptions(0);
    receiver.settings.lists.AppendPartial(ManualEntry{"stale", 1});
    receiver.settings.lists.InsertUrl(ManualEntry{"http://stale.example/", 1});
    receiver.responses.InsertOrReplace(CustomResponse(14, "stale"));
    receiver.accessRights.Add("stale", "", 0, 1, 0, 0);

    EXPECT_TRUE(Read(RecordOf(c.sent), &receiver)) << c.name;
    SCOPED_TRACE(c.name);
    ExpectSameTransferredValues(receiver, c.sent);
  }
}

TEST(ConfigurationRecordTest, LayoutOfASmallRecord) {
  PluginConfiguration config;
  config.settings.useSafeSurf = 1;
  config.settings.useRsaci = 0;
  config.settings.useUrlCache = 1;
  config.hostLoggingCapable = 1;
  config.logging.enabled = 1;
  config.logging.SetOptions(5);
  config.responses.Clear();
  CustomResponse response(2, "G");
  response.SetBody(ResponseKindText, "tb");
  response.SetTitle(ResponseKindHtml, "H");
  response.SetBody(ResponseKindHtml, "hb");
  config.responses.InsertOrReplace(response);
  for (CategorySetting& setting : config.settings.categories) setting = CategorySetting{false, 0};
  config.settings.categories[0] = CategorySetting{true, 60};
  config.settings.categories[1] = CategorySetting{false, 12.5f};
  config.settings.applyToAllUsers = 1;
  config.accessRights.Add("al", "", 0, 1, 0x2A, 0x01020304);
  config.settings.lists.AppendPartial(ManualEntry{"p", CategoryAllowed});
  config.settings.lists.InsertSite(ManualEntry{"s", 3});
  config.settings.lists.InsertUrl(ManualEntry{"u", CategoryBlocked});
  config.settings.useStaticListUpdates = 1;
  config.settings.staticListUpdateInterval = 1440;
  config.updateServer = UpdateServer{"sv", 80};

  Bytes expected;
  const auto append = [&expected](std::initializer_list<uint8_t> bytes) {
    expected.insert(expected.end(), bytes);
  };
  append({1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});                 // engine switches
  append({1, 0, 0, 0, 1, 0, 0, 0});                             // host capability, enabled
  append({1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});                 // blocked, allowed, changes
  append({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 'G', 0, 0, 0, 0});  // one response: id, description, text title
  append({2, 0, 0, 0, 't', 'b', 1, 0, 0, 0, 'H', 2, 0, 0, 0, 'h', 'b'});
  append({31, 0, 0, 0, 0x00, 0x00, 0x70, 0x42, 1, 0x00, 0x00, 0x48, 0x41, 0});  // 60 on, 12.5 off
  for (size_t row = 2; row < CategoryCount; ++row) append({0, 0, 0, 0, 0});
  append({1});                                                          // applyToAllUsers
  append({1, 0, 0, 0, 2, 0, 0, 0, 'a', 'l', 1, 0x2A, 0, 4, 3, 2, 1});  // one access entry
  append({1, 0, 0, 0, 1, 0, 0, 0, 'p', 0xFE, 0xFF, 0xFF, 0x7F});       // partials
  append({1, 0, 0, 0, 1, 0, 0, 0, 's', 3, 0, 0, 0});                   // sites
  append({1, 0, 0, 0, 1, 0, 0, 0, 'u', 0xFD, 0xFF, 0xFF, 0x7F});       // URLs
  append({1, 0, 0, 0, 0xA0, 0x05, 0, 0, 2, 0, 0, 0, 's', 'v', 80, 0, 0, 0});

  EXPECT_EQ(RecordOf(config), expected);
  PluginConfiguration read;
  EXPECT_TRUE(Read(expected, &read));
  ExpectSameTransferredValues(read, config);
}

TEST(ConfigurationRecordTest, SizeQueryIgnoresTheCapacity) {
  const PluginConfiguration config = FullConfiguration();
  const uint32_t length = WriteConfigurationRecord(config, nullptr, 0);
  EXPECT_EQ(WriteConfigurationRecord(config, nullptr, 5), length);
  EXPECT_EQ(length, RecordOf(config).size());
}

TEST(ConfigurationRecordTest, ATooSmallBufferGetsAPrefixThatReadsBackCutShort) {
  const PluginConfiguration full = FullConfiguration();
  const Bytes record = RecordOf(full);
  const uint32_t length = static_cast<uint32_t>(record.size());
  const PluginConfiguration before;
  for (uint32_t capacity = 0; capacity <= length && !HasFailure(); ++capacity) {
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    Bytes buffer(length + 8, 0xCC);
    const uint32_t written = WriteConfigurationRecord(full, buffer.data(), capacity);
    ASSERT_LE(written, capacity);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + written, record.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + written, buffer.end(), [](uint8_t b) { return b == 0xCC; }));
    if (written == 0) continue;
    PluginConfiguration read = before;
    EXPECT_EQ(ReadConfigurationRecord(buffer.data(), written, &read), written == length);
    ExpectCutShortOf(read, full, before);
  }

  // Writing stops before the first item that does not fit whole: the update
  // server's text, although the port after it would fit.
  const uint32_t tail = 4 + static_cast<uint32_t>(full.updateServer.name.size()) + 4;
  Bytes buffer(length);
  EXPECT_EQ(WriteConfigurationRecord(full, buffer.data(), length - 5), length - tail + 4);
  EXPECT_EQ(WriteConfigurationRecord(full, buffer.data(), length - 1), length - 4);
}

TEST(ConfigurationRecordTest, ARecordCutAnywhereTakesOnlyWholeItems) {
  const PluginConfiguration full = FullConfiguration();
  const Bytes record = RecordOf(full);
  const PluginConfiguration before;
  for (size_t cut = 1; cut < record.size() && !HasFailure(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    // Exactly the cut bytes on the heap, so a read past them is caught.
    const Bytes shortRecord(record.begin(), record.begin() + cut);
    PluginConfiguration read = before;
    EXPECT_FALSE(Read(shortRecord, &read));
    ExpectCutShortOf(read, full, before);
  }

  // Cut before the static list values: everything up to there is whole, the
  // rest reads as 0 and empty.
  const size_t tail = 4 + 4 + 4 + full.updateServer.name.size() + 4;
  PluginConfiguration read = before;
  EXPECT_FALSE(Read(Bytes(record.begin(), record.end() - tail), &read));
  PluginConfiguration expected = full;
  expected.settings.useStaticListUpdates = 0;
  expected.settings.staticListUpdateInterval = 0;
  expected.updateServer = UpdateServer{"", 0};
  ExpectSameTransferredValues(read, expected);
}

TEST(ConfigurationRecordTest, NoRecordChangesNothing) {
  const PluginConfiguration full = FullConfiguration();
  const Bytes record = RecordOf(full);
  PluginConfiguration config;
  EXPECT_FALSE(ReadConfigurationRecord(nullptr, static_cast<uint32_t>(record.size()), &config));
  EXPECT_FALSE(ReadConfigurationRecord(record.data(), 0, &config));
  ExpectSameTransferredValues(config, PluginConfiguration());
}

TEST(ConfigurationRecordTest, AHostileCountEndsWithTheRecord) {
  enum Section { Responses, Categories, AccessEntries, Partials, Sites, Urls };
  // Fields up to the hostile count, normal empty counts before it, then
  // 0xFFFFFFFF items of which the record holds one.
  const auto recordWithHostile = [](Section hostile) {
    RecordBuilder r;
    for (int field = 0; field < 8; ++field) r.Integer(1);
    const auto count = [&](Section section) {
      r.Integer(section == hostile ? 0xFFFFFFFF : 0);
      return section == hostile;
    };
    if (count(Responses)) r.Integer(2).String("Gambling").String("t").String("b").String("h").String("hb");
    if (hostile == Responses) return r.bytes;
    if (count(Categories)) return r.Single(12.5f).Byte(0).bytes;
    r.Byte(1);
    if (count(AccessEntries)) return r.String("alice").Byte(1).Byte(0).Byte(0).Integer(0).bytes;
    if (count(Partials)) return r.String("casino").Integer(2).bytes;
    if (count(Sites)) return r.String("casino.example").Integer(2).bytes;
    count(Urls);
    return r.String("http://casino.example/").Integer(2).bytes;
  };
  struct Case {
    const char* name;
    Section section;
    std::function<size_t(const PluginConfiguration&)> taken;
  };
  const Case cases[] = {
      {"responses", Responses, [](const PluginConfiguration& c) { return c.responses.size(); }},
      {"category settings", Categories,
       [](const PluginConfiguration& c) {
         const PluginConfiguration defaults;
         size_t changed = 0;
         for (size_t row = 0; row < CategoryCount; ++row) {
           changed += SameSetting(c.settings.categories[row], defaults.settings.categories[row]) ? 0 : 1;
         }
         return changed;
       }},
      {"access entries", AccessEntries, [](const PluginConfiguration& c) { return c.accessRights.Entries().size(); }},
      {"partials", Partials, [](const PluginConfiguration& c) { return c.settings.lists.partials().size(); }},
      {"sites", Sites, [](const PluginConfiguration& c) { return c.settings.lists.sites().size(); }},
      {"URLs", Urls, [](const PluginConfiguration& c) { return c.settings.lists.urls().size(); }},
  };
  for (const Case& c : cases) {
    PluginConfiguration read;
    EXPECT_FALSE(Read(recordWithHostile(c.section), &read)) << c.name;
    EXPECT_EQ(c.taken(read), 1u) << c.name;
  }
}

TEST(ConfigurationRecordTest, SurplusCategorySettingsAreReadAndDropped) {
  RecordBuilder r;
  for (int field = 0; field < 8; ++field) r.Integer(1);
  r.Integer(0);
  r.Integer(CategoryCount + 2);
  for (size_t row = 0; row < CategoryCount + 2; ++row) r.Single(static_cast<float>(row)).Byte(row % 2);
  r.Byte(1);
  r.Integer(1).String("alice").Byte(1).Byte(0x21).Byte(0).Integer(5);
  r.Integer(1).String("zeta").Integer(2);
  r.Integer(0);
  r.Integer(1).String("http://x.example/a").Integer(14);
  r.Integer(1).Integer(30).String("srv").Integer(81);

  PluginConfiguration read;
  read.settings.applyToAllUsers = 0;
  EXPECT_TRUE(Read(r.bytes, &read));
  for (size_t row = 0; row < CategoryCount; ++row) {
    EXPECT_TRUE(SameSetting(read.settings.categories[row], CategorySetting{row % 2 == 1, static_cast<float>(row)}))
        << "row " << row;
  }
  EXPECT_EQ(read.settings.applyToAllUsers, 1u);
  ASSERT_NE(read.accessRights.Find("alice"), nullptr);
  EXPECT_EQ(read.accessRights.Find("alice")->hostFlag, 0x21u);
  EXPECT_EQ(read.accessRights.Find("alice")->hostValue, 5u);
  EXPECT_EQ(read.settings.lists.partials(), (PartialList{ManualEntry{"zeta", 2}}));
  EXPECT_EQ(read.settings.lists.urls().size(), 1u);
  EXPECT_EQ(read.settings.staticListUpdateInterval, 30u);
  EXPECT_EQ(read.updateServer.name, "srv");
  EXPECT_EQ(read.updateServer.port, 81u);
}

TEST(ConfigurationRecordTest, TextsAreReadAsTheirSettersTakeThem) {
  RecordBuilder r;
  for (int field = 0; field < 8; ++field) r.Integer(1);
  r.Integer(1).Integer(2).String(std::string("Gam\0bling", 9)).String("").String("text <html>kept</html>");
  r.String("<TITLE>Stop</TITLE>").String("<html><body>Go away</body></html>");
  r.Integer(0).Byte(0).Integer(0);
  r.Integer(2).String(std::string("abc\0def", 7)).Integer(2).String("next").Integer(3);
  r.Integer(0).Integer(0).Integer(0).Integer(0).String(std::string("srv\0junk", 8)).Integer(80);

  PluginConfiguration read;
  EXPECT_TRUE(Read(r.bytes, &read));
  const CustomResponse* response = read.responses.Find(2);
  ASSERT_NE(response, nullptr);
  EXPECT_EQ(response->Description(), "Gam");
  EXPECT_EQ(response->GetBody(ResponseKindText), "text <html>kept</html>");
  EXPECT_EQ(response->GetTitle(ResponseKindHtml), "Stop");
  EXPECT_EQ(response->GetBody(ResponseKindHtml), "Go away");
  EXPECT_EQ(read.settings.lists.partials(), (PartialList{ManualEntry{"abc", 2}, ManualEntry{"next", 3}}));
  EXPECT_EQ(read.updateServer.name, "srv");
  EXPECT_EQ(read.updateServer.port, 80u);
}

TEST(ConfigurationRecordTest, GroupsKeepTheirMembersAcrossATransfer) {
  // The engine process knows the members from the host's publication.
  PluginConfiguration engine;
  engine.settings.applyToAllUsers = 0;
  AccessRights& rights = engine.accessRights;
  HostUserRecord alice{"alice", "", 0, 0, 0, 0, nullptr};
  HostUserRecord bob{"bob", "", 0, 0, 0, 0, nullptr};
  HostUserRecord carol{"carol", "", 0, 0, 0, 0, nullptr};
  HostUserRecord* staffMembers[] = {&alice};
  HostUserRecord* wasGroupMembers[] = {&bob};
  HostUserRecord* goneMembers[] = {&carol};
  HostUserRecord staff{"staff", "", 1, 0, 0, 1, staffMembers};
  HostUserRecord wasGroup{"was-group", "", 1, 0, 0, 1, wasGroupMembers};
  HostUserRecord gone{"gone", "", 1, 0, 0, 1, goneMembers};
  HostUserRecord* published[] = {&alice, &staff, &wasGroup, &gone};
  ASSERT_TRUE(rights.RefreshUsers(4, published, false));
  for (const char* group : {"staff", "was-group", "gone"}) rights.SetState(group, 1);
  ASSERT_TRUE(IsUserFiltered(rights, "alice", false, false));

  // The console sees no members; the configuration it sends back drops one
  // group and no longer has another as a group.
  PluginConfiguration console;
  ASSERT_TRUE(Read(RecordOf(engine), &console));
  EXPECT_TRUE(console.accessRights.Find("staff")->members.empty());
  console.accessRights.Empty();
  console.accessRights.Add("alice", "", 0, 0, 0, 0);
  console.accessRights.Add("staff", "", 1, 1, 0, 0);
  console.accessRights.Add("was-group", "", 0, 1, 0, 0);

  ASSERT_TRUE(Read(RecordOf(console), &engine));
  ASSERT_NE(rights.Find("staff"), nullptr);
  EXPECT_EQ(rights.Find("staff")->members.count("alice"), 1u);
  EXPECT_TRUE(IsUserFiltered(rights, "alice", false, false));
  EXPECT_TRUE(rights.Find("was-group")->members.empty());
  EXPECT_EQ(rights.Find("gone"), nullptr);
}

}  // namespace
}  // namespace avex
