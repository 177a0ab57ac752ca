#include "csdk/url_request.h"

#include "csdk/engine_call.h"
#include "csdk/url_key.h"

namespace avex::csdk {
namespace {

constexpr uint32_t kNoAnswer = 0;
constexpr uint32_t kFromUrlCache = 1;
constexpr uint32_t kFromStaticList = 2;

}  // namespace

uint32_t UrlRequest::request(const char* url, ClassificationResult** result, uint32_t* kind) {
  if (result != nullptr) *result = nullptr;
  if (kind != nullptr) *kind = kNoAnswer;
  return EngineCall("request", {url}, [&] {
    if (url == nullptr || result == nullptr || kind == nullptr) return CsdkInvalidArgument;
    EngineState::View engine = state_->Current();
    if (engine.data == nullptr) return CsdkNotInitialised;

    std::string key = UrlKey(url);
    const Confidences* cached = engine.useUrlCache ? engine.data->urlCache.Lookup(key) : nullptr;
    std::optional<uint32_t> listed;
    if (cached == nullptr && engine.useStaticList) listed = engine.data->staticList.Lookup(key);

    if (cached != nullptr) {
      classification_.SetConfidences(*cached);
      *kind = kFromUrlCache;
    } else if (listed) {
      classification_.SetMask(*listed);
      *kind = kFromStaticList;
    } else {
      classification_.Clear();
    }
    *result = &classification_;
    return CsdkOk;
  });
}

uint32_t UrlRequest::release() {
  // The caller forgets the object whatever the answer, so even a refused
  // release must delete it.
  uint32_t status = EngineCall("RequestObject.release", {}, [] { return CsdkOk; });
  delete this;
  return status;
}

}  // namespace avex::csdk
