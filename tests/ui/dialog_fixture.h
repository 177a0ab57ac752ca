// The fixture of the dialog tests: the console as the host starts it, the
// configuration dialog of the real AVex.dll opened through the host's slot
// table on a thread of its own (the console's user-interface thread), worked
// through DialogDriver, and the record GetConfiguration returns afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/result_codes.h"
#include "config/plugin_configuration.h"
#include "host/scanning_table.h"
#include "host/win32/dialog_driver.h"
#include "platform/process.h"
#include "platform/thread_id.h"
#include "plugin/configuration_record.h"
#include "tests/configuration_bytes.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"

namespace avex::testing {

using avex::PluginConfiguration;
using avex::ResultIgnore;
using avex::ResultNotCompleted;
using avex::ResultOk;
using avex::ResultPass;
using avex::ResultReject;
using avex::host::DialogDriver;

inline constexpr char kRangeMessage[] = "Please enter an integer between 1 and 2147483647.";

class DialogTest : public LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    // A run without a display has not tested the dialog, so it must not pass.
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) {
      FAIL() << "the dialog needs a display (DISPLAY); ./avex test gives it a virtual one";
    }
  }

  void TearDown() override {
    CloseConsole();
    LoadedPluginTest::TearDown();
  }

  // The console as the host starts it, with `configuration` carried over
  // from the engine process.
  void StartConsole(const PluginConfiguration& configuration) {
    if (!plugin_.Loaded()) Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 1), 1);
    console_ = plug_.PlugFabricateInterface();
    ASSERT_NE(console_, nullptr);
    Slots().SetNoSaveFlag(console_, 1);
    const std::string record = RecordOf(configuration);
    ASSERT_EQ(Slots().ApplyConfiguration(console_, record.data(), static_cast<uint32_t>(record.size())), 0u);
  }

  void CloseConsole() {
    CloseDialog();
    if (console_ != nullptr) {
      plug_.PlugReleaseInterface(console_);
      plug_.PlugStop();
      console_ = nullptr;
    }
  }

  // A test that failed half-way leaves the dialog open, perhaps behind a
  // message box or a file dialog: close them as a person would. A dialog that
  // will not close ends the test program with a message, so that a fault
  // never stalls the whole run.
  void CloseDialog() {
    if (!dialogThread_.joinable()) return;
    DialogDriver::WaitFor(
        [&] {
          if (dialogEnded_) return true;
          EnumThreadWindows(uiThread_, CloseWindowAsAPersonWould, reinterpret_cast<LPARAM>(dialog_));
          return dialogEnded_.load();
        },
        kCloseWait);
    if (!dialogEnded_) {
      std::fprintf(stderr, "the configuration dialog does not close; ending the test program\n");
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    }
    dialogThread_.join();
    dialog_ = nullptr;
  }

  // The configuration dialog is cancelled; a message box is answered, a file
  // dialog cancelled, a menu dismissed.
  static BOOL CALLBACK CloseWindowAsAPersonWould(HWND window, LPARAM configurationDialog) {
    PostMessageA(window, WM_CANCELMODE, 0, 0);
    if (window != reinterpret_cast<HWND>(configurationDialog)) PostMessageA(window, WM_COMMAND, IDOK, 0);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  const avex::host::ScanningObjectTable& Slots() const { return avex::host::TableOf(console_); }

  // Opens the dialog on a thread of its own, the console's user-interface
  // thread, and waits until it shows its first page.
  DialogDriver OpenDialog() {
    uiThread_ = 0;
    dialogEnded_ = false;
    dialogThread_ = std::thread([this] {
      uiThread_ = avex::platform::CurrentThreadId();
      dialogResult_ = Slots().ShowConfiguration(console_, nullptr);
      dialogEnded_ = true;
    });
    DialogDriver::WaitFor([&] { return uiThread_ != 0; });
    dialog_ = DialogDriver::WaitForDialog(uiThread_);
    EXPECT_NE(dialog_, nullptr) << "the dialog did not appear";
    return DialogDriver(dialog_);
  }

  // Waits for the dialog to close; what ShowConfiguration answered.
  // Waits for the dialog to close; what ShowConfiguration answered. A dialog
  // still open after a long wait has kept a message box or a page open that
  // the test did not expect: a failure, and the dialog is closed.
  uint32_t DialogResult() {
    if (dialogThread_.joinable() && !DialogDriver::WaitFor([&] { return dialogEnded_.load(); }, kCloseWait)) {
      HWND box = dialog_ == nullptr ? nullptr : DialogDriver(dialog_).WaitForMessageBox(0);
      ADD_FAILURE() << "the dialog is still open"
                    << (box != nullptr ? ", showing \"" + DialogDriver::MessageBoxText(box) + "\"" : std::string());
    }
    CloseDialog();
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

  // The users and groups the host publishes to the console when it connects.
  void PublishUsers(const std::vector<avex::HostUserRecord>& users) {
    std::vector<avex::HostUserRecord> records = users;
    std::vector<avex::HostUserRecord*> pointers;
    for (avex::HostUserRecord& record : records) pointers.push_back(&record);
    const avex::HostUserDatabase database = {static_cast<uint32_t>(pointers.size()), pointers.data()};
    ASSERT_EQ(Slots().SetUserDatabase(console_, &database), ResultOk);
  }

  // An engine process (the harness, a process of its own) applies and saves `record`.
  void ApplyInEngineProcess(const std::string& record) {
    const std::string directory = ProgramDirectory();
    const std::string recordFile = directory + "console_record.cfg";
    std::ofstream(recordFile, std::ios::binary).write(record.data(), static_cast<std::streamsize>(record.size()));
    {
      avex::platform::ChildProcess engineProcess;
      EXPECT_TRUE(engineProcess.Start({directory + "avexhost.exe", directory + "AVex.dll", "--start-type", "1",
                                       "--console", "0", "config", "apply", recordFile}));
      EXPECT_EQ(engineProcess.Wait(), 0);
    }
    std::remove(recordFile.c_str());
  }

  struct EngineRun {
    std::vector<uint32_t> answers;  // SetSource's, one per user
    size_t logLines = 0;
  };

  // An engine start in this process, with the settings the last engine
  // process saved: what SetSource answers for `url` asked by each of `users`,
  // and the event lines logged meanwhile.
  EngineRun RunEngine(const std::string& url, const std::vector<std::string>& users) {
    EngineRun run;
    plug_.PlugApiVersion(2);
    EXPECT_EQ(plug_.PlugStart(1, 0), 1);
    void* engine = plug_.PlugFabricateInterface();
    if (engine == nullptr) return run;
    KeepingLogger logger;
    const avex::host::ScanningObjectTable& slots = avex::host::TableOf(engine);
    slots.SetLogger(engine, &logger);
    for (const std::string& user : users) {
      slots.Reset(engine, 1);
      run.answers.push_back(slots.SetSource(engine, url.c_str(), "text/html", 0x0A000001, user.c_str()));
    }
    plug_.PlugReleaseInterface(engine);
    plug_.PlugStop();
    run.logLines = logger.lines.size();
    return run;
  }

  void* console_ = nullptr;
  // How long a dialog may take to close before the test gives up on it: far
  // beyond what any close takes, only so that a fault cannot stall the run.
  static constexpr DWORD kCloseWait = 120000;  // ms

  std::thread dialogThread_;
  std::atomic<uint32_t> uiThread_{0};
  std::atomic<bool> dialogEnded_{false};
  HWND dialog_ = nullptr;
  std::atomic<uint32_t> dialogResult_{0xFFFFFFFF};
};

}  // namespace avex::testing
