// The configuration dialog's frame and its Misc settings, Logging and About
// pages, opened by the console's ShowConfiguration through the host's slot
// table and worked only as a person could: tree items, typing, clicks, keys
// and message boxes. What the dialog did is read back from the record
// GetConfiguration returns.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::PluginConfiguration;
using avex::host::DialogDriver;
using namespace avex::testing;

class ConfigurationDialogTest : public DialogTest {};

TEST_F(ConfigurationDialogTest, TreeListsThePagesInOrderWithTheLoggingPageOnlyForALoggingHost) {
  struct Case {
    uint32_t hostLoggingCapable;
    std::vector<std::string> titles;
    std::vector<int> icons;
  };
  const Case cases[] = {
      {0,
       {"Filtered categories", "Manual classifications", "User setup", "Misc settings", "Custom responses",
        "Test URL", "About"},
       {0, 3, 1, 13, 6, 12, 5}},
      {1,
       {"Filtered categories", "Manual classifications", "User setup", "Misc settings", "Custom responses",
        "Test URL", "Logging", "About"},
       {0, 3, 1, 13, 6, 12, 14, 5}},
  };
  for (const Case& c : cases) {
    PluginConfiguration configuration;
    configuration.hostLoggingCapable = c.hostLoggingCapable;
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    EXPECT_EQ(driver.TreeItems(), c.titles);
    EXPECT_EQ(driver.TreeItemImages(), c.icons);
    EXPECT_EQ(driver.ActivePageTitle(), "Filtered categories");
    EXPECT_EQ(driver.SelectedTreeItem(), "Filtered categories");
    // OK without a change gives back the record as it came.
    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
    EXPECT_EQ(DialogResult(), ResultOk);
    EXPECT_EQ(ConsoleRecord(), RecordOf(configuration));
    CloseConsole();
  }
}

TEST_F(ConfigurationDialogTest, EscapeClosesWithoutOkAndChangesNothing) {
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  configuration.settings.staticListUpdateInterval = 30;
  const std::string before = RecordOf(configuration);
  // Escape inside a page, and on the dialog's own controls.
  for (bool insidePage : {true, false}) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Misc settings");
    driver.Type(IDC_UPDATE_INTERVAL, "45");
    driver.Focus(insidePage ? driver.Control(IDC_UPDATE_SERVER) : driver.Tree());
    driver.PressKeys({VK_ESCAPE});
    EXPECT_EQ(DialogResult(), ResultNotCompleted) << (insidePage ? "in the page" : "in the tree");
    EXPECT_EQ(ConsoleRecord(), before);
    CloseConsole();
  }
}

TEST_F(ConfigurationDialogTest, EnterDoesNotCloseTheDialogFromItsButtonsOrTree) {
  StartConsole(PluginConfiguration());
  DialogDriver driver = OpenDialog();
  for (HWND target : {driver.Control(IDC_CONFIGURATION_OK), driver.Tree()}) {
    driver.Focus(target);
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.FocusedControl() == target; }));
    driver.PressKeys({VK_RETURN});
    EXPECT_TRUE(IsWindowVisible(driver.Dialog()));
    EXPECT_EQ(driver.FocusedControl(), target);
  }
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
}

