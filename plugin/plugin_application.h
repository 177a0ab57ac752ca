// PluginApplication: the one process-wide object of the plug-in.
//
// It is constructed when the library is loaded and only sets values then (no
// registry, mutex or library work may run under the system loader lock). The
// exports forward to it. The host calls it from its own threads; Start and
// Stop take no lock of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "config/live_configuration.h"
#include "config/shared_data_lock.h"
#include "engine/engine_references.h"
#include "plugin/plugin_info_record.h"
#include "plugin/scanning_interface_base.h"

namespace avex {

class ScanningInterface;

// What the main window (the configuration dialog) tells the help: the topic
// of the page it shows.
class HelpTopicSource {
 public:
  virtual uint32_t ActiveHelpTopic() const = 0;

 protected:
  ~HelpTopicSource() = default;
};

class PluginApplication {
 public:
  PluginApplication() = default;
  // With a shared-data lock of its own name and timeout, so that tests can
  // hold it from elsewhere without waiting two minutes.
  PluginApplication(const std::string& lockName, uint32_t lockTimeoutMs)
      : sharedDataLock_(lockName, lockTimeoutMs) {}
  PluginApplication(const PluginApplication&) = delete;
  PluginApplication& operator=(const PluginApplication&) = delete;

  // Stores the host's interface version; always answers 2.
  uint32_t SetApiVersion(uint32_t hostVersion);
  // Every entry point but the version and mode queries refuses work below 2.
  bool VersionAccepted() const { return hostApiVersion_ >= 2; }

  const char* DisplayName() const;
  bool SupportsService(int32_t service) const;

  // 1 started, 0 failed.
  int32_t Start(int32_t startType, int32_t consoleFlag);
  // Always 1.
  int32_t Stop();

  // Destroys a scanning object the host gives back: 1 when destroyed; 0 below
  // version 2, for null, or when the destruction raised an exception.
  int32_t ReleaseInterface(ScanningInterfaceBase* object);

  // Opens the help file beside the library at a context number; does nothing
  // when HTML Help is not available.
  void ShowHelp(uint32_t context);

  bool ConsoleMode() const { return consoleMode_; }

  // The live configuration: settings, lists, responses, access rights and the
  // values beside them, as an immutable snapshot that stays whole for as long
  // as the caller holds it. Requests take theirs under SharedData().
  ConfigurationSnapshot Configuration() const { return live_.Current(); }
  const LiveConfiguration& Live() const { return live_; }
  SharedDataLock& SharedData() { return sharedDataLock_; }

  // Builds the next live configuration from the one in effect: `change`
  // edits a copy of it (and answers false to keep the one in effect), which
  // is then published by a pointer swap under the shared-data lock. Changes
  // in this process follow one another, so none builds on a snapshot that
  // another is replacing; requests go on meanwhile. Answers the published
  // snapshot's place in the order of publication, 0 when nothing was
  // published (refused, or the lock could not be had); `published` receives
  // it when given. Throws what `change` throws, with nothing published.
  uint64_t ChangeConfiguration(const std::function<bool(PluginConfiguration&)>& change,
                               ConfigurationSnapshot* published = nullptr);

  // Saves `snapshot`, published as `order`, under the store's own lock and
  // never under the shared-data lock; a snapshot published before one that
  // this process has already saved is not saved over it.
  void Save(const ConfigurationSnapshot& snapshot, uint64_t order);

  // The process's engine; null while none is up.
  EngineInterface* Engine() const { return engine_.engine; }
  // The engine references, for the console's own bring-up.
  EngineReferences& EngineRefs() { return engine_; }

  const PluginInfoRecord* InfoRecord() const { return infoRecord_.get(); }
  const std::string& HelpFilePath() const { return helpFilePath_; }

  // Scanning objects register for their lifetime, so that a stop can take
  // their engine objects back before the engine library goes.
  void RegisterObject(ScanningInterface* object);
  void UnregisterObject(ScanningInterface* object);

  // The application-level context-help request (F1): opens the topic of the
  // main window's active page. Does nothing without a main window.
  void ContextHelpRequest();

  // The window that owns help windows, and the source of the topic that F1
  // opens: the configuration dialog while it runs; null, null afterwards.
  void SetMainWindow(void* window, const HelpTopicSource* topics) {
    mainWindow_ = window;
    mainWindowTopics_ = topics;
  }

 private:
  void MaintainVendorKey();

  uint32_t hostApiVersion_ = 0;
  bool consoleMode_ = false;
  std::unique_ptr<PluginInfoRecord> infoRecord_;
  uint64_t Publish(ConfigurationSnapshot next);

  LiveConfiguration live_;
  // Held by a change from the snapshot it builds on until it is published.
  std::mutex changeMutex_;
  EngineReferences engine_;
  SharedDataLock sharedDataLock_;
  std::string helpFilePath_;
  // HTML Help stays loaded until the process ends: freeing a library from a
  // global destructor would run under the loader lock.
  void* htmlHelpLibrary_ = nullptr;
  void* htmlHelpEntry_ = nullptr;
  void* mainWindow_ = nullptr;
  const HelpTopicSource* mainWindowTopics_ = nullptr;
  std::mutex liveObjectsMutex_;
  std::set<ScanningInterface*> liveObjects_;
};

// The one instance, constructed at library load.
PluginApplication& TheApplication();

// The directory part of a module path, cut at its last separator (without it).
std::string DirectoryOfModulePath(const std::string& path);

// "%s%saurivex.chm" with the drive and the directory of a module path.
std::string HelpFilePathFor(const std::string& modulePath);

}  // namespace avex
