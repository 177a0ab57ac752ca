// How the Manual classifications page copes with large lists, in the real
// AVex.dll of the console under Wine, worked through the dialog driver: for
// 1,000, 10,000 and 100,000 entries in each of the three lists, the time to
// open the dialog and show the page, to import a file of as many new lines,
// to export all rows, and for OK to write them back; and the process's
// memory with the page open.
//
//   bench_manual_list_dialog.exe [ENTRIES...]     (Windows build, needs a display)
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "config/plugin_configuration.h"
#include "host/plugin_library.h"
#include "host/scanning_table.h"
#include "host/win32/dialog_driver.h"
#include "platform/modules.h"
#include "platform/thread_id.h"
#include "plugin/configuration_record.h"
#include "resources/resource_ids.h"

namespace {

using avex::host::DialogDriver;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double WorkingSetMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize / (1024.0 * 1024.0);
}

std::string Directory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory = path;
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

std::string RecordWithLists(size_t entries) {
  avex::PluginConfiguration configuration;
  for (size_t i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    configuration.settings.lists.AppendPartial({"fragment-" + n, 2});
    configuration.settings.lists.InsertSite({"site-" + n + ".example", avex::CategoryAllowed});
    configuration.settings.lists.InsertUrl({"http://url-" + n + ".example/page", avex::CategoryBlocked});
  }
  std::string record(avex::WriteConfigurationRecord(configuration, nullptr, 0), '\0');
  avex::WriteConfigurationRecord(configuration, &record[0], static_cast<uint32_t>(record.size()));
  return record;
}

void WriteImportFile(const std::string& path, size_t lines) {
  std::ofstream file(path, std::ios::binary);
  for (size_t i = 0; i < lines; ++i) file << "imported-" << i << ".example|Site|Gambling\n";
}

struct Figures {
  double open = 0;
  double import = 0;
  double exportAll = 0;
  double ok = 0;
  double megabytesBefore = 0;
  double megabytesOpen = 0;
};

bool Measure(const avex::host::PluginExports& plug, size_t entries, Figures* figures) {
  void* console = plug.PlugFabricateInterface();
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(console);
  slots.SetNoSaveFlag(console, 1);
  const std::string record = RecordWithLists(entries);
  slots.ApplyConfiguration(console, record.data(), static_cast<uint32_t>(record.size()));
  const std::string importFile = Directory() + "bench_import.txt";
  const std::string exportFile = Directory() + "bench_export.txt";
  WriteImportFile(importFile, entries);
  std::remove(exportFile.c_str());
  figures->megabytesBefore = WorkingSetMegabytes();

  std::atomic<uint32_t> uiThread{0};
  Clock::time_point start = Clock::now();
  std::thread dialogThread([&] {
    uiThread = avex::platform::CurrentThreadId();
    slots.ShowConfiguration(console, nullptr);
  });
  DialogDriver::WaitFor([&] { return uiThread != 0; });
  HWND dialog = DialogDriver::WaitForDialog(uiThread, 60000);
  bool ok = dialog != nullptr;
  if (ok) {
    DialogDriver driver(dialog);
    const int rows = static_cast<int>(entries * 3);
    driver.SelectTreeItem("Manual classifications");
    ok = DialogDriver::WaitFor(
        [&] {
          return driver.ActivePageTitle() == "Manual classifications" && driver.ListRowCount(IDC_MANUAL_LIST) == rows;
        },
        60000);
    figures->open = SecondsSince(start);
    figures->megabytesOpen = WorkingSetMegabytes();

    ok = ok && driver.Click(IDC_MANUAL_IMPORT);
    start = Clock::now();
    ok = ok && driver.AnswerFileDialog(importFile, 60000) &&
         DialogDriver::WaitFor([&] { return driver.ListRowCount(IDC_MANUAL_LIST) == rows * 4 / 3; }, 60000);
    figures->import = SecondsSince(start);

    ok = ok && driver.Click(IDC_MANUAL_EXPORT);
    start = Clock::now();
    HWND done = nullptr;
    ok = ok && driver.AnswerFileDialog(exportFile, 60000) && (done = driver.WaitForMessageBox(60000)) != nullptr;
    figures->exportAll = SecondsSince(start);
    if (done != nullptr) DialogDriver::AnswerMessageBox(done, IDOK);
    DialogDriver::WaitFor([&] { return done == nullptr || !IsWindow(done); });

    start = Clock::now();
    ok = ok && driver.Click(IDC_CONFIGURATION_OK);
    if (!ok) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  dialogThread.join();
  figures->ok = SecondsSince(start);
  plug.PlugReleaseInterface(console);
  std::remove(importFile.c_str());
  std::remove(exportFile.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<size_t> sizes = {1000, 10000, 100000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoul(argv[i], nullptr, 10));
  }
  avex::host::PluginLibrary plugin;
  std::string error;
  if (!plugin.Load(avex::host::PluginBesideThisProgram(), &error)) {
    std::printf("%s\n", error.c_str());
    return 1;
  }
  plugin.Start(1, 1);
  const avex::host::PluginExports& plug = plugin.Exports();
  std::printf("Manual classifications page, entries in each of the three lists (seconds; working set MB)\n");
  std::printf("%10s %8s %8s %8s %8s %10s %10s\n", "entries", "open", "import", "export", "OK", "MB before",
              "MB open");
  for (size_t entries : sizes) {
    Figures figures;
    const bool ok = Measure(plug, entries, &figures);
    std::printf("%10zu %8.3f %8.3f %8.3f %8.3f %10.1f %10.1f%s\n", entries, figures.open, figures.import,
                figures.exportAll, figures.ok, figures.megabytesBefore, figures.megabytesOpen,
                ok ? "" : "  (the dialog did not do what was asked)");
    std::fflush(stdout);
  }
  plug.PlugStop();
  return 0;
}
