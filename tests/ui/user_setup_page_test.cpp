// The User setup page worked as a person would: the rows of the users and
// groups the console knows, the Set... and Clear... menus, the check boxes,
// the "Apply plugin to all users" switch, then OK or Cancel. What the page
// did is read back from the console's record, and from what an engine
// process that applied that record filters.
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/category_table.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::PluginConfiguration;
using avex::host::DialogDriver;
using namespace avex::testing;

constexpr int kUserImage = 1;
constexpr int kGroupImage = 2;
constexpr char kReconnectMessage[] =
    "You will need to disconnect and reconnect Wardline to see the list of users published to the plugin.";
constexpr char kBlockedUrl[] = "http://blocked.example/page";

struct Account {
  const char* name;
  const char* description;
  bool group;
  bool filtered;
};

// Stored out of name order; the rows come in name order.
const Account kAccounts[] = {
    {"staff", "Teaching staff", true, true},  {"pupils", "Every pupil", true, false},
    {"carol", "Carol Hale, library", false, true}, {"alice", "Alice Moss, year 9", false, true},
    {"bob", "Bob Reed, year 10", false, false},
};
const std::vector<std::string> kRowNames = {"alice", "bob", "carol", "pupils", "staff"};
const std::vector<std::string> kRowDescriptions = {"Alice Moss, year 9", "Bob Reed, year 10", "Carol Hale, library",
                                                   "Every pupil", "Teaching staff"};
const std::vector<int> kRowImages = {kUserImage, kUserImage, kUserImage, kGroupImage, kGroupImage};
const std::vector<bool> kStoredTicks = {true, false, true, false, true};

PluginConfiguration WithAccounts(bool applyToAllUsers) {
  PluginConfiguration configuration;
  configuration.settings.applyToAllUsers = applyToAllUsers ? 1 : 0;
  configuration.settings.lists.InsertUrl({kBlockedUrl, avex::CategoryBlocked});
  for (const Account& account : kAccounts) {
    configuration.accessRights.Add(account.name, account.description, account.group ? 1 : 0,
                                   account.filtered ? 1 : 0, 0, 0);
  }
  return configuration;
}

// The accounts as the host publishes them: with their descriptions, which
// the configuration record does not carry.
std::vector<avex::HostUserRecord> HostRecords() {
  std::vector<avex::HostUserRecord> records;
  for (const Account& account : kAccounts) {
    records.push_back({account.name, account.description, account.group ? 1u : 0u, 0, 0, 0, nullptr});
  }
  return records;
}

class UserSetupPageTest : public DialogTest {
 protected:
  DialogDriver OpenPage(const PluginConfiguration& configuration) {
    StartConsole(configuration);
    PublishUsers(HostRecords());
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "User setup");
    return driver;
  }

  static std::vector<bool> Ticks(const DialogDriver& driver) {
    std::vector<bool> ticks;
    for (int row = 0; row < driver.ListRowCount(IDC_USER_LIST); ++row) {
      ticks.push_back(driver.IsListRowChecked(IDC_USER_LIST, row));
    }
    return ticks;
  }

  // The filtered state of each row's entry in the console's record, in row order.
  std::vector<bool> RecordedStates() {
    const PluginConfiguration configuration = ConsoleConfiguration();
    std::vector<bool> states;
    for (const auto& [name, entry] : configuration.accessRights.Entries()) states.push_back(entry.state != 0);
    return states;
  }

  static void Choose(const DialogDriver& driver, int button, const std::string& item) {
    ASSERT_TRUE(driver.Click(button)) << item;
    ASSERT_TRUE(driver.ChooseMenuItem(item)) << item;
  }

  // Toggles a row's check box with the space bar, as a person does.
  static void ToggleRow(const DialogDriver& driver, int row) {
    const bool before = driver.IsListRowChecked(IDC_USER_LIST, row);
    driver.ClickListRow(IDC_USER_LIST, row);
    driver.Focus(driver.Control(IDC_USER_LIST));
    driver.PressKeys({VK_SPACE});
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.IsListRowChecked(IDC_USER_LIST, row) != before; })) << row;
  }

  // Clicks "Apply plugin to all users"; the message box it showed, or "".
  static std::string ClickApplyToAllUsers(const DialogDriver& driver) {
    const bool before = driver.IsChecked(IDC_APPLY_TO_ALL_USERS);
    EXPECT_TRUE(driver.Click(IDC_APPLY_TO_ALL_USERS));
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.IsChecked(IDC_APPLY_TO_ALL_USERS) != before; }));
    // The click's handler has ended, or shows its message box, once the page answers.
    driver.Settle();
    return driver.WaitForMessageBox(0) != nullptr ? AnswerMessageBox(driver) : std::string();
  }
};

