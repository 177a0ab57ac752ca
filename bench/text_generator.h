// Texts of the shape of real lists for the benchmarks: hosts of two to four
// syllables with a number, paths of one to four segments, keywords with a
// number. Deterministic for a seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace avex::bench {

class TextGenerator {
 public:
  explicit TextGenerator(uint32_t seed) : random_(seed) {}

  std::string Word(uint32_t minSyllables, uint32_t maxSyllables) {
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ter", "van", "zu", "pro", "net",
                                             "shop", "bet", "cas", "ino", "news", "tube", "chat",
                                             "blog", "win", "top", "max", "web", "soft", "star",
                                             "play", "ra", "do", "fi", "gu", "sel", "mon"};
    std::string word;
    for (uint32_t n = Between(minSyllables, maxSyllables); n > 0; --n) {
      word += kSyllables[Below(sizeof kSyllables / sizeof kSyllables[0])];
    }
    return word;
  }

  std::string Host() {
    static const char* const kTopLevel[] = {"com", "net", "org", "info", "co.uk", "de", "fr", "example"};
    const std::string prefix = Below(3) == 0 ? "www." : "";
    return prefix + Word(2, 4) + std::to_string(Below(10000)) + "." + kTopLevel[Below(8)];
  }

  std::string Path() {
    std::string path;
    for (uint32_t n = Between(1, 4); n > 0; --n) path += "/" + Word(1, 3);
    return path;
  }

  // `joiner` stands between the word and the number: a hyphen, which no
  // generated host or path holds, makes a keyword occur only where it is put.
  std::string Keyword(const char* joiner = "") {
    return Word(2, 3) + joiner + std::to_string(Between(100, 99999));
  }

  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
  uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }

 private:
  std::mt19937 random_;
};

}  // namespace avex::bench
