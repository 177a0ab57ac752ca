// What the engine's tests share: the built csdk.dll loaded as the plug-in
// loads it, a scratch engine root with data files of the test's own, and an
// engine started on it through the same tables the plug-in calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_objects.h"
#include "platform/modules.h"
#include "platform/platform_test_util.h"
#include "tests/test_paths.h"

namespace avex::csdk::test {

// The status codes the tests expect from the engine.
constexpr uint32_t kOk = 0;
constexpr uint32_t kInvalidArgument = 0xC1000001;
constexpr uint32_t kNotInitialised = 0xC1000002;
constexpr uint32_t kBadIdentification = 0xC1000003;
constexpr uint32_t kDataNotFound = 0xC1000004;
constexpr uint32_t kNoInterface = 0xC1000005;
constexpr uint32_t kAlreadyInitialised = 0xC4000004;

constexpr uint32_t kNoAnswer = 0;
constexpr uint32_t kFromUrlCache = 1;
constexpr uint32_t kFromStaticList = 2;

inline constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// csdk.dll from the folder of the test program, with its four entry points.
class EngineLibrary {
 public:
  EngineLibrary() {
    uint32_t error = 0;
    handle_ = platform::OpenLibrary(avex::testing::ProgramDirectory() + "csdk.dll", &error);
    if (handle_ == nullptr) return;
    init = reinterpret_cast<EngineInitEntry>(platform::LibrarySymbol(handle_, "init", &error));
    uninit = reinterpret_cast<EngineUninitEntry>(platform::LibrarySymbol(handle_, "uninit", &error));
    getInterface =
        reinterpret_cast<GetCSDKInterfaceEntry>(platform::LibrarySymbol(handle_, "GetCSDKInterface", &error));
    freeInterface =
        reinterpret_cast<FreeCSDKInterfaceEntry>(platform::LibrarySymbol(handle_, "FreeCSDKInterface", &error));
  }
  ~EngineLibrary() { platform::CloseLibrary(handle_); }
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  bool Loaded() const { return init && uninit && getInterface && freeInterface; }

  EngineInitEntry init = nullptr;
  EngineUninitEntry uninit = nullptr;
  GetCSDKInterfaceEntry getInterface = nullptr;
  FreeCSDKInterfaceEntry freeInterface = nullptr;

 private:
  platform::LibraryHandle handle_ = nullptr;
};

// A scratch folder laid out as an engine root ("URLCache" and
// "Stlst/StatListDb" below it), removed at the end of the test.
class EngineRoot {
 public:
  explicit EngineRoot(const std::string& tag) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("avex-csdk-" + std::to_string(platform::test::ProcessId()) + "-" +
                                  test->test_suite_name() + "-" + test->name() + "-" + tag);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path / "URLCache");
    std::filesystem::create_directories(path / "Stlst" / "StatListDb");
    path_ = path.string() + kSeparator;
  }
  ~EngineRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  EngineRoot(const EngineRoot&) = delete;
  EngineRoot& operator=(const EngineRoot&) = delete;

  // The root with a trailing separator, as the plug-in passes it.
  const std::string& Path() const { return path_; }
  std::string CachePath() const { return path_ + "URLCache"; }
  std::string StaticListPath() const { return path_ + "Stlst" + kSeparator + "StatListDb"; }

  void WriteLexicon(const std::string& text) const { Write(path_ + "csdk_lexicon.txt", text); }
  void WriteStaticList(const std::string& text) const { Write(StaticListPath() + kSeparator + "statlist.txt", text); }
  void WriteCache(const std::string& text) const { Write(CachePath() + kSeparator + "cache.txt", text); }

 private:
  static void Write(const std::string& path, const std::string& text) {
    ASSERT_TRUE(platform::test::WriteFile(path, text)) << path;
  }

  std::string path_;
};

// Where the engine finds its data: the folder and the two paths the
// plug-in passes.
struct EngineLocation {
  std::string root;
  std::string cachePath;
  std::string staticListPath;
};

inline EngineLocation LocationOf(const EngineRoot& root) {
  return {root.Path(), root.CachePath(), root.StaticListPath()};
}

