// Replays the kept fuzz corpora (copied beside this program at configure
// time) through the fuzz targets' checks, so that every build, the 32-bit
// one under Wine included, sees each input the fuzzers found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/apply_configuration_check.h"
#include "tests/fuzz/list_file_check.h"
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

// The kept inputs of the fuzz target `target`.
std::vector<std::filesystem::path> KeptInputs(const char* target) {
  return CorpusFiles(std::filesystem::path(avex::testing::ProgramDirectory()) / "fuzz_corpus" / target);
}

TEST(FuzzReplayTest, EveryKeptConfigurationRecordHoldsUp) {
  const std::vector<std::filesystem::path> files = KeptInputs("apply_configuration");
  ASSERT_FALSE(files.empty()) << "no corpus of apply_configuration";
  for (const std::filesystem::path& file : files) {
    const std::vector<uint8_t> record = Contents(file);
    EXPECT_EQ(CheckApplyConfiguration(record.data(), record.size()), "") << file.filename().string();
  }
}

TEST(FuzzReplayTest, EveryKeptListFileHoldsUp) {
  const std::vector<std::filesystem::path> files = KeptInputs("list_file");
  ASSERT_FALSE(files.empty()) << "no corpus of list_file";
  for (const std::filesystem::path& file : files) {
    const std::vector<uint8_t> bytes = Contents(file);
    EXPECT_EQ(CheckListFile(bytes.data(), bytes.size()), "") << file.filename().string();
  }
}

}  // namespace
}  // namespace avex::fuzz
