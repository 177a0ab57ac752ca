#include "filter/content_scanning.h"

#include "config/access_rights.h"
#include "filter/event_log.h"
#include "platform/trace.h"
#include "common/result_codes.h"

namespace avex {

namespace {

// Creates and prepares the request's reply object; false on any failure
// (a prepared but failed object stays with the request, as the engine gave it).
bool OpenReplyObject(RequestState& state, const FilterContext& context) {
  if (context.engine == nullptr) return false;
  ReplyObject* reply = nullptr;
  const uint32_t status = context.engine->getReplyObject(&reply);
  if (status != 0 || reply == nullptr) {
    platform::Trace(&state, "getReplyObject failed %x\n", status);
    return false;
  }
  state.replyObject = reply;
  uint32_t code = reply->init(state.url.c_str(), 0, 0, 0);
  if (code != 0) {
    platform::Trace(&state, "ReplyObject::init failed %x\n", code);
    return false;
  }
  code = reply->setHeaderParameters(0, 200, 0);
  if (code != 0) {
    platform::Trace(&state, "ReplyObject::setHeaderParameters failed %x\n", code);
    return false;
  }
  return true;
}

void ReleaseReply(RequestState& state) {
  ReplyObject* reply = state.replyObject;
  state.replyObject = nullptr;
  state.replyComplete = 0;
  if (reply != nullptr) reply->release();
}

}  // namespace

uint32_t PutData(RequestState& state, const FilterContext& context, const void* data, uint32_t count) {
  try {
    if (state.url.empty() || state.userName.empty()) return ResultNoSource;
    if (!state.active) return ResultIgnore;
    if (state.replyObject == nullptr && !OpenReplyObject(state, context)) return ResultFailed;
    if (state.replyComplete != 0) return ResultOk;
    if (data == nullptr && count != 0) return ResultFailed;
    const uint32_t code = state.replyObject->putData(data, count, &state.replyComplete, 1);
    if (code != 0) {
      platform::Trace(&state, "ReplyObject::putData failed %x\n", code);
      return ResultFailed;
    }
    return ResultOk;
  } catch (...) {
    return ResultFailed;
  }
}

std::optional<int32_t> ScoreCategories(RequestState& state, const FilterSettings& settings,
                                       ClassificationResult* result) {
  std::optional<int32_t> picked;
  try {
    for (size_t row = 0; row < EngineCategoryRows; ++row) {
      state.percentages[row] = 0;
      const CategoryInfo& category = CategoryTable[row];
      if (!category.hasResponse) continue;
      try {
        state.percentages[row] = static_cast<float>(result->getConfidence(category.id) * 100.0);
      } catch (...) {
        state.percentages[row] = 0;
      }
      const CategorySetting& setting = settings.categories[row];
      if (setting.enabled && setting.level < state.percentages[row]) picked = category.id;
    }
  } catch (...) {
    // The pick made so far stands.
  }
  return picked;
}

uint32_t CheckData(RequestState& state, const FilterContext& context) {
  state.recordedCategory = CategoryNone;
  uint32_t result = ResultFailed;
  try {
    if (!state.active) return ResultIgnore;
    // The user is asked again of the configuration in effect now; the
    // snapshot taken for that also decides the logging below.
    ConfigurationSnapshot config;
    {
      SharedDataGuard guard(context.lock);
      if (!guard.Held()) return ResultFailed;
      config = context.live.Current();
    }
    if (!IsUserFiltered(config->accessRights, state.foldedUserName, config->settings.applyToAllUsers != 0,
                        state.forceFiltering != 0)) {
      return ResultIgnore;
    }
    if (state.replyObject == nullptr) {
      platform::Trace(&state, "No reply object in CheckData\n");
      return ResultFailed;
    }
    ClassificationResult* classification = nullptr;
    uint8_t unused = 0;
    const uint32_t code = state.replyObject->getClassification(&classification, &unused);
    if (code != 0 || classification == nullptr) {
      platform::Trace(&state, "ReplyObject::getClassification failed %x\n", code);
      return ResultFailed;
    }
    const std::optional<int32_t> picked = ScoreCategories(state, context.snapshot, classification);
    if (picked) {
      platform::Trace(&state, "Page rejected by Aurivex (%s) category %u\n", state.url.c_str(),
                      static_cast<unsigned>(*picked));
      state.recordedCategory = *picked;
      if (config->logging.logBlocked) {
        LogBlockedScore(*config, state, "AI", state.percentages[CategoryIndexOf(*picked)]);
      }
      result = ResultReject;
    } else {
      platform::Trace(&state, "Page accepted by Aurivex (%s)\n", state.url.c_str());
      result = ResultPass;
    }
    ReleaseReply(state);
  } catch (...) {
    result = ResultFailed;
  }
  platform::Trace(&state, "Checking Data Blocked returned [%x]\n", result);
  return result;
}

}  // namespace avex
