// Fault injection: a chosen operation answers a chosen status code and does
// nothing else, so that the plug-in's failure paths can be driven.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "csdk/csdk_test_support.h"

namespace avex::csdk::test {
namespace {

constexpr uint32_t kFault = 0x8000ABCD;

class FaultInjectionTest : public EngineTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    root_.WriteLexicon("2 5 online casino\n");
    root_.WriteStaticList("casino.example 2\n");
    root_.WriteCache("http://casino.example/cached 2=0.9\n");
  }

  EngineRoot root_{"root"};
};

TEST_F(FaultInjectionTest, EveryOperationAnswersItsInjectedCode) {
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root_)));
  RequestObject* request = nullptr;
  ReplyObject* reply = nullptr;
  ASSERT_EQ(engine_->createRequestObject(&request), kOk);
  ASSERT_EQ(engine_->getReplyObject(&reply), kOk);
  ASSERT_EQ(reply->init("", 0, 0, 0), kOk);
  const std::string path = root_.Path();
  EngineConfig* config = nullptr;
  RequestObject* newRequest = nullptr;
  ReplyObject* newReply = nullptr;
  ClassificationResult* result = nullptr;
  uint32_t kind = 0;
  uint8_t flag = 0;

  struct Case {
    const char* operation;
    std::function<uint32_t()> call;
  };
  const Case cases[] = {
      {"initialise", [&] { return engine_->initialise(kEngineIdentification); }},
      {"getConfigInterface", [&] { return engine_->getConfigInterface(&config); }},
      {"createRequestObject", [&] { return engine_->createRequestObject(&newRequest); }},
      {"getReplyObject", [&] { return engine_->getReplyObject(&newReply); }},
      {"setCSDKRootDir", [&] { return config_->setCSDKRootDir(path.c_str()); }},
      {"setUseSafeSurf", [&] { return config_->setUseSafeSurf(1); }},
      {"setUseRsaci", [&] { return config_->setUseRsaci(1); }},
      {"setUseImageHandler", [&] { return config_->setUseImageHandler(0); }},
      {"setUseUrlClassificationCache", [&] { return config_->setUseUrlClassificationCache(1); }},
      {"setUrlClassificationCachePath", [&] { return config_->setUrlClassificationCachePath(path.c_str()); }},
      {"setUseStaticList", [&] { return config_->setUseStaticList(0); }},
      {"setUseOEMStaticList", [&] { return config_->setUseOEMStaticList(0); }},
      {"setStaticListAutomaticUpdateStatus", [&] { return config_->setStaticListAutomaticUpdateStatus(1); }},
      {"setStaticListUpdateServer", [&] { return config_->setStaticListUpdateServer("server.example"); }},
      {"setStaticListUpdatePath", [&] { return config_->setStaticListUpdatePath(path.c_str()); }},
      {"setStaticListAutomaticUpdateInterval", [&] { return config_->setStaticListAutomaticUpdateInterval(60); }},
      {"setStaticListPath", [&] { return config_->setStaticListPath(path.c_str()); }},
      {"request", [&] { return request->request("http://casino.example", &result, &kind); }},
      {"ReplyObject.init", [&] { return reply->init("", 0, 0, 0); }},
      {"setHeaderParameters", [&] { return reply->setHeaderParameters(0, 200, 0); }},
      {"putData", [&] { return reply->putData("x", 1, &flag, 1); }},
      {"getClassification", [&] { return reply->getClassification(&result, &flag); }},
  };
  for (const Case& c : cases) {
    platform::test::ScopedEnv faults("CSDK_FAULTS", std::string(c.operation) + "=0x8000ABCD");
    EXPECT_EQ(c.call(), kFault) << c.operation;
  }
  EXPECT_EQ(config, nullptr);
  EXPECT_EQ(newRequest, nullptr);
  EXPECT_EQ(newReply, nullptr);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(kind, kNoAnswer);

  // Nothing the faulted calls were to do was done.
  EXPECT_EQ(Request("http://casino.example/cached").kind, kFromStaticList) << "cache still off, list still on";

  // A faulted release still disposes of its object (the leak checker of the
  // sanitizer build would see it otherwise): its caller forgets it anyway.
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "RequestObject.release=0x8000ABCD,ReplyObject.release=7");
    EXPECT_EQ(request->release(), kFault);
    EXPECT_EQ(reply->release(), 7u);
  }
}

TEST_F(FaultInjectionTest, EntryPointsAnswerTheirInjectedCodes) {
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "init=0x8000ABCD");
    EXPECT_EQ(library_.init(), kFault);
  }
  EngineInterface* engine = nullptr;
  EXPECT_EQ(library_.getInterface(&engine), kNotInitialised) << "a faulted init leaves the library down";
  ASSERT_EQ(library_.init(), kOk);
  libraryStarted_ = true;
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "GetCSDKInterface=0x8000ABCD");
    engine = reinterpret_cast<EngineInterface*>(1);
    EXPECT_EQ(library_.getInterface(&engine), kFault);
    EXPECT_EQ(engine, nullptr);
  }
  ASSERT_EQ(library_.getInterface(&engine), kOk);
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "FreeCSDKInterface=0x8000ABCD");
    EXPECT_EQ(library_.freeInterface(), kFault);
  }
  EXPECT_EQ(library_.freeInterface(), kNoInterface) << "a faulted free still frees";
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "uninit=0x8000ABCD");
    EXPECT_EQ(library_.uninit(), kFault);
  }
  EXPECT_EQ(library_.uninit(), kNotInitialised) << "a faulted uninit still shuts down";
  libraryStarted_ = false;
}

TEST_F(FaultInjectionTest, FaultedInitialiseLeavesTheEngineUninitialised) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(config_->setCSDKRootDir(root_.Path().c_str()), kOk);
  {
    platform::test::ScopedEnv faults("CSDK_FAULTS", "initialise=0x80004005");
    EXPECT_EQ(engine_->initialise(kEngineIdentification), 0x80004005u);
  }
  RequestObject* request = nullptr;
  EXPECT_EQ(engine_->createRequestObject(&request), kNotInitialised);
  EXPECT_EQ(engine_->initialise(kEngineIdentification), kOk);
}

TEST_F(FaultInjectionTest, FaultListSyntax) {
  ASSERT_NO_FATAL_FAILURE(Open());
  struct Case {
    const char* faults;
    uint32_t expected;
  };
  const Case cases[] = {
      {"setUseRsaci=0x80000001", 0x80000001},
      {" setUseRsaci = 0X2a ", 0x2A},
      {"setUseRsaci=42", 42},
      {"setUseSafeSurf=5,setUseRsaci=6,initialise=7", 6},
      {"garbage,setUseRsaci=,=9,setUseRsaci=0x1F", 0x1F},
      {"setUseRsaci=zz", kOk},
      {"setUseRsaci=-1", kOk},
      {"setUseRsaci=0x100000000", kOk},
      {"setUseRsaci=0", kOk},
      {"setusersaci=5", kOk},
      {"setUseRsaci=1,setUseRsaci=2", 2},
      {"", kOk},
  };
  for (const Case& c : cases) {
    platform::test::ScopedEnv faults("CSDK_FAULTS", c.faults);
    EXPECT_EQ(config_->setUseRsaci(1), c.expected) << c.faults;
  }
  EXPECT_EQ(config_->setUseRsaci(1), kOk) << "without the variable";
}

}  // namespace
}  // namespace avex::csdk::test
