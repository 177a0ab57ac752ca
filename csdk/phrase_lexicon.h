// The phrase lexicon: weighted phrases per category code, the engine's
// knowledge of what pages of a category say.
//
// The file has one phrase a line: "code weight phrase", fields separated by
// blanks (tabs or spaces), the phrase being the rest of the line: a category
// code from 0 to 31, a weight above 0 (a decimal number), and one or more
// words, matched without regard to case and to the punctuation and markup
// between them. Lines that do not parse are skipped. Loaded once, then
// read-only: any number of threads may score at once.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "csdk/category_codes.h"

namespace avex::csdk {

class PhraseLexicon {
 public:
  // How much weight makes a category likely: the confidence of a category
  // whose phrases weigh w in all is 1 - exp(-w / kWeightScale).
  static constexpr double kWeightScale = 10.0;

  // Reads the lexicon at `path`; false when the file cannot be opened.
  bool Load(const std::string& path);

  // The confidence per category of a page with these words (lower-cased, as
  // page_text.h gives them): every occurrence of a phrase adds its weight.
  Confidences Score(const std::vector<std::string_view>& words) const;

 private:
  struct Phrase {
    std::vector<std::string> followingWords;  // the words after the first
    int32_t code;
    double weight;
  };

  // Phrases by their first word, so a page is read once whatever the lexicon's size.
  std::unordered_map<std::string, std::vector<Phrase>> byFirstWord_;
};

}  // namespace avex::csdk
