// The call journal: every call with its arguments, one line each, also when
// several threads call at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "csdk/csdk_test_support.h"

namespace avex::csdk::test {
namespace {

using CallJournalTest = EngineTest;

TEST_F(CallJournalTest, RecordsTheConfigurationSequenceAsCalled) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  const std::string journal = ScratchFile("journal.txt");
  platform::test::ScopedEnv journalOn("CSDK_JOURNAL", journal);

  ASSERT_NO_FATAL_FAILURE(Open());
  config_->setCSDKRootDir(root.Path().c_str());
  config_->setUseSafeSurf(0x101);
  config_->setUseRsaci(0x100);
  config_->setUseImageHandler(0);
  config_->setUseUrlClassificationCache(1);
  config_->setUrlClassificationCachePath(root.CachePath().c_str());
  config_->setUseStaticList(1);
  config_->setStaticListPath(root.StaticListPath().c_str());
  config_->setUseOEMStaticList(0);
  config_->setStaticListAutomaticUpdateStatus(1);
  config_->setStaticListAutomaticUpdateInterval(1440);
  config_->setStaticListUpdatePath("C:\\P\\\\Stlst\\Update");
  config_->setStaticListUpdateServer("");
  config_->setStaticListUpdateServer(nullptr);
  engine_->initialise(kEngineIdentification);

  const std::vector<std::string> expected = {
      "init",
      "GetCSDKInterface",
      "getConfigInterface",
      "setCSDKRootDir " + root.Path(),
      "setUseSafeSurf 1",
      "setUseRsaci 0",
      "setUseImageHandler 0",
      "setUseUrlClassificationCache 1",
      "setUrlClassificationCachePath " + root.CachePath(),
      "setUseStaticList 1",
      "setStaticListPath " + root.StaticListPath(),
      "setUseOEMStaticList 0",
      "setStaticListAutomaticUpdateStatus 1",
      "setStaticListAutomaticUpdateInterval 1440",
      "setStaticListUpdatePath C:\\P\\\\Stlst\\Update",
      "setStaticListUpdateServer ",
      "setStaticListUpdateServer (null)",
      "initialise TARN-AVEX-30-CORVANE",
  };
  EXPECT_EQ(ReadLines(journal), expected);
}

TEST_F(CallJournalTest, RecordsRequestAndReplyCalls) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  root.WriteStaticList("casino.example 2\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  const std::string journal = ScratchFile("journal.txt");
  platform::test::ScopedEnv journalOn("CSDK_JOURNAL", journal);

  RequestObject* request = nullptr;
  ClassificationResult* result = nullptr;
  uint32_t kind = 0;
  ASSERT_EQ(engine_->createRequestObject(&request), kOk);
  request->request("http://casino.example", &result, &kind);
  result->getCategoryMask();
  request->request("http://a.example/line\nbreak", &result, &kind);
  request->release();

  ReplyObject* reply = nullptr;
  uint8_t complete = 0;
  uint8_t flag = 0;
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  reply->init("http://casino.example", 0, 0, 0);
  reply->setHeaderParameters(0, 200, 0);
  reply->putData("online casino", 13, &complete, 1);
  reply->getClassification(&result, &flag);
  result->getConfidence(2);
  reply->release();

  const std::vector<std::string> expected = {
      "createRequestObject",
      "request http://casino.example",
      "getCategoryMask",
      "request http://a.example/line\\x0Abreak",
      "RequestObject.release",
      "getReplyObject",
      "ReplyObject.init http://casino.example 0 0 0",
      "setHeaderParameters 0 200 0",
      "putData 13 1",
      "getClassification",
      "getConfidence 2",
      "ReplyObject.release",
  };
  EXPECT_EQ(ReadLines(journal), expected);
}

TEST_F(CallJournalTest, LinesOfManyThreadsStayWhole) {
  EngineRoot root("root");
  root.WriteLexicon("2 5 online casino\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  const std::string journal = ScratchFile("journal.txt");
  platform::test::ScopedEnv journalOn("CSDK_JOURNAL", journal);

  constexpr int kThreads = 4;
  constexpr int kRequests = 100;
  // Long URLs, so that a write split in two would show.
  const std::string padding(300, 'p');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t, &padding] {
      RequestObject* request = nullptr;
      if (engine_->createRequestObject(&request) != kOk) return;
      ClassificationResult* result = nullptr;
      uint32_t kind = 0;
      for (int i = 0; i < kRequests; ++i) {
        std::string url = "http://t" + std::to_string(t) + ".example/" + std::to_string(i) + "/" + padding;
        request->request(url.c_str(), &result, &kind);
      }
      request->release();
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::set<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    expected.insert("createRequestObject");
    for (int i = 0; i < kRequests; ++i) {
      expected.insert("request http://t" + std::to_string(t) + ".example/" + std::to_string(i) + "/" + padding);
    }
  }
  expected.insert("RequestObject.release");
  std::vector<std::string> lines = ReadLines(journal);
  EXPECT_EQ(lines.size(), static_cast<size_t>(kThreads * (kRequests + 2)));
  EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()), expected);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "RequestObject.release"), kThreads);
}

TEST_F(CallJournalTest, NothingIsWrittenWithoutTheVariable) {
  const std::string journal = ScratchFile("journal.txt");
  {
    platform::test::ScopedEnv journalOn("CSDK_JOURNAL", journal);
    ASSERT_EQ(library_.init(), kOk);
    libraryStarted_ = true;
  }
  platform::test::ScopedEnv journalOff("CSDK_JOURNAL", "");
  EngineInterface* engine = nullptr;
  ASSERT_EQ(library_.getInterface(&engine), kOk);
  ASSERT_EQ(library_.freeInterface(), kOk);
  EXPECT_EQ(ReadLines(journal), std::vector<std::string>{"init"});
}

}  // namespace
}  // namespace avex::csdk::test