TEST_F(ConfigurationDialogTest, AnIntervalOutsideItsRangeKeepsTheMiscPageShowing) {
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  configuration.settings.useStaticListUpdates = 1;
  configuration.settings.staticListUpdateInterval = 30;
  for (const char* interval : {"0", "-5", "", "ten", "2147483648"}) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    // A change on the Logging page, which comes after the Misc page when OK applies the pages.
    ShowPage(driver, "Logging");
    ASSERT_TRUE(driver.Click(IDC_LOGGING_OFF));
    ShowPage(driver, "Misc settings");
    driver.Type(IDC_UPDATE_INTERVAL, interval);

    ASSERT_TRUE(driver.SelectTreeItem("About"));
    EXPECT_EQ(AnswerMessageBox(driver), kRangeMessage) << "'" << interval << "'";
    EXPECT_EQ(driver.ActivePageTitle(), "Misc settings");
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.SelectedTreeItem() == "Misc settings"; }));
    EXPECT_EQ(driver.FocusedControl(), driver.Control(IDC_UPDATE_INTERVAL));

    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
    EXPECT_EQ(AnswerMessageBox(driver), kRangeMessage) << "'" << interval << "'";
    EXPECT_EQ(driver.ActivePageTitle(), "Misc settings");
    EXPECT_TRUE(IsWindowVisible(driver.Dialog()));

    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
    EXPECT_EQ(DialogResult(), ResultNotCompleted);
    const PluginConfiguration after = ConsoleConfiguration();
    EXPECT_EQ(after.settings.staticListUpdateInterval, 30u);
    EXPECT_EQ(after.logging.enabled, 1u) << "the Logging page applied after a refusal";
    CloseConsole();
  }
}

TEST_F(ConfigurationDialogTest, MiscSettingsAreStoredOnOkWithPort80) {
  for (const char* interval : {"1", "2147483647"}) {
    PluginConfiguration configuration;
    configuration.settings.useStaticListUpdates = 1;
    configuration.updateServer = {"old.example", 8080};
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Misc settings");
    EXPECT_TRUE(driver.IsChecked(IDC_AUTOMATIC_UPDATES));
    EXPECT_EQ(driver.Text(IDC_UPDATE_INTERVAL), "1440");
    EXPECT_EQ(driver.Text(IDC_UPDATE_SERVER), "old.example");
    driver.Type(IDC_UPDATE_INTERVAL, interval);
    driver.Type(IDC_UPDATE_SERVER, "updates.school.example");
    // Turning updates off greys both boxes and keeps what they hold.
    ASSERT_TRUE(driver.Click(IDC_AUTOMATIC_UPDATES));
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return !driver.IsEnabled(IDC_UPDATE_INTERVAL); }));
    EXPECT_FALSE(driver.IsEnabled(IDC_UPDATE_SERVER));
    EXPECT_EQ(driver.Text(IDC_UPDATE_INTERVAL), interval);

    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
    EXPECT_EQ(DialogResult(), ResultOk);
    const PluginConfiguration after = ConsoleConfiguration();
    EXPECT_EQ(after.settings.useStaticListUpdates, 0u);
    EXPECT_EQ(std::to_string(after.settings.staticListUpdateInterval), interval);
    EXPECT_EQ(after.updateServer.name, "updates.school.example");
    EXPECT_EQ(after.updateServer.port, 80u);
    CloseConsole();
  }
}

TEST_F(ConfigurationDialogTest, LoggingOffGreysTheEventBoxesAndKeepsTheirTicks) {
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  configuration.logging.logAllowed = false;
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  ShowPage(driver, "Logging");
  const int boxes[] = {IDC_LOG_BLOCKED, IDC_LOG_ALLOWED, IDC_LOG_CONFIGURATION_CHANGES};
  const bool ticks[] = {true, false, true};
  EXPECT_TRUE(driver.IsChecked(IDC_LOGGING_ON));
  for (bool logging : {false, true, false}) {
    ASSERT_TRUE(driver.Click(logging ? IDC_LOGGING_ON : IDC_LOGGING_OFF));
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.IsEnabled(IDC_LOG_BLOCKED) == logging; }));
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(driver.IsEnabled(boxes[i]), logging) << boxes[i];
      EXPECT_EQ(driver.IsChecked(boxes[i]), ticks[i]) << boxes[i];
    }
  }
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  const PluginConfiguration after = ConsoleConfiguration();
  EXPECT_EQ(after.logging.enabled, 0u);
  EXPECT_TRUE(after.logging.logBlocked);
  EXPECT_FALSE(after.logging.logAllowed);
  EXPECT_TRUE(after.logging.logConfigurationChanges);
}

