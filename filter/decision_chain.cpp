#include "filter/decision_chain.h"

#include <cstring>

#include "config/access_rights.h"
#include "filter/content_scanning.h"
#include "filter/event_log.h"
#include "lists/url.h"
#include "platform/trace.h"
#include "common/result_codes.h"

namespace avex {

namespace {

const char* Printable(const char* text) { return text ? text : "(null)"; }

void LowerAscii(std::string* text) {
  for (char& c : *text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

// A category found by a list stage: recorded, with 100 percent for its row.
void RecordListCategory(RequestState& state, int32_t categoryId) {
  state.recordedCategory = categoryId;
  const size_t row = CategoryIndexOf(categoryId);
  if (row < CategoryCount) state.percentages[row] = 100;
}

bool Blocks(const FilterContext& context, const PluginConfiguration& config, int32_t categoryId) {
  return context.CategorySwitches(config).IsCategoryBlocked(categoryId);
}

}  // namespace

std::optional<int32_t> CategoryOfMask(uint32_t mask) {
  for (size_t row = 0; row < EngineCategoryRows; ++row) {
    const CategoryInfo& category = CategoryTable[row];
    if (category.hasResponse && (mask & (1u << (static_cast<uint32_t>(category.id) % 32))) != 0) {
      return category.id;
    }
  }
  return std::nullopt;
}

std::optional<int32_t> LookupEngineList(RequestState& state, const FilterContext& context,
                                        const PluginConfiguration& config) {
  if (state.requestObject == nullptr) {
    uint32_t status = ResultFailed;
    RequestObject* request = nullptr;
    if (context.engine != nullptr) status = context.engine->createRequestObject(&request);
    if (context.engine == nullptr || status != 0 || request == nullptr) {
      platform::Trace(&state, "Unable to construct Request Object return %x", status);
      return std::nullopt;
    }
    state.requestObject = request;
  }

  ClassificationResult* result = nullptr;
  uint32_t kind = 0;
  const uint32_t status = state.requestObject->request(state.url.c_str(), &result, &kind);
  if (status != 0) {
    platform::Trace(&state, "Request for (%s) failed (%d) reason %u\n", state.url.c_str(),
                    static_cast<int>(status), kind);
    return std::nullopt;
  }
  if (result == nullptr) return std::nullopt;

  switch (kind) {
    case 1: {
      if (config.settings.useUrlCache == 0) return std::nullopt;
      const std::optional<int32_t> picked = ScoreCategories(state, context.snapshot, result);
      if (!picked) return std::nullopt;
      platform::Trace(&state, "Page rejected by Aurivex Cache (%s) category %u\n", state.url.c_str(),
                      static_cast<unsigned>(*picked));
      state.recordedCategory = *picked;
      if (config.logging.logBlocked) {
        LogBlockedScore(config, state, "AI Cache", state.percentages[CategoryIndexOf(*picked)]);
      }
      return picked;
    }
    case 2:
    case 3:
      return CategoryOfMask(result->getCategoryMask());
    default:
      return std::nullopt;
  }
}

uint32_t CheckSource(RequestState& state, const FilterContext& context, const PluginConfiguration& config) {
  try {
    platform::Trace(&state, "CheckSource() starting\n");
    const LoggingSettings& logging = config.logging;

    if (const std::optional<int32_t> manual = LookupManualClassification(context.Lists(config), state.url)) {
      const int32_t category = *manual;
      RecordListCategory(state, category);
      if (category == CategoryAllowed) {
        if (logging.logAllowed) LogAllowed(config, state);
        platform::Trace(&state, "Page allowed by Tarn [ClassificationList] (%s)\n", state.url.c_str());
        return ResultPass;
      }
      if (Blocks(context, config, category)) {
        platform::Trace(&state, "Page rejected by Tarn Classification List (%s)\n", state.url.c_str());
        if (logging.logBlocked) LogBlocked(config, state, "User URL List");
        return ResultReject;
      }
      if (logging.logAllowed) LogAllowed(config, state);
      platform::Trace(&state, "Page classified as %u by Tarn Classification list but not configured to block (%s)\n",
                      static_cast<unsigned>(category), state.url.c_str());
      return ResultPass;
    }

    if (const std::optional<int32_t> known = LookupEngineList(state, context, config)) {
      const int32_t category = *known;
      RecordListCategory(state, category);
      if (Blocks(context, config, category)) {
        platform::Trace(&state, "Page rejected by Aurivex List (%s)\n", state.url.c_str());
        if (logging.logBlocked) LogBlocked(config, state, "Aurivex URL List");
        return ResultReject;
      }
      if (logging.logAllowed) LogAllowed(config, state);
      platform::Trace(&state, "Page classified as %u by Aurivex list but not configured to block (%s)\n",
                      static_cast<unsigned>(category), state.url.c_str());
      return ResultPass;
    }

    platform::Trace(&state, "Page unclassified (%s)\n", state.url.c_str());
    return ResultOk;
  } catch (...) {
    return ResultFailed;
  }
}

uint32_t SetSource(RequestState& state, const FilterContext& context, const char* url,
                   const char* contentType, uint32_t clientAddress, const char* userName) {
  platform::Trace(&state, "SetSource(%s,%s,%d,%s)\n", Printable(url), Printable(contentType),
                  static_cast<int>(clientAddress), Printable(userName));
  if (userName == nullptr || *userName == '\0' || url == nullptr || *url == '\0') return ResultNoSource;

  // Declared before the guard, so that a snapshot this request holds last
  // is freed after the lock.
  ConfigurationSnapshot config;
  SharedDataGuard guard(context.lock);
  if (!guard.Held()) return ResultFailed;
  try {
    config = context.live.Current();
    state.userName = userName;
    LowerAscii(&state.userName);
    FoldUserName(userName, &state.foldedUserName);
    if (!IsUserFiltered(config->accessRights, state.foldedUserName, config->settings.applyToAllUsers != 0,
                        state.forceFiltering != 0)) {
      state.active = false;
      return ResultIgnore;
    }
    NormaliseUrlInto(url, &state.url);
    if (contentType != nullptr) {
      state.contentType = contentType;
      LowerAscii(&state.contentType);
      if (state.contentType.find("text/") == std::string::npos) {
        platform::Trace(&state, "MIME type is not applicable (%s)\n", state.contentType.c_str());
        state.active = false;
        return ResultNotApplicable;
      }
    }
    state.clientAddress = clientAddress;
    const uint32_t result = CheckSource(state, context, *config);
    if (result == ResultPass) state.active = false;
    platform::Trace(&state, "%d = SetSource(%s,%s,%d,%s)\n", static_cast<int>(result), Printable(url),
                    Printable(contentType), static_cast<int>(clientAddress), Printable(userName));
    return result;
  } catch (...) {
    return ResultFailed;
  }
}

}  // namespace avex
