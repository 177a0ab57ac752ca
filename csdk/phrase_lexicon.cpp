#include "csdk/phrase_lexicon.h"

#include <cmath>
#include <optional>

#include "csdk/data_file.h"
#include "csdk/page_text.h"
#include "platform/code_page.h"

namespace avex::csdk {

bool PhraseLexicon::Load(const std::string& path) {
  byFirstWord_.clear();
  return ReadDataFile(path, [this](std::string_view line) {
    std::vector<std::string_view> fields = SplitFields(line, 3);
    if (fields.size() != 3) return;
    std::optional<int32_t> code = ParseCategoryCode(fields[0]);
    std::optional<double> weight = ParseNumber(fields[1]);
    if (!code || !weight || !(*weight > 0) || !std::isfinite(*weight)) return;
    std::string phrase(fields[2]);
    platform::LowerInPlace(&phrase);
    std::vector<std::string_view> words = Words(phrase);
    if (words.empty()) return;
    Phrase entry{std::vector<std::string>(words.begin() + 1, words.end()), *code, *weight};
    byFirstWord_[std::string(words.front())].push_back(std::move(entry));
  });
}

Confidences PhraseLexicon::Score(const std::vector<std::string_view>& words) const {
  Confidences weights{};
  std::string first;
  for (size_t i = 0; i < words.size(); ++i) {
    first.assign(words[i]);
    auto candidates = byFirstWord_.find(first);
    if (candidates == byFirstWord_.end()) continue;
    for (const Phrase& phrase : candidates->second) {
      const std::vector<std::string>& rest = phrase.followingWords;
      if (words.size() - i - 1 < rest.size()) continue;
      bool matches = true;
      for (size_t k = 0; k < rest.size() && matches; ++k) matches = words[i + 1 + k] == rest[k];
      if (matches) weights[phrase.code] += phrase.weight;
    }
  }
  Confidences confidences{};
  for (int32_t code = 0; code < kCategoryCodes; ++code) {
    confidences[code] = 1.0 - std::exp(-weights[code] / kWeightScale);
  }
  return confidences;
}

}  // namespace avex::csdk