// The data shipped with the engine, staged in the build folder.
inline EngineLocation ShippedData() {
  std::string root = avex::testing::ProgramDirectory();
  return {root, root + "URLCache", root + "Stlst" + kSeparator + "StatListDb"};
}

// A test that loads the library and, when asked, starts the engine.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.Loaded()) << "csdk.dll beside the test program"; }

  void TearDown() override {
    if (engine_ != nullptr) library_.freeInterface();
    if (libraryStarted_) library_.uninit();
  }

  // init, GetCSDKInterface and getConfigInterface; the engine still needs
  // its settings and `initialise`.
  void Open() {
    ASSERT_EQ(library_.init(), kOk);
    libraryStarted_ = true;
    ASSERT_EQ(library_.getInterface(&engine_), kOk);
    ASSERT_NE(engine_, nullptr);
    ASSERT_EQ(engine_->getConfigInterface(&config_), kOk);
    ASSERT_NE(config_, nullptr);
  }

  // Open, then the paths and `initialise`, as the plug-in starts it.
  void Start(const EngineLocation& location) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(config_->setCSDKRootDir(location.root.c_str()), kOk);
    ASSERT_EQ(config_->setUrlClassificationCachePath(location.cachePath.c_str()), kOk);
    ASSERT_EQ(config_->setStaticListPath(location.staticListPath.c_str()), kOk);
    ASSERT_EQ(engine_->initialise(kEngineIdentification), kOk);
  }

  // The engine's answer for `url` from a request object of its own.
  struct UrlAnswer {
    uint32_t status;
    uint32_t kind;
    uint32_t mask;
    double confidences[32];
  };
  UrlAnswer Request(const std::string& url) {
    UrlAnswer answer{};
    RequestObject* request = nullptr;
    EXPECT_EQ(engine_->createRequestObject(&request), kOk);
    if (request == nullptr) return answer;
    ClassificationResult* result = nullptr;
    answer.status = request->request(url.c_str(), &result, &answer.kind);
    EXPECT_NE(result, nullptr) << url;
    if (result != nullptr) {
      answer.mask = result->getCategoryMask();
      for (int32_t code = 0; code < 32; ++code) answer.confidences[code] = result->getConfidence(code);
    }
    EXPECT_EQ(request->release(), kOk);
    return answer;
  }

  // The confidences the engine gives a reply with `content`, fed in one piece.
  std::vector<double> Classify(const std::string& content) {
    std::vector<double> confidences(32, -1.0);
    ReplyObject* reply = nullptr;
    EXPECT_EQ(engine_->getReplyObject(&reply), kOk);
    if (reply == nullptr) return confidences;
    uint8_t complete = 0;
    uint8_t flag = 0;
    ClassificationResult* result = nullptr;
    EXPECT_EQ(reply->init("http://page.example", 0, 0, 0), kOk);
    EXPECT_EQ(reply->setHeaderParameters(0, 200, 0), kOk);
    EXPECT_EQ(reply->putData(content.data(), static_cast<uint32_t>(content.size()), &complete, 1), kOk);
    EXPECT_EQ(reply->getClassification(&result, &flag), kOk);
    if (result != nullptr) {
      for (int32_t code = 0; code < 32; ++code) confidences[code] = result->getConfidence(code);
    }
    EXPECT_EQ(reply->release(), kOk);
    return confidences;
  }

  EngineLibrary library_;
  bool libraryStarted_ = false;
  EngineInterface* engine_ = nullptr;
  EngineConfig* config_ = nullptr;
};

// The lines of a text file, without their line ends.
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream text(platform::test::ReadFile(path));
  std::string line;
  while (std::getline(text, line)) lines.push_back(line);
  return lines;
}

// A fresh file name in the temporary folder for this test.
inline std::string ScratchFile(const std::string& tag) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("avex-csdk-" + std::to_string(platform::test::ProcessId()) + "-" +
                                test->test_suite_name() + "-" + test->name() + "-" + tag);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return path.string();
}

}  // namespace avex::csdk::test
