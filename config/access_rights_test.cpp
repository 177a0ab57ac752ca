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

// What a request by `user` is told, its name folded as the request path folds it.
bool Filtered(const AccessRights& rights, const std::string& user, bool applyToAll = false, bool force = false) {
  std::string folded;
  FoldUserName(user, &folded);
  return IsUserFiltered(rights, folded, applyToAll, force);
}

TEST(IsUserFilteredTest, FirstRuleThatAppliesDecides) {
  HostRecords host;
  HostUserRecord* dave = host.Make("dave", 0);
  HostUserRecord* nested = host.Make("nested-group", 1, {dave});
  host.top = {host.Make("alice", 0),
              host.Make("bob", 0),
              host.Make("carol", 0),
              dave,
              host.Make("Erin", 0),
              host.Make("J\xD6RG", 0),  // JÖRG in code page 1252
              host.Make("filtered-group", 1,
                        {host.Make("BOB", 0), host.Make("outsider", 0), nested, host.Make("Fay", 0)}),
              host.Make("open-group", 1, {host.Make("carol", 0)}),
              nested,
              host.Make("FAY", 0)};
  AccessRights rights;
  ASSERT_TRUE(rights.RefreshUsers(host.Count(), host.top.data(), false));
  for (const char* name : {"alice", "Erin", "J\xD6RG", "filtered-group"}) ASSERT_TRUE(rights.SetState(name, 1));

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
      {"ALICE", false, false, true},
      {"bob", false, false, true},      // direct member of a filtered group, published in capitals
      {"Bob", false, false, true},
      {"carol", false, false, false},   // member of an unfiltered group only
      {"dave", false, false, false},    // member of a member group: not searched
      {"outsider", false, false, false},  // member, but no entry of its own
      {"erin", false, false, true},     // an entry published with a capital, in any case
      {"ERIN", false, false, true},
      {"Erin", false, false, true},
      {"j\xF6rg", false, false, true},  // jörg: the capital folded by the code page
      {"J\xD6RG", false, false, true},
      {"jorg", false, false, false},
      {"fay", false, false, true},      // member and entry both in capitals, in other ways
      {"eri", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Filtered(rights, c.user, c.applyToAll, c.force), c.filtered)
        << "'" << c.user << "' all=" << c.applyToAll << " force=" << c.force;
  }
}

// Stored or transferred settings from before names were folded may hold two
// entries that differ only in case: the first in name order decides.
TEST(IsUserFilteredTest, OfEntriesThatDifferOnlyInCaseTheFirstDecides) {
  AccessRights rights;
  rights.Add("kim", "", 0, 1, 0, 0);
  rights.Add("Kim", "", 0, 0, 0, 0);
  EXPECT_FALSE(Filtered(rights, "kim"));
  ASSERT_TRUE(rights.SetState("Kim", 1));
  EXPECT_TRUE(Filtered(rights, "KIM"));
}

// The index answers for the entries as they are after every change, and a
// copy that changes leaves the original's answers alone.
TEST(IsUserFilteredTest, AnswersFollowEveryChange) {
  AccessRights rights;
  rights.Add("Pat", "", 0, 0, 0, 0);
  rights.PrepareIndex();
  EXPECT_FALSE(Filtered(rights, "pat"));
  const AccessRights before = rights;
  ASSERT_TRUE(rights.SetState("Pat", 1));
  EXPECT_TRUE(Filtered(rights, "pat"));
  EXPECT_FALSE(Filtered(before, "pat"));
  rights.Assign("Quinn", 0, 1, 0, 0);
  EXPECT_TRUE(Filtered(rights, "QUINN"));
  rights.Empty();
  EXPECT_FALSE(Filtered(rights, "pat"));
  EXPECT_FALSE(Filtered(before, "pat"));

  HostRecords host;
  host.top = {host.Make("Pat", 0)};
  AccessRights refreshed = before;
  ASSERT_TRUE(refreshed.RefreshUsers(host.Count(), host.top.data(), true));
  EXPECT_TRUE(Filtered(refreshed, "pat"));
  EXPECT_FALSE(Filtered(before, "pat"));
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

// The host does not tell user names apart by case: a name published again
// in another case is a name published twice.
TEST(RefreshUsersTest, ANamePublishedAgainInAnotherCaseKeepsItsFirstRecord) {
  HostRecords host;
  HostUserRecord* first = host.Make("Lee", 0);
  HostUserRecord* again = host.Make("LEE", 1);
  again->description = "second";
  HostUserRecord* umlaut = host.Make("J\xD6RG", 0);
  HostUserRecord* umlautAgain = host.Make("j\xF6rg", 0);
  host.top = {first, umlaut, again, umlautAgain};
  AccessRights rights;
  ASSERT_TRUE(rights.RefreshUsers(host.Count(), host.top.data(), true));

  ASSERT_EQ(rights.Entries().size(), 2u);
  ASSERT_NE(rights.Find("Lee"), nullptr);
  EXPECT_EQ(rights.Find("Lee")->description, "described");
  EXPECT_EQ(rights.Find("Lee")->isGroup, 0u);
  EXPECT_EQ(rights.Find("LEE"), nullptr);
  EXPECT_NE(rights.Find("J\xD6RG"), nullptr);
  EXPECT_TRUE(Filtered(rights, "lee"));
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
  EXPECT_FALSE(Filtered(rights, "member"));  // no entry of its own
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
