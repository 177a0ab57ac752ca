// Users and group members the host publishes in capitals, handed to the real
// plug-in: a request by such a user is filtered whatever the case of the
// name it arrives with, Western European capitals included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/result_codes.h"
#include "host/scanning_table.h"
#include "tests/filtered_users_test_support.h"

namespace {

using avex::HostUserDatabase;
using avex::HostUserRecord;
using avex::ResultIgnore;
using avex::ResultOk;

class UserNameCaseTest : public avex::testing::FilteredUsersTest {
 protected:
  uint32_t Request(const char* user) {
    const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object_);
    slots.Reset(object_, 1);
    return slots.SetSource(object_, "http://www.example.com/", "text/html", 0, user);
  }
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
  ASSERT_EQ(avex::host::TableOf(object_).SetUserDatabase(object_, &database), ResultOk);

  struct Case {
    const char* user;
    uint32_t result;
  };
  const Case cases[] = {
      {"jsmith", ResultOk},      {"JSMITH", ResultOk},      {"JSmith", ResultOk},
      {"j\xF6rg", ResultOk},     {"J\xD6RG", ResultOk},     {"j\xD6rg", ResultOk},  // jörg, JÖRG, jÖrg
      {"mkim", ResultOk},        {"MKIM", ResultOk},        // a direct member of the filtered group
      {"staff", ResultOk},       {"ann", ResultIgnore},     {"ANN", ResultIgnore},
      {"jsmit", ResultIgnore},   {"jorg", ResultIgnore},
  };
  for (const Case& c : cases) EXPECT_EQ(Request(c.user), c.result) << c.user;
}

}  // namespace
