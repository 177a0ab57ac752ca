// Users and group members the host publishes in capitals, handed to the real
// plug-in: a request by such a user is filtered whatever the case of the
// name it arrives with, Western European capitals included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/scanning_table.h"
#include "platform/registry.h"
#include "tests/loaded_plugin.h"

namespace {

namespace registry = avex::platform::registry;
using avex::HostUserDatabase;
using avex::HostUserRecord;

constexpr uint32_t kOk = 0;
constexpr uint32_t kIgnore = 0x80000007;

class UserNameCaseTest : public avex::testing::LoadedPluginTest {
 protected:
  // Stored settings that filter only chosen users: these names, spelled as
  // the host publishes them.
  void StartWithFiltered(const std::vector<std::string>& filtered) {
    const std::string rights = std::string(avex::testing::kSettingsKey) + "\\AccessRights";
    registry::WriteDword(avex::testing::kSettingsKey, "RegVersion", 3);
    registry::WriteDword(rights, "Apply to all users", 0);
    for (size_t i = 0; i < filtered.size(); ++i) {
      const std::string recipient = rights + "\\Recipient" + std::to_string(i);
      registry::WriteString(recipient, "Name", filtered[i].c_str());
      registry::WriteDword(recipient, "State", 1);
    }
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 0), 1);  // no engine: a filtered user's request asks for its data
    object_ = plug_.PlugFabricateInterface();
    ASSERT_NE(object_, nullptr);
  }

  void TearDown() override {
    if (object_ != nullptr) plug_.PlugReleaseInterface(object_);
    if (plugin_.Loaded()) {
      EXPECT_EQ(plug_.PlugStop(), 1);
    }
    LoadedPluginTest::TearDown();
  }

  uint32_t Request(const char* user) {
    const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object_);
    slots.Reset(object_, 1);
    return slots.SetSource(object_, "http://www.example.com/", "text/html", 0, user);
  }

  void* object_ = nullptr;
};

TEST_F(UserNameCaseTest, CapitalisedUsersAndMembersAreFilteredInAnyCase) {
  StartWithFiltered({"JSmith", "J\xD6RG", "Staff"});
  HostUserRecord kim{"MKim", "", 0, 0, 0, 0, nullptr};
  HostUserRecord* staffMembers[] = {&kim};
  HostUserRecord records[] = {
      {"JSmith", "", 0, 0, 0, 0, nullptr},
      {"J\xD6RG", "", 0, 0, 0, 0, nullptr},  // JÖRG in code page 1252
      {"Staff", "", 1, 0, 0, 1, staffMembers},
      kim,
      {"Ann", "", 0, 0, 0, 0, nullptr},
  };
  HostUserRecord* top[] = {&records[0], &records[1], &records[2], &records[3], &records[4]};
  const HostUserDatabase database{5, top};
  ASSERT_EQ(avex::host::TableOf(object_).SetUserDatabase(object_, &database), kOk);

  struct Case {
    const char* user;
    uint32_t result;
  };
  const Case cases[] = {
      {"jsmith", kOk},      {"JSMITH", kOk},      {"JSmith", kOk},
      {"j\xF6rg", kOk},     {"J\xD6RG", kOk},     {"j\xD6rg", kOk},  // jörg, JÖRG, jÖrg
      {"mkim", kOk},        {"MKIM", kOk},        // a direct member of the filtered group
      {"staff", kOk},       {"ann", kIgnore},     {"ANN", kIgnore},
      {"jsmit", kIgnore},   {"jorg", kIgnore},
  };
  for (const Case& c : cases) EXPECT_EQ(Request(c.user), c.result) << c.user;
}

}  // namespace
