// The library's entry points, the engine object and its configuration, as the
// plug-in drives them.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "csdk/csdk_test_support.h"

namespace avex::csdk::test {
namespace {

const char kLexicon[] = "2\t5\tonline casino\n";

using EntryPointsTest = EngineTest;

TEST_F(EntryPointsTest, LibraryLifecycle) {
  EngineInterface* engine = reinterpret_cast<EngineInterface*>(1);
  EXPECT_EQ(library_.getInterface(&engine), kNotInitialised);
  EXPECT_EQ(engine, nullptr);
  EXPECT_EQ(library_.uninit(), kNotInitialised);

  ASSERT_EQ(library_.init(), kOk);
  EXPECT_EQ(library_.init(), kAlreadyInitialised);

  EngineInterface* first = nullptr;
  EngineInterface* second = nullptr;
  ASSERT_EQ(library_.getInterface(&first), kOk);
  ASSERT_EQ(library_.getInterface(&second), kOk);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(first, second) << "one engine object per process";

  EXPECT_EQ(library_.freeInterface(), kOk);
  EXPECT_EQ(library_.freeInterface(), kNoInterface);
  EXPECT_EQ(library_.uninit(), kOk);
  EXPECT_EQ(library_.uninit(), kNotInitialised);
  EXPECT_EQ(library_.getInterface(&engine), kNotInitialised);

  // A library that was shut down starts again.
  ASSERT_EQ(library_.init(), kOk);
  EXPECT_EQ(library_.getInterface(&engine), kOk);
  EXPECT_EQ(library_.uninit(), kOk) << "uninit also frees an engine object still held";
}

TEST_F(EntryPointsTest, InitialiseNeedsAnIdentificationAndTheLexicon) {
  EngineRoot root("root");
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(config_->setCSDKRootDir(root.Path().c_str()), kOk);

  EXPECT_EQ(engine_->initialise(nullptr), kBadIdentification);
  EXPECT_EQ(engine_->initialise(""), kBadIdentification);
  EXPECT_EQ(engine_->initialise(kEngineIdentification), kDataNotFound) << "no lexicon under the root yet";

  RequestObject* request = nullptr;
  ReplyObject* reply = nullptr;
  EXPECT_EQ(engine_->createRequestObject(&request), kNotInitialised);
  EXPECT_EQ(engine_->getReplyObject(&reply), kNotInitialised);
  EXPECT_EQ(request, nullptr);
  EXPECT_EQ(reply, nullptr);

  root.WriteLexicon(kLexicon);
  EXPECT_EQ(engine_->initialise("any vendor string"), kOk);
  EXPECT_EQ(engine_->createRequestObject(&request), kOk);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->release(), kOk);
}

TEST_F(EntryPointsTest, InitialiseWithoutARootFails) {
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(engine_->initialise(kEngineIdentification), kDataNotFound);
}

TEST_F(EntryPointsTest, SettersRefuseBadValues) {
  ASSERT_NO_FATAL_FAILURE(Open());
  struct Case {
    const char* what;
    std::function<uint32_t()> call;
    uint32_t expected;
  };
  const Case cases[] = {
      {"null root", [&] { return config_->setCSDKRootDir(nullptr); }, kInvalidArgument},
      {"empty root", [&] { return config_->setCSDKRootDir(""); }, kInvalidArgument},
      {"null cache path", [&] { return config_->setUrlClassificationCachePath(nullptr); }, kInvalidArgument},
      {"empty static list path", [&] { return config_->setStaticListPath(""); }, kInvalidArgument},
      {"null update path", [&] { return config_->setStaticListUpdatePath(nullptr); }, kInvalidArgument},
      {"update path", [&] { return config_->setStaticListUpdatePath("C:\\P\\\\Stlst\\Update"); }, kOk},
      {"null update server", [&] { return config_->setStaticListUpdateServer(nullptr); }, kInvalidArgument},
      {"no update server", [&] { return config_->setStaticListUpdateServer(""); }, kOk},
      {"update server", [&] { return config_->setStaticListUpdateServer("stlist.aurivex.example"); }, kOk},
      {"interval 0", [&] { return config_->setStaticListAutomaticUpdateInterval(0); }, kInvalidArgument},
      {"negative interval", [&] { return config_->setStaticListAutomaticUpdateInterval(-1440); }, kInvalidArgument},
      {"interval 1", [&] { return config_->setStaticListAutomaticUpdateInterval(1); }, kOk},
      {"boolean with high bits", [&] { return config_->setUseRsaci(0xFFFFFF01u); }, kOk},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), c.expected) << c.what;
  }
}

