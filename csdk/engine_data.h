// The engine's data files, read together from the places the settings name:
//
//   <root>/csdk_lexicon.txt                 phrase lexicon (phrase_lexicon.h)
//   <static list path>/statlist.txt         static URL list (static_url_list.h)
//   <URL cache path>/cache.txt              URL classification cache (url_cache.h)
//
// Once loaded the data is read-only and shared by every request and reply
// object, so a reload builds a new set instead of changing this one.
#pragma once

#include <cstdint>
#include <memory>

#include "csdk/engine_settings.h"
#include "csdk/phrase_lexicon.h"
#include "csdk/static_url_list.h"
#include "csdk/url_cache.h"

namespace avex::csdk {

constexpr char kLexiconFileName[] = "csdk_lexicon.txt";
constexpr char kStaticListFileName[] = "statlist.txt";
constexpr char kUrlCacheFileName[] = "cache.txt";

struct EngineData {
  PhraseLexicon lexicon;
  StaticUrlList staticList;
  UrlCache urlCache;
};

// Reads the data the settings point to into `data`. CsdkDataNotFound, and
// `data` unchanged, when no root is set or the lexicon cannot be read: without it the engine
// cannot classify. A missing static list or cache is empty, as on a machine
// that has not downloaded one yet.
uint32_t LoadEngineData(const EngineSettings& settings, std::shared_ptr<const EngineData>* data);

}  // namespace avex::csdk
