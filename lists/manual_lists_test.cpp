#include "lists/manual_lists.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lists/url.h"

// Counts every allocation of this test program, so that a test can prove a
// stretch of code allocates nothing.
namespace {
std::atomic<size_t> allocationCount{0};
}  // namespace

// The replacement pairs malloc with free on purpose; GCC cannot tell.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
  ++allocationCount;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace avex {
namespace {

constexpr int kNone = -1;

std::optional<int32_t> Expected(int category) {
  return category == kNone ? std::nullopt : std::optional<int32_t>(category);
}

TEST(ManualLists, UrlAndSiteEntriesAreKeyedByTheirNormalisedTextAndTheFirstStays) {
  ManualLists lists;
  EXPECT_TRUE(lists.InsertUrl({"HTTP://Example.com/Page/", 1}));
  EXPECT_FALSE(lists.InsertUrl({"http://example.com/page?", 2}));
  EXPECT_FALSE(lists.InsertUrl({"http://example.com/page", 3}));
  ASSERT_EQ(lists.urls().size(), 1u);
  EXPECT_EQ(lists.urls().at("http://example.com/page"), (ManualEntry{"http://example.com/page", 1}));

  EXPECT_TRUE(lists.InsertSite({"WWW.Example.COM/", 4}));
  EXPECT_FALSE(lists.InsertSite({"www.example.com", 5}));
  ASSERT_EQ(lists.sites().size(), 1u);
  EXPECT_EQ(lists.sites().at("www.example.com"), (ManualEntry{"www.example.com", 4}));
}

TEST(ManualLists, UrlAndSiteListsIterateInByteOrder) {
  ManualLists lists;
  for (const char* text : {"b.example", "a.example/x", "\xE9t\xE9.example", "a.example", "A.example/"}) {
    lists.InsertSite({text, 0});
  }
  std::vector<std::string> order;
  for (const ManualEntryRef& item : lists.sites()) order.emplace_back(item.text);
  // A text comes before the longer texts it starts; bytes above 0x7F last.
  EXPECT_EQ(order, (std::vector<std::string>{"a.example", "a.example/x", "b.example",
                                             "\xE9t\xE9.example"}));
}

TEST(ManualLists, PartialEntriesKeepTheirTextOrderAndDuplicates) {
  ManualLists lists;
  lists.AppendPartial({"Poker/", 1});
  lists.AppendPartial({"casino", 2});
  lists.AppendPartial({"Poker/", 3});
  EXPECT_EQ(lists.partials(),
            (PartialList{{"Poker/", 1}, {"casino", 2}, {"Poker/", 3}}));
}

// The lists most look-up cases below run against.
ManualLists SampleLists() {
  ManualLists lists;
  lists.InsertUrl({"http://www.example.com/page.html", 1});
  lists.InsertSite({"www.example.com", 2});
  lists.InsertSite({"shop.example.org", 3});
  lists.AppendPartial({"casino", 4});
  lists.AppendPartial({"POKER", 5});
  lists.AppendPartial({"shop", 6});
  lists.AppendPartial({"poker", 7});
  return lists;
}

struct LookupCase {
  const char* requestUrl;  // as the host hands it, before normalisation
  int expected;
};

TEST(LookupManualClassification, UrlListThenSiteListThenPartialList) {
  const LookupCase cases[] = {
      // The URL list: the whole normalised URL, and it beats the site list.
      {"HTTP://WWW.EXAMPLE.COM/PAGE.HTML/", 1},
      {"http://www.example.com/page.html?", 1},
      {"http://www.example.com/page.html?x=1", 2},
      // The site list: exactly the host, with any scheme; it beats partials.
      {"http://www.example.com", 2},
      {"ftp://www.example.com/file", 2},
      {"http://www.example.com/casino", 2},
      {"http://shop.example.org/poker", 3},
      // Not the same host: a port, a sub-domain, a parent domain.
      {"http://www.example.com:8080/", kNone},
      {"http://sub.www.example.com/", kNone},
      {"http://example.com/", kNone},
      {"http://shop.example.org:81/", 6},
      // No scheme, so no host: only the partial list can match.
      {"www.example.com/page.html", kNone},
      {"www.example.com", kNone},
      {"shop.example.org", 6},
      // The partial list: the earliest entry in the URL wins; upper-case
      // entries match.
      {"http://games.example.net/poker/casino", 4},
      {"http://games.example.net/Poker", 5},
      {"http://games.example.net/", kNone},
      {"", kNone},
  };
  const ManualLists lists = SampleLists();
  for (const LookupCase& c : cases) {
    const std::string url = NormaliseUrl(c.requestUrl);
    EXPECT_EQ(LookupManualClassification(lists, url), Expected(c.expected)) << c.requestUrl;
    EXPECT_EQ(LookupManualClassificationByWalk(lists, url), Expected(c.expected)) << c.requestUrl;
  }
}

TEST(LookupManualClassification, AnEmptyPartialEntryMatchesEveryRequestThatReachesIt) {
  ManualLists lists;
  lists.InsertSite({"a.example", 1});
  lists.AppendPartial({"casino", 2});
  lists.AppendPartial({"", 3});
  const LookupCase cases[] = {
      {"http://a.example/casino", 1},
      {"http://b.example/casino", 2},
      {"http://b.example/", 3},
      {"", 3},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(LookupManualClassification(lists, NormaliseUrl(c.requestUrl)), Expected(c.expected))
        << c.requestUrl;
  }
}

TEST(LookupManualClassification, AnEmptyTextInTheUrlOrSiteListIsLookedUpLikeAnyOther) {
  ManualLists lists;
  lists.InsertSite({"/", 1});  // normalises to the empty text: the host of a URL without scheme
  EXPECT_EQ(LookupManualClassification(lists, "www.example.com/x"), Expected(1));
  EXPECT_EQ(LookupManualClassification(lists, "http://www.example.com/x"), Expected(kNone));
  lists.InsertUrl({"?", 2});
  EXPECT_EQ(LookupManualClassification(lists, ""), Expected(2));
}

TEST(LookupManualClassification, EveryChangeIsSeenByTheNextLookup) {
  ManualLists lists = SampleLists();
  const std::string url = "http://new.example/path/poker";
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(5));
  lists.AppendPartial({"path", 8});
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(5));
  lists.ClearPartials();
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(kNone));
  lists.AppendPartial({"path", 8});
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(8));
  lists.InsertSite({"new.example", 9});
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(9));
  lists.InsertUrl({url, 10});
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(10));
  lists.ClearUrls();
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(9));
  lists.ClearSites();
  EXPECT_EQ(LookupManualClassification(lists, url), Expected(8));
}

