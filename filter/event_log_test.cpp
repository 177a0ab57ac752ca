#include "filter/event_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/thread_id.h"

namespace avex {
namespace {

class RecordingLogger final : public HostLogger {
 public:
  struct Call {
    uint32_t one;
    uint32_t kind;
    std::string line;
    std::string source;
  };

  uint32_t WriteEvent(uint32_t one, uint32_t kind, const char* line, const char* source) override {
    calls.push_back(Call{one, kind, line, source});
    return 0x80000002;  // whatever the host answers is ignored
  }

  std::vector<Call> calls;
};

// A host that can log, with every event switched on, and a request from
// bob at 10.1.2.3.
struct EventLogTest : ::testing::Test {
  EventLogTest() {
    config.hostLoggingCapable = 1;
    request.logger = &logger;
    request.clientAddress = 0x0A010203;
    request.userName = "bob";
    request.url = "http://casino.example";
  }

  std::string LineFor(const RequestState& from, const std::string& text) const {
    return FormatEventLine(from.clientAddress, from.userName, platform::CurrentThreadId(), text);
  }

  PluginConfiguration config;
  RecordingLogger logger;
  RequestState request;
};

TEST(FormatEventLineTest, AddressUserThreadAndText) {
  struct Case {
    uint32_t address;
    const char* user;
    uint32_t threadId;
    const char* text;
    const char* line;
  };
  const Case cases[] = {
      {0xC0A8010A, "alice", 42, "event", "192.168.1.10\talice\t0000000042\tevent"},
      {0, "", 7, "Configuration has changed", "0.0.0.0\t<system>\t0000000007\tConfiguration has changed"},
      {0xFFFFFFFF, "u", 0xFFFFFFFF, "", "255.255.255.255\tu\t4294967295\t"},
      {0x7F000001, "a b", 1234567890, "50% off %s", "127.0.0.1\ta b\t1234567890\t50% off %s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatEventLine(c.address, c.user, c.threadId, c.text), c.line);
  }
}

TEST_F(EventLogTest, LogEventPassesTheGatesToTheHost) {
  struct Case {
    uint32_t hostCapable;
    uint32_t enabled;
    uint32_t suppress;
    bool hasLogger;
    bool written;
  };
  const Case cases[] = {
      {1, 1, 0, true, true},   {0, 1, 0, true, false}, {1, 0, 0, true, false},
      {1, 1, 1, true, false},  {1, 1, 0, false, false}, {5, 2, 0, true, true},
  };
  for (const Case& c : cases) {
    logger.calls.clear();
    config.hostLoggingCapable = c.hostCapable;
    config.logging.enabled = c.enabled;
    request.logger = c.hasLogger ? &logger : nullptr;
    LogEvent(config, request, 1, c.suppress, "an event");
    ASSERT_EQ(logger.calls.size(), c.written ? 1u : 0u)
        << c.hostCapable << c.enabled << c.suppress << c.hasLogger;
    if (!c.written) continue;
    EXPECT_EQ(logger.calls[0].one, 1u);
    EXPECT_EQ(logger.calls[0].kind, 1u);
    EXPECT_EQ(logger.calls[0].line, LineFor(request, "an event"));
    EXPECT_EQ(logger.calls[0].source, "Aurivex 3.0 for Corvane");
  }
}

TEST_F(EventLogTest, EventTexts) {
  const RequestState fresh = [this] {
    RequestState state;
    state.logger = &logger;
    return state;
  }();
  struct Case {
    const char* name;
    int32_t recordedCategory;
    std::function<void()> log;
    const RequestState* from;
    uint32_t kind;
    std::string text;
  };
  const Case cases[] = {
      {"list block", CategoryBlocked, [&] { LogBlocked(config, request, "User URL List"); }, &request, 0,
       "[User URL List] blocked http://casino.example for user bob"},
      {"content block", 2, [&] { LogBlockedScore(config, request, "AI", 70.0f); }, &request, 0,
       "[AI -  70 percent Gambling] blocked http://casino.example for user bob"},
      {"rounded", 2, [&] { LogBlockedScore(config, request, "AI Cache", 99.6f); }, &request, 0,
       "[AI Cache - 100 percent Gambling] blocked http://casino.example for user bob"},
      {"no row", CategoryNone, [&] { LogBlockedScore(config, request, "AI", 5.0f); }, &request, 0,
       "[AI -   5 percent ] blocked http://casino.example for user bob"},
      {"allowed", CategoryAllowed, [&] { LogAllowed(config, request); }, &request, 0,
       "Explicitly allowed http://casino.example for user bob"},
      {"change", CategoryNone, [&] { LogConfigurationChange(config, fresh); }, &fresh, 1,
       "Configuration has changed"},
  };
  for (const Case& c : cases) {
    logger.calls.clear();
    request.recordedCategory = c.recordedCategory;
    c.log();
    ASSERT_EQ(logger.calls.size(), 1u) << c.name;
    EXPECT_EQ(logger.calls[0].kind, c.kind) << c.name;
    EXPECT_EQ(logger.calls[0].line, LineFor(*c.from, c.text)) << c.name;
  }
}

TEST_F(EventLogTest, EachEventFollowsItsOwnFlag) {
  enum Flag { Blocked, Allowed, Changes };
  struct Case {
    const char* name;
    Flag flag;
    std::function<void()> log;
  };
  const Case cases[] = {
      {"blocked", Blocked, [&] { LogBlocked(config, request, "Aurivex URL List"); }},
      {"blocked with score", Blocked, [&] { LogBlockedScore(config, request, "AI", 80.0f); }},
      {"allowed", Allowed, [&] { LogAllowed(config, request); }},
      {"configuration change", Changes, [&] { LogConfigurationChange(config, request); }},
  };
  for (const Case& c : cases) {
    for (bool own : {true, false}) {
      logger.calls.clear();
      config.logging.logBlocked = (c.flag == Blocked) == own;
      config.logging.logAllowed = (c.flag == Allowed) == own;
      config.logging.logConfigurationChanges = (c.flag == Changes) == own;
      c.log();
      EXPECT_EQ(logger.calls.size(), own ? 1u : 0u) << c.name << " own flag " << own;
    }
  }
}

TEST_F(EventLogTest, ARequestWithoutLoggerWritesNothing) {
  request.logger = nullptr;
  request.recordedCategory = CategoryNone;
  LogBlocked(config, request, nullptr);
  LogBlockedScore(config, request, "AI", 70.0f);
  LogAllowed(config, request);
  LogConfigurationChange(config, request);
  EXPECT_TRUE(logger.calls.empty());
}

}  // namespace
}  // namespace avex

namespace avex {
namespace {

TEST_F(EventLogTest, ControlBytesInTheUrlOrUserCannotForgeFieldsOrLines) {
  request.url = std::string("http://a.example/x\tforged\r\n10.9.9.9\tadmin") + '\x7F' + '\x01';
  request.userName = "eve\tadmin";
  LogBlocked(config, request, "User URL List");
  LogAllowed(config, request);
  request.recordedCategory = 2;
  LogBlockedScore(config, request, "AI", 70.0f);
  ASSERT_EQ(logger.calls.size(), 3u);
  for (const auto& call : logger.calls) {
    // Exactly the three separators of the line's own columns, and no line break.
    EXPECT_EQ(std::count(call.line.begin(), call.line.end(), '\t'), 3) << call.line;
    EXPECT_EQ(call.line.find_first_of("\r\n\x7F\x01"), std::string::npos) << call.line;
    EXPECT_NE(call.line.find("\teve?admin\t"), std::string::npos) << call.line;
    EXPECT_NE(call.line.find("http://a.example/x?forged??10.9.9.9?admin?? for user eve?admin"), std::string::npos)
        << call.line;
  }
  // The request itself keeps the real text for the decision and the block page.
  EXPECT_EQ(request.userName, "eve\tadmin");
}

}  // namespace
}  // namespace avex
