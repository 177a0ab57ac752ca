#include "config/access_rights.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace avex {
namespace {

// Host records built in a test: each owns its texts and member pointers.
struct HostRecords {
  std::vector<HostUserRecord*> top;
  std::vector<std::unique_ptr<HostUserRecord>> owned;
  std::vector<std::unique_ptr<std::vector<HostUserRecord*>>> memberArrays;

  HostUserRecord* Make(const char* name, uint32_t isGroup, std::vector<HostUserRecord*> members = {}) {
    owned.push_back(std::make_unique<HostUserRecord>());
    HostUserRecord* record = owned.back().get();
    *record = HostUserRecord{name, "described", isGroup, 0x11, 0x22, 0, nullptr};
    if (!members.empty()) {
      memberArrays.push_back(std::make_unique<std::vector<HostUserRecord*>>(std::move(members)));
      record->memberCount = static_cast<uint32_t>(memberArrays.back()->size());
      record->members = memberArrays.back()->data();
    }
    return record;
  }
  uint32_t Count() const { return static_cast<uint32_t>(top.size()); }
};

TEST(IsUserFilteredTest, FirstRuleThatAppliesDecides) {
  AccessRights rights;
  rights.Add("alice", "", 0, 1, 0, 0);
  rights.Add("bob", "", 0, 0, 0, 0);
  rights.Add("carol", "", 0, 0, 0, 0);
  rights.Add("dave", "", 0, 0, 0, 0);
  rights.Add("Erin", "", 0, 1, 0, 0);
  rights.Add("filtered-group", "", 1, 1, 0, 0);
  rights.Add("open-group", "", 1, 0, 0, 0);
  rights.Add("nested-group", "", 1, 0, 0, 0);
  rights.Find("filtered-group")->members = {"bob", "outsider", "nested-group"};
  rights.Find("nested-group")->members = {"dave"};
  rights.Find("open-group")->members = {"carol"};

  struct Case {
    const char* user;
    bool applyToAll;
    bool force;
    bool filtered;
  };
  const Case cases[] = {
      {"", true, false, true},          // everyone, even without a name
      {"nobody", false, true, true},    // forced by the test page
      {"", false, false, false},        // no name
      {"nobody", false, false, false},  // not in the rights
      {"alice", false, false, true},    // own state set
      {"bob", false, false, true},      // direct member of a filtered group
      {"carol", false, false, false},   // member of an unfiltered group only
      {"dave", false, false, false},    // member of a member group: not searched
      {"outsider", false, false, false},  // member, but no entry of its own
      {"erin", false, false, false},    // entries compare byte-exactly
      {"Erin", false, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUserFiltered(rights, c.user, c.applyToAll, c.force), c.filtered)
        << "'" << c.user << "' all=" << c.applyToAll << " force=" << c.force;
  }
}

TEST(AccessRightsTest, AddKeepsTheFirstEntryOfAName) {
  AccessRights rights;
  EXPECT_TRUE(rights.Add("a", "first", 0, 1, 3, 4));
  EXPECT_FALSE(rights.Add("a", "second", 1, 0, 0, 0));
  ASSERT_NE(rights.Find("a"), nullptr);
  EXPECT_EQ(rights.Find("a")->description, "first");
  EXPECT_EQ(rights.Find("A"), nullptr);
  rights.Empty();
  EXPECT_TRUE(rights.Entries().empty());
}

TEST(RefreshUsersTest, FirstStartMarksEveryPublishedNameFilteredAndKeepsTheFirstRecord) {
  HostRecords host;
  HostUserRecord* first = host.Make("pat", 0);
  HostUserRecord* duplicate = host.Make("pat", 1);
  duplicate->description = "second";
  host.top = {first, nullptr, host.Make("staff", 1, {host.Make("kim", 0), nullptr, host.Make("kim", 1)}),
              duplicate};
  AccessRights rights;
  ASSERT_TRUE(rights.RefreshUsers(host.Count(), host.top.data(), true));

  ASSERT_EQ(rights.Entries().size(), 2u);
  const AccessEntry* pat = rights.Find("pat");
  ASSERT_NE(pat, nullptr);
  EXPECT_EQ(pat->description, "described");
  EXPECT_EQ(pat->isGroup, 0u);
  EXPECT_EQ(pat->state, 1u);
  EXPECT_EQ(pat->hostFlag, 0x11u);
  EXPECT_EQ(pat->hostValue, 0x22u);
  const AccessEntry* staff = rights.Find("staff");
  ASSERT_NE(staff, nullptr);
  EXPECT_EQ(staff->members, std::set<std::string>{"kim"});
}

TEST(RefreshUsersTest, LaterRefreshKeepsFilteredStatesDropsGoneNamesAndDefaultsTheRest) {
  AccessRights rights;
  rights.Add("kept-on", "old", 0, 1, 0, 0);
  rights.Add("switched-off", "", 0, 0, 0, 0);
  rights.Add("gone", "", 0, 1, 0, 0);
  rights.Add("group", "", 1, 1, 0, 0);

  HostRecords host;
  host.top = {host.Make("kept-on", 0), host.Make("switched-off", 0), host.Make("new", 0),
              host.Make("group", 1, {host.Make("member", 0)})};
  ASSERT_TRUE(rights.RefreshUsers(host.Count(), host.top.data(), false));

  EXPECT_EQ(rights.Find("kept-on")->state, 1u);
  EXPECT_EQ(rights.Find("kept-on")->description, "described");
  EXPECT_EQ(rights.Find("switched-off")->state, 0u);
  EXPECT_EQ(rights.Find("new")->state, 0u);
  EXPECT_EQ(rights.Find("gone"), nullptr);
  EXPECT_EQ(rights.Find("group")->state, 1u);
  EXPECT_EQ(rights.Find("group")->members, std::set<std::string>{"member"});
  EXPECT_FALSE(IsUserFiltered(rights, "member", false, false));  // no entry of its own
}

TEST(RefreshUsersTest, StatesComeFromTheRightsAsTheyAreWhenTheRefreshIsTaken) {
  HostRecords host;
  host.top = {host.Make("ann", 0), host.Make("ben", 0), host.Make("cy", 0)};
  std::optional<AccessRights> published = AccessRights::Published(host.Count(), host.top.data());
  ASSERT_TRUE(published.has_value());

  // Changed while the records were read: ann switched on, ben off, a stale name on.
  AccessRights rights;
  rights.Add("ann", "", 0, 1, 0, 0);
  rights.Add("ben", "", 0, 0, 0, 0);
  rights.Add("bo", "", 0, 1, 0, 0);
  rights.TakeRefreshed(&*published, false);
  EXPECT_EQ(rights.Find("ann")->state, 1u);
  EXPECT_EQ(rights.Find("ben")->state, 0u);
  EXPECT_EQ(rights.Find("cy")->state, 0u);
  EXPECT_EQ(rights.Find("bo"), nullptr);
  EXPECT_EQ(published->Entries().size(), 3u);  // the replaced entries, for the caller to free
  EXPECT_FALSE(AccessRights::Published(2, nullptr).has_value());
}

TEST(RefreshUsersTest, BadHostDataNeitherCrashesNorLoops) {
  HostRecords host;
  HostUserRecord* loop = host.Make("loop", 1, {nullptr});
  (*host.memberArrays.back())[0] = loop;  // the group lists itself
  HostUserRecord* broken = host.Make("broken", 1);
  broken->memberCount = 5;  // promises members it does not have
  HostUserRecord* unnamed = host.Make(nullptr, 0);
  host.top = {loop, broken, unnamed};

  AccessRights rights;
  ASSERT_TRUE(rights.RefreshUsers(host.Count(), host.top.data(), true));
  EXPECT_EQ(rights.Entries().size(), 2u);
  EXPECT_EQ(rights.Find("loop")->members, std::set<std::string>{"loop"});
  EXPECT_TRUE(rights.Find("broken")->members.empty());

  EXPECT_FALSE(rights.RefreshUsers(3, nullptr, true));
  EXPECT_EQ(rights.Entries().size(), 2u);  // unchanged
  EXPECT_TRUE(rights.RefreshUsers(0, nullptr, true));
  EXPECT_TRUE(rights.Entries().empty());
}

}  // namespace
}  // namespace avex