TEST_F(ConfigurationDialogTest, KeysMoveBetweenPagesAndOutOfThem) {
  PluginConfiguration configuration;
  configuration.settings.useStaticListUpdates = 1;
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  driver.Focus(driver.Tree());
  driver.PressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == "Manual classifications"; }));
  EXPECT_EQ(driver.SelectedTreeItem(), "Manual classifications");
  driver.PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  driver.PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == "About"; }));
  driver.PressKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == "Filtered categories"; }));

  // Tab on a page's last control goes on to OK; Shift+Tab on its first back to the tree.
  ShowPage(driver, "Misc settings");
  driver.Focus(driver.Control(IDC_UPDATE_SERVER));
  driver.PressKeys({VK_TAB});
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.FocusedControl() == driver.Control(IDC_CONFIGURATION_OK); }));
  driver.Focus(driver.Control(IDC_AUTOMATIC_UPDATES));
  driver.PressKeys({VK_SHIFT, VK_TAB});
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.FocusedControl() == driver.Tree(); }));
  EXPECT_EQ(driver.ActivePageTitle(), "Misc settings");

  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
}

TEST_F(ConfigurationDialogTest, HelpAndF1OpenTheTopicOfTheActivePage) {
  const std::string journal = ProgramDirectory() + "help_journal.txt";
  std::remove(journal.c_str());
  SetEnvironmentVariableA("AVEX_HELP_JOURNAL", journal.c_str());
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  struct Case {
    const char* page;
    bool f1;
    uint32_t topic;
  };
  const Case cases[] = {
      {"Filtered categories", false, 6510}, {"Filtered categories", true, 6510}, {"Misc settings", false, 6540},
      {"Misc settings", true, 6540},        {"Logging", false, 6570},            {"About", false, 6500},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    ShowPage(driver, c.page);
    if (c.f1) {
      // F1 wherever the focus is: in a page's control or in the tree.
      HWND first = driver.Control(IDC_AUTOMATIC_UPDATES);
      driver.Focus(first != nullptr ? first : driver.Tree());
      driver.PressKeys({VK_F1});
    } else {
      ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_HELP));
      driver.Settle();
    }
    char line[512];
    std::snprintf(line, sizeof line, "%p|%saurivex.chm|15|%u", static_cast<void*>(driver.Dialog()),
                  ProgramDirectory().c_str(), c.topic);
    expected.push_back(line);
  }
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
  SetEnvironmentVariableA("AVEX_HELP_JOURNAL", nullptr);

  std::ifstream file(journal);
  std::vector<std::string> calls;
  for (std::string call; std::getline(file, call);) calls.push_back(call);
  EXPECT_EQ(calls, expected);
}

// The console's record, carried to an engine process that applies and saves
// it, changes what the next engine start does: here, logging turned off.
TEST_F(ConfigurationDialogTest, ConsoleRecordChangesTheEngineProcess) {
  ASSERT_TRUE(avex::platform::registry::WriteDword(kHostSettingsKey, "SessionLoggingCapable", 1));
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  configuration.settings.lists.InsertUrl({"http://blocked.example/page", avex::CategoryBlocked});
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  ShowPage(driver, "Logging");
  ASSERT_TRUE(driver.Click(IDC_LOGGING_OFF));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), ResultOk);
  const std::string consoleRecord = ConsoleRecord();
  CloseConsole();

  // The blocked request logs a line under the engine's old configuration,
  // none after the console's.
  const char* url = "http://blocked.example/page";
  ApplyInEngineProcess(RecordOf(configuration));
  const EngineRun before = RunEngine(url, {"pupil"});
  EXPECT_EQ(before.answers, std::vector<uint32_t>{ResultReject});
  EXPECT_EQ(before.logLines, 1u);
  ApplyInEngineProcess(consoleRecord);
  const EngineRun after = RunEngine(url, {"pupil"});
  EXPECT_EQ(after.answers, std::vector<uint32_t>{ResultReject});
  EXPECT_EQ(after.logLines, 0u);
}

}  // namespace
