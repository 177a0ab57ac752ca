// What the request object answers from the static URL list and the URL
// classification cache, and how the engine finds them on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "csdk/csdk_test_support.h"

namespace avex::csdk::test {
namespace {

const char kLexicon[] = "2 5 online casino\n";

const char kStaticList[] =
    "# comment line\n"
    "casino.example\t2\n"
    "mixed.example\t1, 2\n"
    "Shop.Example/Checkout\t5\r\n"
    "   \n"
    "cached.example 3\n"
    "high.example 31\n"
    "codes-missing.example\n"
    "bad-code.example 2,x\n"
    "out-of-range.example 32\n";

const char kCache[] =
    "http://cached.example/lobby\t2=0.92, 13=0.2\n"
    "https://casino.example/cached 2=0.3\n"
    "http://over-one.example/x 2=1.5\n";

class UrlLookupTest : public EngineTest {
 protected:
  void WriteData(const EngineRoot& root) {
    root.WriteLexicon(kLexicon);
    root.WriteStaticList(kStaticList);
    root.WriteCache(kCache);
  }
};

TEST_F(UrlLookupTest, StaticListAnswersHostsTheirSubdomainsAndUrlsBelowAListedPath) {
  EngineRoot root("root");
  WriteData(root);
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  struct Case {
    const char* url;
    uint32_t kind;
    uint32_t mask;
  };
  const Case cases[] = {
      {"http://casino.example", kFromStaticList, 1u << 2},
      {"http://www.casino.example/poker/room?table=1", kFromStaticList, 1u << 2},
      {"HTTPS://CASINO.Example:8443/", kFromStaticList, 1u << 2},
      {"http://user@casino.example/", kFromStaticList, 1u << 2},
      {"http://notcasino.example", kNoAnswer, 0},
      {"http://casino.example.other.test", kNoAnswer, 0},
      {"http://mixed.example/a", kFromStaticList, (1u << 1) | (1u << 2)},
      {"http://shop.example/checkout", kFromStaticList, 1u << 5},
      {"http://shop.example/checkout/pay?card=1", kFromStaticList, 1u << 5},
      {"http://shop.example/checkoutx", kNoAnswer, 0},
      {"http://shop.example", kNoAnswer, 0},
      {"http://high.example", kFromStaticList, 1u << 31},
      {"http://codes-missing.example", kNoAnswer, 0},
      {"http://bad-code.example", kNoAnswer, 0},
      {"http://out-of-range.example", kNoAnswer, 0},
      {"", kNoAnswer, 0},
  };
  for (const Case& c : cases) {
    UrlAnswer answer = Request(c.url);
    EXPECT_EQ(answer.status, kOk) << c.url;
    EXPECT_EQ(answer.kind, c.kind) << c.url;
    EXPECT_EQ(answer.mask, c.mask) << c.url;
  }
  UrlAnswer listed = Request("http://casino.example");
  EXPECT_EQ(listed.confidences[2], 1.0);
  EXPECT_EQ(listed.confidences[1], 0.0);
}

TEST_F(UrlLookupTest, CacheAnswersOnlyWhileSwitchedOnAndBeforeTheStaticList) {
  EngineRoot root("root");
  WriteData(root);
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));

  EXPECT_EQ(Request("http://cached.example/lobby").kind, kFromStaticList) << "cache off by default";
  EXPECT_EQ(Request("http://casino.example/cached").kind, kFromStaticList);

  // Only the low byte of a boolean counts.
  ASSERT_EQ(config_->setUseUrlClassificationCache(0x100), kOk);
  EXPECT_EQ(Request("http://cached.example/lobby").kind, kFromStaticList);
  ASSERT_EQ(config_->setUseUrlClassificationCache(0x201), kOk);

  UrlAnswer cached = Request("http://cached.example/lobby");
  EXPECT_EQ(cached.kind, kFromUrlCache);
  EXPECT_DOUBLE_EQ(cached.confidences[2], 0.92);
  EXPECT_DOUBLE_EQ(cached.confidences[13], 0.2);
  EXPECT_EQ(cached.confidences[1], 0.0);
  EXPECT_EQ(cached.mask, 1u << 2) << "codes of at least one half";

  EXPECT_EQ(Request("HTTPS://Cached.Example/Lobby/?").kind, kFromUrlCache);
  EXPECT_EQ(Request("http://cached.example/lobby/table").kind, kFromStaticList) << "the cache matches exactly";
  UrlAnswer low = Request("http://casino.example/cached");
  EXPECT_EQ(low.kind, kFromUrlCache);
  EXPECT_EQ(low.mask, 0u);
  EXPECT_EQ(Request("http://over-one.example/x").kind, kNoAnswer) << "a confidence above 1 is no entry";

