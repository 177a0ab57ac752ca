// Host directories that nest groups deeply, in diamonds or at every level,
// handed to the real plug-in on the host's main thread and on a thread with a
// small stack: each call ends with its result, and a user is filtered by her
// own entry or as a direct member of a filtered group, at any depth.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/result_codes.h"
#include "host/scanning_table.h"
#include "platform/thread_with_stack.h"
#include "tests/filtered_users_test_support.h"

namespace {

using avex::HostUserDatabase;
using avex::HostUserRecord;
using avex::ResultIgnore;
using avex::ResultOk;

constexpr int kChainGroups = 20000;
constexpr int kDiamondLevels = 23;
constexpr size_t kSmallStackBytes = 256 * 1024;

// A directory as a host holds it: records that point at their members, and
// the list of records published at the top level.
class HostDirectory {
 public:
  HostUserRecord* Add(const std::string& name, bool isGroup) {
    names_.push_back(name);
    HostUserRecord& record = records_.emplace_back();
    record = HostUserRecord{names_.back().c_str(), "", isGroup ? 1u : 0u, 0, 0, 0, nullptr};
    return &record;
  }

  void Join(HostUserRecord* group, HostUserRecord* member) {
    std::vector<HostUserRecord*>& members = membersOf_.emplace_back();
    if (group->members != nullptr) members.assign(group->members, group->members + group->memberCount);
    members.push_back(member);
    group->members = members.data();
    group->memberCount = static_cast<uint32_t>(members.size());
  }

  void Publish(HostUserRecord* record) { top_.push_back(record); }

  const HostUserDatabase* Database() {
    database_ = HostUserDatabase{static_cast<uint32_t>(top_.size()), top_.data()};
    return &database_;
  }

 private:
  std::deque<std::string> names_;
  std::deque<HostUserRecord> records_;
  std::deque<std::vector<HostUserRecord*>> membersOf_;
  std::vector<HostUserRecord*> top_;
  HostUserDatabase database_{0, nullptr};
};

std::string Numbered(const char* prefix, int number) { return prefix + std::to_string(number); }

// Group c0 lists c1, c1 lists c2, and so on; every group ci also lists the
// user mi. Every user is published; the groups below c0 only when
// `groupsAtTop`.
void MakeChain(HostDirectory* directory, bool groupsAtTop) {
  HostUserRecord* above = nullptr;
  for (int depth = 0; depth < kChainGroups; ++depth) {
    HostUserRecord* group = directory->Add(Numbered("c", depth), true);
    HostUserRecord* user = directory->Add(Numbered("m", depth), false);
    directory->Join(group, user);
    if (above != nullptr) directory->Join(above, group);
    if (depth == 0 || groupsAtTop) directory->Publish(group);
    directory->Publish(user);
    above = group;
  }
}

// Levels of two groups, ai and bi, each listing both groups of the level
// below; ai lists the user xi, bi the user yi. Everything is published.
void MakeDiamonds(HostDirectory* directory) {
  std::vector<HostUserRecord*> above;
  for (int level = 0; level < kDiamondLevels; ++level) {
    std::vector<HostUserRecord*> pair = {directory->Add(Numbered("a", level), true),
                                         directory->Add(Numbered("b", level), true)};
    directory->Join(pair[0], directory->Add(Numbered("x", level), false));
    directory->Join(pair[1], directory->Add(Numbered("y", level), false));
    for (HostUserRecord* group : above) {
      for (HostUserRecord* member : pair) directory->Join(group, member);
    }
    for (HostUserRecord* group : pair) {
      directory->Publish(group);
      directory->Publish(group->members[0]);
    }
    above = pair;
  }
}

struct Case {
  std::string user;
  bool filtered;
};

class NestedGroupsTest : public avex::testing::FilteredUsersTest {
 protected:
  // Publishes the directory and asks for every case, on the calling thread.
  void PublishAndCheck(HostDirectory* directory, const std::vector<Case>& cases) {
    const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object_);
    ASSERT_EQ(slots.SetUserDatabase(object_, directory->Database()), ResultOk);
    for (const Case& c : cases) {
      slots.Reset(object_, 1);
      const uint32_t result = slots.SetSource(object_, "http://www.example.com/", "text/html", 0, c.user.c_str());
      EXPECT_EQ(result, c.filtered ? ResultOk : ResultIgnore) << c.user;
    }
  }

  // The same on the host's main thread, then on a thread with a small stack.
  void PublishOnBothThreads(HostDirectory* directory, const std::vector<Case>& cases) {
    PublishAndCheck(directory, cases);
    ASSERT_TRUE(avex::platform::RunOnThreadWithStack(kSmallStackBytes, [&] { PublishAndCheck(directory, cases); }));
  }
};

const std::string kMiddle = std::to_string(kChainGroups / 2);
const std::string kLast = std::to_string(kChainGroups - 1);

// A group at the top, in the middle and at the bottom, and one user.
const std::vector<std::string> kChainFiltered = {"c0", "c" + kMiddle, "c" + kLast, "m7"};

// With only c0 at the top level, only its direct members are covered.
std::vector<Case> ChainAloneCases() {
  return {{"m0", true}, {"m1", false}, {"m7", true},           {"c1", false},
          {"c0", true}, {"c2", false}, {"m" + kMiddle, false}, {"m" + kLast, false}};
}

// With every group published, the filtered ones cover their direct members
// at every depth, and a group is itself a member of the group above it.
std::vector<Case> ChainAtTopCases() {
  const auto at = [](const char* prefix, int depth) { return prefix + std::to_string(depth); };
  const int middle = kChainGroups / 2;
  return {{"m0", true},
          {"m1", false},
          {"c1", true},
          {"c2", false},
          {"m7", true},
          {at("m", middle), true},
          {at("m", middle + 1), false},
          {at("c", middle + 1), true},
          {at("c", middle + 2), false},
          {at("m", kChainGroups - 1), true},
          {at("m", kChainGroups - 2), false},
          {"nobody", false}};
}

TEST_F(NestedGroupsTest, ChainPublishedAlone) {
  StartWithFiltered(kChainFiltered);
  HostDirectory directory;
  MakeChain(&directory, false);
  PublishOnBothThreads(&directory, ChainAloneCases());
}

TEST_F(NestedGroupsTest, ChainWithEveryGroupAtTheTop) {
  StartWithFiltered(kChainFiltered);
  HostDirectory directory;
  MakeChain(&directory, true);
  PublishOnBothThreads(&directory, ChainAtTopCases());
}

TEST_F(NestedGroupsTest, DiamondsOfTwentyThreeLevels) {
  StartWithFiltered({"a0", "b11", "a22"});
  HostDirectory directory;
  MakeDiamonds(&directory);
  const std::vector<Case> cases = {
      {"x0", true},   {"y0", false},  {"a1", true},   {"b1", true},    {"a2", false},  {"x1", false},
      {"x11", false}, {"y11", true},  {"a12", true},  {"b12", true},   {"y12", false}, {"x22", true},
      {"y22", false}, {"b22", false}, {"a22", true},  {"a0", true},
  };
  PublishOnBothThreads(&directory, cases);
}

}  // namespace
