#include "plugin/scanning_interface.h"

#include <cstring>

#include "config/settings_store.h"
#include "lists/block_response.h"
#include "platform/trace.h"
#include "plugin/plugin_application.h"
#include "plugin/plugin_names.h"

namespace avex {

ScanningInterface::ScanningInterface(PluginApplication& application) : application_(application) {
  Reset(true);
  application_.RegisterObject(this);
  SharedDataGuard guard(application_.SharedData());
  snapshot_.CopyFrom(application_.Configuration().settings, application_.ConsoleMode());
}

ScanningInterface::~ScanningInterface() { application_.UnregisterObject(this); }

uint32_t ScanningInterface::SetUserDatabase(const HostUserDatabase* users) {
  try {
    if (users == nullptr) return Record(ResultFailed);
    SharedDataGuard guard(application_.SharedData());
    if (!guard.Held()) return Record(ResultFailed);
    PluginConfiguration& configuration = application_.Configuration();
    if (!configuration.accessRights.RefreshUsers(users->count, users->records, configuration.defaultFilter)) {
      return Record(ResultFailed);
    }
    if (configuration.defaultFilter) {
      SaveSettings(configuration);
      configuration.defaultFilter = false;
    }
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultFailed);
  }
}

uint32_t ScanningInterface::GetConfiguration(void*, uint32_t*) { return ResultNotSupported; }

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
    if (state == 0 && !active_) Reset(true);
    return Record(ResultOk);
  } catch (...) {
    return Record(ResultStateRefused);
  }
}

uint32_t ScanningInterface::SetSource(const char*, const char*, uint32_t, const char*) {
  return Record(ResultNotSupported);
}

uint32_t ScanningInterface::PutData(const void*, uint32_t) { return Record(ResultNotSupported); }

uint32_t ScanningInterface::NotSupportedRecorded(uint32_t, uint32_t) {
  return Record(ResultNotSupported);
}

uint32_t ScanningInterface::NotSupportedUnrecorded(uint32_t, uint32_t) {
  return ResultNotSupported;
}

uint32_t ScanningInterface::CheckData() { return Record(ResultNotSupported); }

const std::string& ScanningInterface::BlockPage(uint32_t type) {
  static const std::string kNone;
  const int kind = type == 1 ? ResponseKindHtml : type == 2 ? ResponseKindText : -1;
  if (kind < 0) return kNone;
  std::string& cache = kind == ResponseKindHtml ? htmlResponse_ : textResponse_;
  if (!cache.empty()) return cache;

  const size_t row = CategoryIndexOf(recordedCategory_);
  ResponseTokens tokens;
  tokens.pluginName = kDisplayName;
  tokens.dataSource = url_;
  tokens.userName = userName_;
  tokens.reason = CategoryReasonText(row);
  tokens.percentage = PercentageText(row < CategoryCount ? percentages_[row] : 0);
  tokens.category = row < CategoryCount ? CategoryTable[row].name : "";
  // Building may insert into the shared response set.
  SharedDataGuard guard(application_.SharedData());
  if (!guard.Held()) return kNone;
  BuildBlockResponse(&application_.Configuration().responses, recordedCategory_, kind, tokens, &cache);
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

void ScanningInterface::SetLogger(HostLogger* logger) { logger_ = logger; }

uint32_t ScanningInterface::ShowConfiguration(void*) { return ResultNotSupported; }

uint32_t ScanningInterface::ApplyConfiguration(const void*, uint32_t) { return ResultNotSupported; }

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
        answer = application_.Configuration().settings.applyToAllUsers == 0 ? 1 : 0;
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
  if (replyObject_ == nullptr) return;
  ReplyObject* reply = replyObject_;
  replyObject_ = nullptr;
  reply->release();
}

void ScanningInterface::Reset(bool) {
  active_ = true;
  recordedCategory_ = CategoryNone;
  replyComplete_ = false;
  forceFiltering_ = 0;
  url_.clear();
  contentType_.clear();
  htmlResponse_.clear();
  textResponse_.clear();
  percentages_.fill(0);
  ReleaseReplyObject();
}

void ScanningInterface::ReleaseEngineObjects() {
  if (requestObject_ != nullptr) {
    RequestObject* request = requestObject_;
    requestObject_ = nullptr;
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