  ASSERT_EQ(config_->setUseUrlClassificationCache(0), kOk);
  EXPECT_EQ(Request("http://cached.example/lobby").kind, kFromStaticList);
}

TEST_F(UrlLookupTest, StaticListCanBeSwitchedOff) {
  EngineRoot root("root");
  WriteData(root);
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  ASSERT_EQ(config_->setUseStaticList(0xAB00), kOk);
  EXPECT_EQ(Request("http://casino.example").kind, kNoAnswer);
  ASSERT_EQ(config_->setUseStaticList(1), kOk);
  EXPECT_EQ(Request("http://casino.example").kind, kFromStaticList);
}

TEST_F(UrlLookupTest, MissingListAndCacheFilesAnswerNothing) {
  EngineRoot root("root");
  root.WriteLexicon(kLexicon);
  ASSERT_NO_FATAL_FAILURE(Start(LocationOf(root)));
  ASSERT_EQ(config_->setUseUrlClassificationCache(1), kOk);
  UrlAnswer answer = Request("http://casino.example");
  EXPECT_EQ(answer.status, kOk);
  EXPECT_EQ(answer.kind, kNoAnswer);
}

std::string WithSeparator(std::string path, char separator) {
  std::replace(path.begin(), path.end(), '\\', separator);
  std::replace(path.begin(), path.end(), '/', separator);
  return path;
}

std::string Lowered(std::string path) {
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return path;
}

// The plug-in builds its paths with backslashes from a lower-cased module path.
TEST_F(UrlLookupTest, PathsWorkWithEitherSeparatorAndInAnyCase) {
  EngineRoot root("Mixed-Case-Root");
  WriteData(root);
  const std::string rootPath = root.Path();
  // Without its trailing separator, so that a doubled one can be put behind it.
  const std::string bare = rootPath.substr(0, rootPath.size() - 1);
  struct Case {
    const char* what;
    EngineLocation location;
  };
  const Case cases[] = {
      {"backslashes", {WithSeparator(rootPath, '\\'), WithSeparator(root.CachePath(), '\\'),
                       WithSeparator(root.StaticListPath(), '\\')}},
      {"slashes", {WithSeparator(rootPath, '/'), WithSeparator(root.CachePath(), '/'),
                   WithSeparator(root.StaticListPath(), '/')}},
      {"mixed and doubled", {bare, bare + "\\\\URLCache", bare + "/Stlst\\StatListDb"}},
      {"lower case", {Lowered(rootPath), Lowered(root.CachePath()), Lowered(root.StaticListPath())}},
      {"lower case, backslashes", {WithSeparator(Lowered(rootPath), '\\'), WithSeparator(Lowered(root.CachePath()), '\\'),
                                   WithSeparator(Lowered(root.StaticListPath()), '\\')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(library_.init(), kOk);
    EngineInterface* engine = nullptr;
    EngineConfig* config = nullptr;
    ASSERT_EQ(library_.getInterface(&engine), kOk);
    ASSERT_EQ(engine->getConfigInterface(&config), kOk);
    EXPECT_EQ(config->setCSDKRootDir(c.location.root.c_str()), kOk);
    EXPECT_EQ(config->setUrlClassificationCachePath(c.location.cachePath.c_str()), kOk);
    EXPECT_EQ(config->setStaticListPath(c.location.staticListPath.c_str()), kOk);
    EXPECT_EQ(config->setUseUrlClassificationCache(1), kOk);
    EXPECT_EQ(engine->initialise(kEngineIdentification), kOk) << c.location.root;

    RequestObject* request = nullptr;
    ASSERT_EQ(engine->createRequestObject(&request), kOk);
    ClassificationResult* result = nullptr;
    uint32_t kind = 0;
    EXPECT_EQ(request->request("http://casino.example", &result, &kind), kOk);
    EXPECT_EQ(kind, kFromStaticList) << c.location.staticListPath;
    EXPECT_EQ(request->request("http://cached.example/lobby", &result, &kind), kOk);
    EXPECT_EQ(kind, kFromUrlCache) << c.location.cachePath;
    request->release();
    library_.freeInterface();
    library_.uninit();
  }
}

TEST_F(UrlLookupTest, ShippedDataAnswersItsSampleEntries) {
  ASSERT_NO_FATAL_FAILURE(Start(ShippedData()));
  ASSERT_EQ(config_->setUseUrlClassificationCache(1), kOk);
  UrlAnswer listed = Request("http://www.bigwin-casino.example/slots");
  EXPECT_EQ(listed.kind, kFromStaticList);
  EXPECT_EQ(listed.mask, 1u << 2);
  UrlAnswer cached = Request("http://cached-casino.example/lobby");
  EXPECT_EQ(cached.kind, kFromUrlCache);
  EXPECT_GT(cached.confidences[2], 0.6);
}

}  // namespace
}  // namespace avex::csdk::test
