// Replays the kept fuzz corpora (copied beside this program at configure
// time) through their targets' checks, so that every build, the 32-bit one
// under Wine included, sees each input the fuzzers found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/apply_configuration_check.h"
#include "tests/fuzz/list_file_check.h"
#include "tests/fuzz/tag_content_check.h"
#include "tests/test_paths.h"

namespace avex::fuzz {
namespace {

std::vector<std::filesystem::path> CorpusFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file()) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every input kept for a target passes the target's check.
void ReplayCorpus(const char* target, std::string (*check)(const uint8_t*, size_t)) {
  const std::filesystem::path folder =
      std::filesystem::path(avex::testing::ProgramDirectory()) / "fuzz_corpus" / target;
  const std::vector<std::filesystem::path> files = CorpusFiles(folder);
  ASSERT_FALSE(files.empty()) << "no corpus in " << folder.string();
  for (const std::filesystem::path& file : files) {
    const std::vector<uint8_t> input = Contents(file);
    EXPECT_EQ(check(input.data(), input.size()), "") << target << "/" << file.filename().string();
  }
}

TEST(FuzzReplayTest, EveryKeptConfigurationRecordHoldsUp) {
  ReplayCorpus("apply_configuration", CheckApplyConfiguration);
}

TEST(FuzzReplayTest, EveryKeptListFileHoldsUp) { ReplayCorpus("list_file", CheckListFile); }

TEST(FuzzReplayTest, EveryKeptImportedFileHoldsUp) { ReplayCorpus("tag_content", CheckTagContent); }

}  // namespace
}  // namespace avex::fuzz