TEST_F(UserSetupPageTest, RowsShowTheAccessRightsInNameOrderWithTheirIconsAndTicks) {
  for (bool applyToAllUsers : {false, true}) {
    DialogDriver driver = OpenPage(WithAccounts(applyToAllUsers));
    std::vector<std::string> names, descriptions;
    std::vector<int> images;
    for (int row = 0; row < driver.ListRowCount(IDC_USER_LIST); ++row) {
      names.push_back(driver.ListText(IDC_USER_LIST, row, 0));
      descriptions.push_back(driver.ListText(IDC_USER_LIST, row, 1));
      images.push_back(driver.ListRowImage(IDC_USER_LIST, row));
      EXPECT_NE(driver.ListItemData(IDC_USER_LIST, row), 0) << row;
    }
    EXPECT_EQ(names, kRowNames);
    EXPECT_EQ(descriptions, kRowDescriptions);
    EXPECT_EQ(images, kRowImages);
    EXPECT_EQ(Ticks(driver), kStoredTicks);
    EXPECT_EQ(driver.IsChecked(IDC_APPLY_TO_ALL_USERS), applyToAllUsers);
    for (int control : {IDC_USER_LIST, IDC_USER_SET, IDC_USER_CLEAR}) {
      EXPECT_EQ(driver.IsEnabled(control), !applyToAllUsers) << control;
    }
    if (!applyToAllUsers) {
      EXPECT_TRUE(driver.Screenshot(ProgramDirectory() + "user_setup_page.png"));
    }
    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
    EXPECT_EQ(DialogResult(), ResultNotCompleted);
    CloseConsole();
  }
}

TEST_F(UserSetupPageTest, SetAndClearMenusTickOrUntickTheirRowsAndOkStoresTheTicks) {
  DialogDriver driver = OpenPage(WithAccounts(false));
  struct Step {
    int button;
    const char* item;  // "" dismisses the menu
    std::vector<bool> ticks;
  };
  const Step steps[] = {
      {IDC_USER_SET, "Set all groups", {true, false, true, true, true}},
      {IDC_USER_CLEAR, "Clear all users", {false, false, false, true, true}},
      {IDC_USER_SET, "Set everyone", {true, true, true, true, true}},
      {IDC_USER_CLEAR, "Clear everyone", {false, false, false, false, false}},
      {IDC_USER_SET, "Set all users", {true, true, true, false, false}},
      {IDC_USER_CLEAR, "Clear all groups", {true, true, true, false, false}},
      {IDC_USER_CLEAR, "Clear all users", {false, false, false, false, false}},
      {IDC_USER_SET, "Set all groups", {false, false, false, true, true}},
      {IDC_USER_CLEAR, "", {false, false, false, true, true}},
      {IDC_USER_SET, "", {false, false, false, true, true}},
  };
  for (const Step& step : steps) {
    Choose(driver, step.button, step.item);
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return Ticks(driver) == step.ticks; })) << "'" << step.item << "'";
  }
  // Nothing reaches the access rights before OK.
  EXPECT_EQ(RecordedStates(), kStoredTicks);

  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  EXPECT_EQ(RecordedStates(), steps[std::size(steps) - 1].ticks);
  EXPECT_EQ(ConsoleConfiguration().settings.applyToAllUsers, 0u);
}

TEST_F(UserSetupPageTest, ApplyToAllUsersGreysTheListAndOkStillStoresEveryTick) {
  DialogDriver driver = OpenPage(WithAccounts(false));
  Choose(driver, IDC_USER_CLEAR, "Clear everyone");
  Choose(driver, IDC_USER_SET, "Set all groups");
  const std::vector<bool> ticks = {false, false, false, true, true};
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return Ticks(driver) == ticks; }));

  // With rows in the list, unticking again shows no message.
  for (bool applyToAllUsers : {true, false, true}) {
    EXPECT_EQ(ClickApplyToAllUsers(driver), "");
    for (int control : {IDC_USER_LIST, IDC_USER_SET, IDC_USER_CLEAR}) {
      EXPECT_EQ(driver.IsEnabled(control), !applyToAllUsers) << control;
    }
  }
  EXPECT_FALSE(driver.Click(IDC_USER_SET));
  EXPECT_EQ(Ticks(driver), ticks);

  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  EXPECT_EQ(ConsoleConfiguration().settings.applyToAllUsers, 1u);
  EXPECT_EQ(RecordedStates(), ticks);
}

