// The configuration dialog of the real AVex.dll, opened by the console's
// ShowConfiguration through the host's slot table and worked only as a
// person could: tree items, typing, clicks, keys and message boxes. What the
// dialog did is read back from the record GetConfiguration returns.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "config/plugin_configuration.h"
#include "host/scanning_table.h"
#include "host/win32/dialog_driver.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/thread_id.h"
#include "plugin/configuration_record.h"
#include "resources/resource_ids.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"

namespace {

using avex::PluginConfiguration;
using avex::host::DialogDriver;

constexpr uint32_t kResultOk = 0;
constexpr uint32_t kResultNotCompleted = 0x80000005;
constexpr uint32_t kResultReject = 0x41000000;
constexpr char kRangeMessage[] = "Please enter an integer between 1 and 2147483647.";

std::string RecordOf(const PluginConfiguration& configuration) {
  std::string record(avex::WriteConfigurationRecord(configuration, nullptr, 0), '\0');
  avex::WriteConfigurationRecord(configuration, &record[0], static_cast<uint32_t>(record.size()));
  return record;
}

class ConfigurationDialogTest : public avex::testing::LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "the dialog needs a display";
  }

  void TearDown() override {
    CloseConsole();
    LoadedPluginTest::TearDown();
  }

  // The console as the host starts it, with `configuration` carried over
  // from the engine process.
  void StartConsole(const PluginConfiguration& configuration) {
    if (library_ == nullptr) Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 1), 1);
    console_ = plug_.PlugFabricateInterface();
    ASSERT_NE(console_, nullptr);
    Slots().SetNoSaveFlag(console_, 1);
    const std::string record = RecordOf(configuration);
    ASSERT_EQ(Slots().ApplyConfiguration(console_, record.data(), static_cast<uint32_t>(record.size())), 0u);
  }

  void CloseConsole() {
    if (dialogThread_.joinable()) {
      // A test that failed half-way leaves the dialog open: close it as a person would.
      if (dialog_ != nullptr) {
        DialogDriver::WaitFor([&] {
          DialogDriver driver(dialog_);
          if (HWND box = driver.WaitForMessageBox(0)) DialogDriver::AnswerMessageBox(box, IDOK);
          PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
          return !IsWindow(dialog_);
        });
      }
      dialogThread_.join();
    }
    if (console_ != nullptr) {
      plug_.PlugReleaseInterface(console_);
      plug_.PlugStop();
      console_ = nullptr;
    }
  }

  const avex::host::ScanningObjectTable& Slots() const { return avex::host::TableOf(console_); }

  // Opens the dialog on a thread of its own, the console's user-interface
  // thread, and waits until it shows its first page.
  DialogDriver OpenDialog() {
    std::atomic<uint32_t> uiThread{0};
    dialogThread_ = std::thread([this, &uiThread] {
      uiThread = avex::platform::CurrentThreadId();
      dialogResult_ = Slots().ShowConfiguration(console_, nullptr);
    });
    DialogDriver::WaitFor([&] { return uiThread != 0; });
    dialog_ = DialogDriver::WaitForDialog(uiThread);
    EXPECT_NE(dialog_, nullptr) << "the dialog did not appear";
    return DialogDriver(dialog_);
  }

  // Waits for the dialog to close; what ShowConfiguration answered.
  uint32_t DialogResult() {
    if (dialogThread_.joinable()) dialogThread_.join();
    dialog_ = nullptr;
    return dialogResult_;
  }

  std::string ConsoleRecord() {
    uint32_t size = 0;
    std::string record(Slots().GetConfiguration(console_, nullptr, &size), '\0');
    EXPECT_EQ(Slots().GetConfiguration(console_, &record[0], &size), 0u);
    return record;
  }

  PluginConfiguration ConsoleConfiguration() {
    const std::string record = ConsoleRecord();
    PluginConfiguration configuration;
    EXPECT_TRUE(avex::ReadConfigurationRecord(record.data(), static_cast<uint32_t>(record.size()), &configuration));
    return configuration;
  }

  // Selects a page in the tree and waits until it shows.
  static void ShowPage(const DialogDriver& driver, const std::string& title) {
    ASSERT_TRUE(driver.SelectTreeItem(title)) << title;
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.ActivePageTitle() == title; })) << title;
  }

  // Answers the message box the dialog shows with OK; its text.
  static std::string AnswerMessageBox(const DialogDriver& driver) {
    HWND box = driver.WaitForMessageBox();
    if (box == nullptr) return "(no message box)";
    const std::string text = DialogDriver::MessageBoxText(box);
    DialogDriver::AnswerMessageBox(box, IDOK);
    DialogDriver::WaitFor([&] { return !IsWindow(box); });
    return text;
  }

  // An engine process (the harness, a process of its own) applies and saves
  // `record`; then an engine start in this process blocks a listed URL. The
  // event lines it logged.
  size_t EngineLogLinesAfterApplying(const std::string& record) {
    const std::string directory = avex::testing::ProgramDirectory();
    const std::string recordFile = directory + "console_record.cfg";
    std::ofstream(recordFile, std::ios::binary).write(record.data(), static_cast<std::streamsize>(record.size()));
    {
      avex::platform::ChildProcess engineProcess;
      EXPECT_TRUE(engineProcess.Start({directory + "avexhost.exe", directory + "AVex.dll", "--start-type", "1",
                                       "--console", "0", "config", "apply", recordFile}));
      EXPECT_EQ(engineProcess.Wait(), 0);
    }
    std::remove(recordFile.c_str());

    plug_.PlugApiVersion(2);
    EXPECT_EQ(plug_.PlugStart(1, 0), 1);
    void* engine = plug_.PlugFabricateInterface();
    if (engine == nullptr) return 0;
    avex::testing::KeepingLogger logger;
    const avex::host::ScanningObjectTable& slots = avex::host::TableOf(engine);
    slots.SetLogger(engine, &logger);
    slots.Reset(engine, 1);
    EXPECT_EQ(slots.SetSource(engine, "http://blocked.example/page", "text/html", 0x0A000001, "pupil"),
              kResultReject);
    plug_.PlugReleaseInterface(engine);
    plug_.PlugStop();
    return logger.lines.size();
  }

  void* console_ = nullptr;
  std::thread dialogThread_;
  HWND dialog_ = nullptr;
  std::atomic<uint32_t> dialogResult_{0xFFFFFFFF};
};

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
    EXPECT_EQ(DialogResult(), kResultOk);
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
    EXPECT_EQ(DialogResult(), kResultNotCompleted) << (insidePage ? "in the page" : "in the tree");
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
  EXPECT_EQ(DialogResult(), kResultNotCompleted);
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
    EXPECT_EQ(DialogResult(), kResultNotCompleted);
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
    EXPECT_EQ(DialogResult(), kResultOk);
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
  EXPECT_EQ(DialogResult(), kResultOk);
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
  EXPECT_EQ(DialogResult(), kResultNotCompleted);
}

