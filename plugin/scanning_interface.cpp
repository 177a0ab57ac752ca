#include "plugin/scanning_interface.h"

#include <cstring>
#include <optional>

#include "config/settings_store.h"
#include "engine/engine_setup.h"
#include "filter/event_log.h"
#include "filter/content_scanning.h"
#include "filter/decision_chain.h"
#include "responses/block_response.h"
#include "platform/trace.h"
#include "plugin/configuration_dialog.h"
#include "plugin/plugin_application.h"
#include "plugin/configuration_record.h"
#include "plugin/plugin_names.h"

namespace avex {

ScanningInterface::ScanningInterface(PluginApplication& application) : application_(application) {
  Reset(true);
  snapshot_.CopyFrom(application_.Configuration()->settings, application_.ConsoleMode());
  // Registered last: an object whose construction failed is freed at once
  // and must not be left where a stop would call into it.
  application_.RegisterObject(this);
}

ScanningInterface::~ScanningInterface() { application_.UnregisterObject(this); }

void ScanningInterface::SetSnapshot(const FilterSettings& settings) {
  snapshot_.CopyFrom(settings, application_.ConsoleMode());
}

uint32_t ScanningInterface::SetUserDatabase(const HostUserDatabase* users) {
  try {
    if (users == nullptr) return Record(ResultFailed);
    // Reading the host's records and building the next configuration take
    // long for a large directory; requests go on meanwhile on the snapshot
    // in effect, and only the swap happens under the lock.
    std::optional<AccessRights> refreshed = AccessRights::Published(users->count, users->records);
    if (!refreshed) return Record(ResultFailed);
    bool saveDue = false;
    ConfigurationSnapshot next;
    const uint64_t order = application_.ChangeConfiguration(
        [&](PluginConfiguration& refreshing) {
          refreshing.accessRights.TakeRefreshed(&*refreshed, refreshing.defaultFilter);
          saveDue = refreshing.defaultFilter;
          refreshing.defaultFilter = false;
          return true;
        },
        &next);
    if (order == 0) return Record(ResultFailed);
    if (!saveDue) return Record(ResultOk);
    // A first start stores every published user as filtered. The save holds
    // no lock that requests need.
    application_.Save(next, order);
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::GetConfiguration(void* buffer, uint32_t* size) {
  try {
    const ConfigurationSnapshot configuration = application_.Configuration();
    if (buffer == nullptr) {
      const uint32_t length = WriteConfigurationRecord(*configuration, nullptr, 0);
      if (size != nullptr) *size = length;
      return length;
    }
    WriteConfigurationRecord(*configuration, buffer, size != nullptr ? *size : 0);
    return ResultOk;
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::GetPluginInfo(void* buffer) {
  try {
    if (buffer == nullptr) return Record(sizeof(PluginInfoRecord));
    const PluginInfoRecord* record = application_.InfoRecord();
    if (record == nullptr) return Record(ResultNotReady);
    std::memcpy(buffer, record, sizeof *record);
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultFailed);
  }
}

void ScanningInterface::SetNoSaveFlag(uint32_t value) { noSaveFlag_ = value; }

uint32_t ScanningInterface::GetNoSaveFlag() { return noSaveFlag_; }

uint32_t ScanningInterface::SetHostFlag(uint32_t) { return Record(ResultOk); }

uint32_t ScanningInterface::SetState(uint32_t state) {
  try {
    if (state > 3) return Record(ResultStateRefused);
    SharedDataGuard guard(application_.SharedData());
    if (!guard.Held()) return Record(ResultStateRefused);
    if (state == 0 && !request_.active) Reset(true);
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultStateRefused);
  }
}

FilterContext ScanningInterface::Context() {
  return FilterContext{application_.Live(), application_.SharedData(), snapshot_, application_.ConsoleMode(),
                       application_.Engine()};
}

uint32_t ScanningInterface::SetSource(const char* url, const char* contentType, uint32_t clientAddress,
                                      const char* userName) {
  try {
    const uint32_t result = avex::SetSource(request_, Context(), url, contentType, clientAddress, userName);
    active_ = request_.active;
    return Record(result);
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::PutData(const void* data, uint32_t count) {
  try {
    return Record(avex::PutData(request_, Context(), data, count));
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::NotSupportedRecorded(uint32_t, uint32_t) {
  return Record(ResultNotSupported);
}

uint32_t ScanningInterface::NotSupportedUnrecorded(uint32_t, uint32_t) {
  return ResultNotSupported;
}

uint32_t ScanningInterface::CheckData() {
  try {
    return Record(avex::CheckData(request_, Context()));
  } catch (...) {
    return Record(ResultFailed);
  }
}

const std::string& ScanningInterface::BlockPage(uint32_t type) {
  static const std::string kNone;
  const int kind = type == 1 ? ResponseKindHtml : type == 2 ? ResponseKindText : -1;
  if (kind < 0) return kNone;
  std::string& cache = kind == ResponseKindHtml ? htmlResponse_ : textResponse_;
  if (!cache.empty()) return cache;

  const size_t row = CategoryIndexOf(request_.recordedCategory);
  ResponseTokens tokens;
  tokens.pluginName = kDisplayName;
  tokens.dataSource = request_.url;
  tokens.userName = request_.userName;
  tokens.reason = CategoryReasonText(row);
  tokens.percentage = PercentageText(row < CategoryCount ? request_.percentages[row] : 0);
  tokens.category = row < CategoryCount ? CategoryTable[row].name : "";
  const ConfigurationSnapshot configuration = application_.Configuration();
  BuildBlockResponse(configuration->responses, request_.recordedCategory, kind, tokens, &cache);
  if (!configuration->responses.Contains(request_.recordedCategory)) AddEmptyResponse(request_.recordedCategory);
  return cache;
}

uint32_t ScanningInterface::GetResponse(uint32_t type, char* buffer, uint32_t* size) {
  try {
    const std::string& text = BlockPage(type);
    if (size == nullptr) return ResultInvalidParameter;
    uint32_t result = ResultOk;
    if (buffer != nullptr) {
      if (*size >= text.size() + 1) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
      } else {
        result = ResultBufferTooSmall;
      }
    }
    *size = static_cast<uint32_t>(text.size());
    return result;
  } catch (...) {
    return ResultFailed;
  }
}

uint32_t ScanningInterface::GetLastResult() { return lastResult_; }

void ScanningInterface::SetLogger(HostLogger* logger) { request_.logger = logger; }

// The console's handle is not used: the dialog has no owner window.
uint32_t ScanningInterface::ShowConfiguration(void*) {
  try {
    return RunConfigurationDialog(application_);
  } catch (...) {
    return Record(ResultFailed);
  }
}

// A category without a response gets an empty one the first time it blocks
// a page, which then travels and is stored with the others.
void ScanningInterface::AddEmptyResponse(int32_t categoryId) {
  application_.ChangeConfiguration([categoryId](PluginConfiguration& next) {
    if (next.responses.Contains(categoryId)) return false;
    next.responses.FindOrInsert(categoryId);
    return true;
  });
}

uint32_t ScanningInterface::ApplyConfiguration(const void* buffer, uint32_t count) {
  try {
    if (buffer == nullptr || count == 0) return ResultOk;
    // Reading the record and building the list index take long for large
    // lists; they work on the next snapshot, so requests go on meanwhile
    // and see the configuration as it was or as it is after the whole
    // record, never half of it.
    uint32_t refusal = ResultOk;
    ConfigurationSnapshot applied;
    const uint64_t order = application_.ChangeConfiguration(
        [&](PluginConfiguration& next) {
          // A record cut short would read as "filter nobody, keep no list",
          // and a text the registry cannot store would be gone after the
          // next start: either is refused with nothing changed.
          if (!ReadConfigurationRecord(buffer, count, &next)) {
            platform::Trace(this, "configuration refused: the record of %u bytes ends inside a field\n", count);
            refusal = ResultInvalidParameter;
            return false;
          }
          const std::string unstorable = FirstUnstorableText(next);
          if (!unstorable.empty()) {
            platform::Trace(this, "configuration refused: %s cannot be stored\n", unstorable.c_str());
            refusal = ResultInvalidParameter;
            return false;
          }
          next.settings.lists.PrepareIndex();
          return true;
        },
        &applied);
    if (refusal != ResultOk) return Record(refusal);
    if (order == 0) return Record(ResultFailed);
    const bool consoleMode = application_.ConsoleMode();
    {
      // The engine's switches change between requests, as they always did.
      SharedDataGuard guard(application_.SharedData());
      if (guard.Held()) ReconfigureEngine(application_.EngineRefs(), *applied, consoleMode);
    }
    if (noSaveFlag_ == 0) application_.Save(applied, order);
    if (!consoleMode) LogConfigurationChange(*applied, request_);
    return ResultOk;
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::GetInfo(uint32_t query, void* result, uint32_t size) {
  try {
    uint32_t answer = 0;
    switch (query) {
      case 4:
        answer = 1;
        break;
      case 5:
        answer = 0;
        break;
      case 32:
        if (size != 4) return Record(ResultInvalidParameter);
        answer = application_.Configuration()->settings.applyToAllUsers == 0 ? 1 : 0;
        break;
      default:
        return Record(ResultNotSupported);
    }
    if (result == nullptr) return Record(ResultInvalidParameter);
    std::memcpy(result, &answer, sizeof answer);
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultFailed);
  }
}

void ScanningInterface::ReleaseReplyObject() {
  if (request_.replyObject == nullptr) return;
  ReplyObject* reply = request_.replyObject;
  request_.replyObject = nullptr;
  reply->release();
}

void ScanningInterface::Reset(bool) {
  active_ = request_.active = true;
  request_.recordedCategory = CategoryNone;
  request_.replyComplete = 0;
  request_.forceFiltering = 0;
  request_.url.clear();
  request_.contentType.clear();
  htmlResponse_.clear();
  textResponse_.clear();
  request_.percentages.fill(0);
  ReleaseReplyObject();
}

void ScanningInterface::ReleaseEngineObjects() {
  if (request_.requestObject != nullptr) {
    RequestObject* request = request_.requestObject;
    request_.requestObject = nullptr;
    request->release();
  }
  ReleaseReplyObject();
}

void ScanningInterface::Destroy() {
  platform::Trace(this, "in destructor for DS Interface\n");
  {
    SharedDataGuard guard(application_.SharedData());
    try {
      ReleaseEngineObjects();
    } catch (...) {
      // A failing release ends the release step; the object still goes.
    }
  }
  delete this;
}

}  // namespace avex
