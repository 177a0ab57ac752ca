#include "csdk/engine_data.h"

#include "csdk/csdk_status.h"
#include "csdk/engine_path.h"

namespace avex::csdk {

uint32_t LoadEngineData(const EngineSettings& settings, std::shared_ptr<const EngineData>* data) {
  // Without a root the lexicon would be looked for wherever the host happens to run.
  if (settings.rootDirectory.empty()) return CsdkDataNotFound;
  auto loaded = std::make_shared<EngineData>();
  if (!loaded->lexicon.Load(JoinPath(settings.rootDirectory, kLexiconFileName))) return CsdkDataNotFound;
  if (!settings.staticListPath.empty()) {
    loaded->staticList.Load(JoinPath(settings.staticListPath, kStaticListFileName));
  }
  if (!settings.urlCachePath.empty()) {
    loaded->urlCache.Load(JoinPath(settings.urlCachePath, kUrlCacheFileName));
  }
  *data = std::move(loaded);
  return CsdkOk;
}

}  // namespace avex::csdk