TEST(LookupManualClassification, ACopyKeepsItsListsWhenTheOriginalChanges) {
  ManualLists original = SampleLists();
  const std::string url = "http://www.example.com/page.html";
  ASSERT_EQ(LookupManualClassification(original, url), Expected(1));

  const ManualLists copy = original;  // shares the index built above
  EXPECT_EQ(copy, original);
  original.ClearUrls();
  original.ClearSites();
  original.ClearPartials();
  original.AppendPartial({"page", 11});
  EXPECT_EQ(LookupManualClassification(original, url), Expected(11));
  EXPECT_EQ(LookupManualClassification(copy, url), Expected(1));
  EXPECT_EQ(LookupManualClassification(copy, "http://x.example/casino"), Expected(4));
  EXPECT_NE(copy, original);

  ManualLists assigned;
  assigned = original;
  EXPECT_EQ(LookupManualClassification(assigned, url), Expected(11));
  assigned = copy;
  EXPECT_EQ(LookupManualClassification(assigned, url), Expected(1));
}

TEST(LookupManualClassification, AllocatesNothingOnceTheIndexIsBuilt) {
  const ManualLists lists = SampleLists();
  const char* requests[] = {"HTTP://WWW.EXAMPLE.COM/PAGE.HTML/", "http://shop.example.org/x",
                            "http://games.example.net/poker/casino/and/a/longer/path?q=1",
                            "http://games.example.net/"};
  std::string url;
  url.reserve(256);
  lists.PrepareIndex();
  size_t found = 0;
  const size_t before = allocationCount.load();
  for (const char* request : requests) {
    NormaliseUrlInto(request, &url);
    found += LookupManualClassification(lists, url).has_value();
  }
  EXPECT_EQ(allocationCount.load() - before, 0u);
  EXPECT_EQ(found, 3u);
}

TEST(LookupManualClassification, ConcurrentFirstLookupsAfterAChangeAgree) {
  ManualLists lists = SampleLists();
  for (int round = 0; round < 20; ++round) {
    lists.AppendPartial({"round" + std::to_string(round), 100 + round});
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (int i = 0; i < 50; ++i) {
          if (LookupManualClassification(lists, "http://x.example/round" + std::to_string(round)) !=
              Expected(100 + (round >= 10 ? 1 : round))) {
            ++wrong;
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0) << "round " << round;
  }
}

TEST(LookupManualClassification, AgreesWithTheWalkOnGeneratedLists) {
  std::mt19937 random(99);
  const std::string symbols = "ab:/\\?A\xC0";
  auto text = [&](uint32_t maxLength) {
    std::string t;
    for (uint32_t n = random() % (maxLength + 1); n > 0; --n) t += symbols[random() % symbols.size()];
    return t;
  };
  for (int l = 0; l < 3000; ++l) {
    ManualLists lists;
    for (uint32_t n = random() % 4; n > 0; --n) lists.InsertUrl({text(8), static_cast<int32_t>(random() % 50)});
    for (uint32_t n = random() % 4; n > 0; --n) lists.InsertSite({text(4), static_cast<int32_t>(random() % 50)});
    for (uint32_t n = random() % 6; n > 0; --n) lists.AppendPartial({text(3), static_cast<int32_t>(random() % 50)});
    for (int u = 0; u < 10; ++u) {
      const std::string url = NormaliseUrl(text(12));
      ASSERT_EQ(LookupManualClassification(lists, url), LookupManualClassificationByWalk(lists, url))
          << "url " << url;
    }
  }
}

}  // namespace
}  // namespace avex