TEST_F(UserSetupPageTest, UntickingApplyToAllUsersOnAnEmptyListAsksForAReconnectEachTime) {
  StartConsole(PluginConfiguration());
  DialogDriver driver = OpenDialog();
  ShowPage(driver, "User setup");
  ASSERT_EQ(driver.ListRowCount(IDC_USER_LIST), 0);
  ASSERT_TRUE(driver.IsChecked(IDC_APPLY_TO_ALL_USERS));
  // Untick, tick, untick: a message for each untick, one at a time.
  for (const char* message : {kReconnectMessage, "", kReconnectMessage}) {
    EXPECT_EQ(ClickApplyToAllUsers(driver), message);
    EXPECT_EQ(driver.WaitForMessageBox(0), nullptr);
  }
  EXPECT_TRUE(driver.IsEnabled(IDC_USER_SET));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  const PluginConfiguration after = ConsoleConfiguration();
  EXPECT_EQ(after.settings.applyToAllUsers, 0u);
  EXPECT_TRUE(after.accessRights.Entries().empty());
}

TEST_F(UserSetupPageTest, CancelKeepsTheTicksAndTheSwitchAsTheyWere) {
  for (bool applyToAllUsers : {false, true}) {
    DialogDriver driver = OpenPage(WithAccounts(applyToAllUsers));
    const std::string before = ConsoleRecord();
    if (applyToAllUsers) {
      EXPECT_EQ(ClickApplyToAllUsers(driver), "");
    }
    Choose(driver, IDC_USER_CLEAR, "Clear everyone");
    ToggleRow(driver, 1);
    EXPECT_EQ(ClickApplyToAllUsers(driver), "");
    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
    EXPECT_EQ(DialogResult(), ResultNotCompleted);
    EXPECT_EQ(ConsoleRecord(), before) << applyToAllUsers;
    CloseConsole();
  }
}

// The console's record, carried to an engine process that applies and saves
// it: the users ticked on the page are filtered there and the others pass
// unfiltered.
TEST_F(UserSetupPageTest, TheEngineProcessFiltersTheUsersTickedOnThePage) {
  DialogDriver driver = OpenPage(WithAccounts(false));
  ToggleRow(driver, 0);  // alice: unticked
  ToggleRow(driver, 1);  // bob: ticked
  ASSERT_EQ(Ticks(driver), (std::vector<bool>{false, true, true, false, true}));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), ResultOk);
  const std::string consoleRecord = ConsoleRecord();
  CloseConsole();

  ApplyInEngineProcess(consoleRecord);
  const EngineRun run = RunEngine(kBlockedUrl, {"alice", "bob", "carol"});
  EXPECT_EQ(run.answers, (std::vector<uint32_t>{ResultIgnore, ResultReject, ResultReject}));
}

// Names the host publishes with capitals (Western European ones too) show
// as published, and once ticked are filtered in the engine process whatever
// the case of the name a request gives.
TEST_F(UserSetupPageTest, UsersPublishedWithCapitalsAreFilteredInAnyCase) {
  const Account accounts[] = {
      {"JSmith", "John Smith", false, false},
      {"J\xD6RG", "J\xF6rg Brandt", false, false},  // JÖRG in code page 1252
      {"Guest", "Visitors", false, false},
  };
  PluginConfiguration configuration;
  configuration.settings.applyToAllUsers = 0;
  configuration.settings.lists.InsertUrl({kBlockedUrl, avex::CategoryBlocked});
  std::vector<avex::HostUserRecord> records;
  for (const Account& account : accounts) {
    configuration.accessRights.Add(account.name, account.description, 0, 0, 0, 0);
    records.push_back({account.name, account.description, 0, 0, 0, 0, nullptr});
  }
  StartConsole(configuration);
  PublishUsers(records);
  DialogDriver driver = OpenDialog();
  ShowPage(driver, "User setup");
  std::vector<std::string> names;
  for (int row = 0; row < driver.ListRowCount(IDC_USER_LIST); ++row) {
    names.push_back(driver.ListText(IDC_USER_LIST, row, 0));
  }
  ASSERT_EQ(names, (std::vector<std::string>{"Guest", "JSmith", "J\xD6RG"}));
  ToggleRow(driver, 1);
  ToggleRow(driver, 2);
  EXPECT_TRUE(driver.Screenshot(ProgramDirectory() + "user_setup_page_capitals.png"));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), ResultOk);
  const std::string consoleRecord = ConsoleRecord();
  CloseConsole();

  ApplyInEngineProcess(consoleRecord);
  const EngineRun run = RunEngine(kBlockedUrl, {"jsmith", "JSMITH", "JSmith", "j\xF6rg", "J\xD6RG", "guest"});
  EXPECT_EQ(run.answers, (std::vector<uint32_t>{ResultReject, ResultReject, ResultReject, ResultReject,
                                                ResultReject, ResultIgnore}));
}

}  // namespace