// A null out-pointer from a confused caller must give a status, not a crash.
TEST_F(EntryPointsTest, NullOutPointersAreRefused) {
  EngineRoot root("root");
  root.WriteLexicon(kLexicon);
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  RequestObject* request = nullptr;
  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->createRequestObject(&request), kOk);
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  ASSERT_EQ(reply->init("", 0, 0, 0), kOk);

  ClassificationResult* result = nullptr;
  uint32_t kind = 7;
  uint8_t flag = 0;
  const char data[] = "data";
  EXPECT_EQ(library_.getInterface(nullptr), kInvalidArgument);
  EXPECT_EQ(engine_->getConfigInterface(nullptr), kInvalidArgument);
  EXPECT_EQ(engine_->createRequestObject(nullptr), kInvalidArgument);
  EXPECT_EQ(engine_->getReplyObject(nullptr), kInvalidArgument);
  EXPECT_EQ(request->request("http://a.example", nullptr, &kind), kInvalidArgument);
  EXPECT_EQ(kind, kNoAnswer);
  EXPECT_EQ(request->request("http://a.example", &result, nullptr), kInvalidArgument);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(request->request(nullptr, &result, &kind), kInvalidArgument);
  EXPECT_EQ(reply->init(nullptr, 0, 0, 0), kInvalidArgument);
  EXPECT_EQ(reply->putData(data, 4, nullptr, 1), kInvalidArgument);
  EXPECT_EQ(reply->putData(nullptr, 4, &flag, 1), kInvalidArgument);
  EXPECT_EQ(reply->getClassification(nullptr, &flag), kInvalidArgument);
  EXPECT_EQ(reply->getClassification(&result, nullptr), kInvalidArgument);
  EXPECT_EQ(result, nullptr);

  EXPECT_EQ(reply->putData(nullptr, 0, &flag, 1), kOk) << "no data is no bad data";
  EXPECT_EQ(request->release(), kOk);
  EXPECT_EQ(reply->release(), kOk);
}

// The plug-in may free the engine before the last scanning object has let go
// of its request object.
TEST_F(EntryPointsTest, RequestAndReplyObjectsOutliveTheEngineObject) {
  EngineRoot root("root");
  root.WriteLexicon(kLexicon);
  root.WriteStaticList("casino.example 2\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  RequestObject* request = nullptr;
  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->createRequestObject(&request), kOk);
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  ASSERT_EQ(library_.freeInterface(), kOk);
  engine_ = nullptr;

  ClassificationResult* result = nullptr;
  uint32_t kind = 0;
  EXPECT_EQ(request->request("http://casino.example", &result, &kind), kOk);
  EXPECT_EQ(kind, kFromStaticList);
  uint8_t complete = 0;
  uint8_t flag = 0;
  const std::string page = "online casino";
  EXPECT_EQ(reply->init("", 0, 0, 0), kOk);
  EXPECT_EQ(reply->putData(page.data(), static_cast<uint32_t>(page.size()), &complete, 1), kOk);
  EXPECT_EQ(reply->getClassification(&result, &flag), kOk);
  ASSERT_NE(result, nullptr);
  EXPECT_GT(result->getConfidence(2), 0.0);
  EXPECT_EQ(request->release(), kOk);
  EXPECT_EQ(reply->release(), kOk);
}

TEST_F(EntryPointsTest, ChangingADataPathReloadsAndAFailedReloadKeepsTheOldData) {
  EngineRoot root("root");
  EngineRoot other("other");
  root.WriteLexicon(kLexicon);
  root.WriteStaticList("casino.example 2\n");
  other.WriteStaticList("casino.example 13\n");
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  EXPECT_EQ(Request("http://casino.example").mask, 1u << 2);

  ASSERT_EQ(config_->setStaticListPath(other.StaticListPath().c_str()), kOk);
  EXPECT_EQ(Request("http://casino.example").mask, 1u << 13);

  EXPECT_EQ(config_->setCSDKRootDir(other.Path().c_str()), kDataNotFound) << "no lexicon there";
  EXPECT_EQ(Request("http://casino.example").mask, 1u << 13);
  EXPECT_GT(Classify("online casino")[2], 0.0) << "the old lexicon still scores";
  EXPECT_EQ(engine_->initialise(kEngineIdentification), kOk) << "the root stayed the old one";
}

}  // namespace
}  // namespace avex::csdk::test
