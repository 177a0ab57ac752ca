#include "plugin/plugin_application.h"

#include "common/help_contexts.h"
#include "config/settings_store.h"
#include "engine/engine_library.h"
#include "engine/engine_setup.h"
#include "platform/calling_conventions.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "platform/trace.h"
#include "plugin/plugin_names.h"
#include "plugin/scanning_interface.h"

namespace avex {

namespace {

constexpr uint16_t kHtmlHelpOrdinal = 14;
constexpr uint32_t kHelpContextCommand = 15;
constexpr size_t kInstallDirectoryBufferBytes = 260;

using HtmlHelpEntry = void*(AVEX_STDCALL*)(void* window, const char* file, uint32_t command,
                                           uintptr_t data);

size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

}  // namespace

PluginApplication& TheApplication() {
  static PluginApplication application;
  return application;
}

std::string DirectoryOfModulePath(const std::string& path) {
  const size_t cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string HelpFilePathFor(const std::string& modulePath) {
  std::string drive;
  std::string rest = modulePath;
  if (rest.size() >= 2 && rest[1] == ':') {
    drive = rest.substr(0, 2);
    rest = rest.substr(2);
  }
  const size_t cut = LastSeparator(rest);
  const std::string directory = cut == std::string::npos ? std::string() : rest.substr(0, cut + 1);
  return drive + directory + "aurivex.chm";
}

uint32_t PluginApplication::SetApiVersion(uint32_t hostVersion) {
  hostApiVersion_ = hostVersion;
  return 2;
}

const char* PluginApplication::DisplayName() const {
  return VersionAccepted() ? kDisplayName : kInvalidVersionName;
}

bool PluginApplication::SupportsService(int32_t service) const {
  return VersionAccepted() && service == 2;
}

void PluginApplication::MaintainVendorKey() {
  namespace registry = platform::registry;
  std::string modulePath;
  const auto writeInstallDirectory = [&] {
    if (modulePath.empty() && !platform::ModuleFileName(kModuleName, &modulePath)) return;
    const std::string directory = DirectoryOfModulePath(modulePath);
    registry::WriteString(kVendorKey, kVendorInstallDirectory, directory.c_str());
  };
  if (registry::KeyExists(kVendorKey)) {
    if (!registry::QueryString(kVendorKey, kVendorInstallDirectory, kInstallDirectoryBufferBytes)) {
      writeInstallDirectory();
    }
    return;
  }
  writeInstallDirectory();
  registry::WriteString(kVendorKey, kVendorBlk, kVendorBlkText);
}

int32_t PluginApplication::Start(int32_t startType, int32_t consoleFlag) {
  if (!VersionAccepted()) return 0;
  MaintainVendorKey();
  infoRecord_ = std::make_unique<PluginInfoRecord>(MakePluginInfoRecord());
  if (startType == 2 || startType == 3) return 1;

  platform::Trace(this, "Corvane Startup\n");
  // Only the engine process reads the registry; the console receives its
  // configuration through the transfer record. A process that could not
  // load the stored configuration whole must not run on another one: its
  // next save would put that over the stored tree.
  if (consoleFlag == 0) {
    bool whole = false;
    ChangeConfiguration([&](PluginConfiguration& loaded) {
      whole = LoadSettings(&loaded, &sharedDataLock_);
      loaded.settings.lists.PrepareIndex();
      return true;
    });
    if (!whole) {
      platform::Trace(this, "Corvane Startup refused: the stored settings could not be loaded\n");
      return 0;
    }
  }
  consoleMode_ = consoleFlag != 0;
  if (startType != 0) return 1;

  platform::Trace(this, "Loading ACR\n");
  std::string engineDirectory;
  if (!FindEngineDirectory(kModuleName, &engineDirectory)) return 1;
  return StartEngine(TheEngineLibrary(), &engine_, Configuration()->settings, engineDirectory) ? 1 : 0;
}

uint64_t PluginApplication::ChangeConfiguration(const std::function<bool(PluginConfiguration&)>& change,
                                                ConfigurationSnapshot* published) {
  std::lock_guard<std::mutex> serialised(changeMutex_);
  auto next = std::make_shared<PluginConfiguration>(*Configuration());
  if (!change(*next)) return 0;
  // Built here, outside the shared-data lock, so that no request builds it.
  next->accessRights.PrepareIndex();
  if (published != nullptr) *published = next;
  return Publish(std::move(next));
}

uint64_t PluginApplication::Publish(ConfigurationSnapshot next) {
  ConfigurationSnapshot replaced;
  SharedDataGuard guard(sharedDataLock_);
  if (!guard.Held()) return 0;
  return live_.Publish(std::move(next), &replaced);
}

void PluginApplication::Save(const ConfigurationSnapshot& snapshot, uint64_t order) {
  SaveSettings(*snapshot, order);
}

void PluginApplication::RegisterObject(ScanningInterface* object) {
  std::lock_guard<std::mutex> lock(liveObjectsMutex_);
  liveObjects_.insert(object);
}

void PluginApplication::UnregisterObject(ScanningInterface* object) {
  std::lock_guard<std::mutex> lock(liveObjectsMutex_);
  liveObjects_.erase(object);
}

int32_t PluginApplication::Stop() {
  {
    // Objects the host still holds must not call into an unloaded engine later.
    SharedDataGuard guard(sharedDataLock_);
    std::lock_guard<std::mutex> lock(liveObjectsMutex_);
    for (ScanningInterface* object : liveObjects_) object->ReleaseEngineObjects();
  }
  ShutDownEngine(TheEngineLibrary(), &engine_);
  infoRecord_.reset();
  ChangeConfiguration([](PluginConfiguration& stopped) {
    stopped.responses.Clear();
    return true;
  });
  return 1;
}

int32_t PluginApplication::ReleaseInterface(ScanningInterfaceBase* object) {
  if (!VersionAccepted() || object == nullptr) return 0;
  try {
    object->Destroy();
  } catch (...) {
    return 0;
  }
  return 1;
}

void PluginApplication::ShowHelp(uint32_t context) {
  if (htmlHelpLibrary_ == nullptr) {
    uint32_t error = 0;
    htmlHelpLibrary_ = platform::OpenLibrary("hhctrl.ocx", &error);
    if (htmlHelpLibrary_ == nullptr) return;
    htmlHelpEntry_ = platform::LibraryOrdinal(htmlHelpLibrary_, kHtmlHelpOrdinal, &error);
  }
  if (htmlHelpEntry_ == nullptr) return;
  if (helpFilePath_.empty()) {
    std::string modulePath;
    if (platform::ModuleFileName(kModuleName, &modulePath)) helpFilePath_ = HelpFilePathFor(modulePath);
  }
  if (helpFilePath_.empty()) return;
  reinterpret_cast<HtmlHelpEntry>(htmlHelpEntry_)(mainWindow_, helpFilePath_.c_str(),
                                                  kHelpContextCommand, context);
}

void PluginApplication::ContextHelpRequest() {
  if (mainWindow_ == nullptr) return;
  ShowHelp(mainWindowTopics_ != nullptr ? mainWindowTopics_->ActiveHelpTopic() : IDH_ABOUT);
}

}  // namespace avex