TEST_F(ConfigurationDialogTest, HelpAndF1OpenTheTopicOfTheActivePage) {
  const std::string journal = avex::testing::ProgramDirectory() + "help_journal.txt";
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
                  avex::testing::ProgramDirectory().c_str(), c.topic);
    expected.push_back(line);
  }
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), kResultNotCompleted);
  SetEnvironmentVariableA("AVEX_HELP_JOURNAL", nullptr);

  std::ifstream file(journal);
  std::vector<std::string> calls;
  for (std::string call; std::getline(file, call);) calls.push_back(call);
  EXPECT_EQ(calls, expected);
}

// The console's record, carried to an engine process that applies and saves
// it, changes what the next engine start does: here, logging turned off.
TEST_F(ConfigurationDialogTest, ConsoleRecordChangesTheEngineProcess) {
  ASSERT_TRUE(avex::platform::registry::WriteDword(avex::testing::kHostSettingsKey, "SessionLoggingCapable", 1));
  PluginConfiguration configuration;
  configuration.hostLoggingCapable = 1;
  configuration.settings.lists.InsertUrl({"http://blocked.example/page", avex::CategoryBlocked});
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  ShowPage(driver, "Logging");
  ASSERT_TRUE(driver.Click(IDC_LOGGING_OFF));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), kResultOk);
  const std::string consoleRecord = ConsoleRecord();
  CloseConsole();

  // The blocked request logs a line under the engine's old configuration,
  // none after the console's.
  EXPECT_EQ(EngineLogLinesAfterApplying(RecordOf(configuration)), 1u);
  EXPECT_EQ(EngineLogLinesAfterApplying(consoleRecord), 0u);
}

}  // namespace
