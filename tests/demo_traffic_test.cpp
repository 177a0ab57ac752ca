// The demo's school traffic through the real plug-in and the stand-in
// engine: one request for every outcome of the decision chain and of content
// scanning, each checked for its result, its block page and its event line.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/scanning_table.h"
#include "host/user_directory.h"
#include "platform/registry_fixture.h"
#include "tests/keeping_logger.h"
#include "tests/loaded_plugin.h"

namespace {

constexpr uint32_t kOk = 0x00000000;
constexpr uint32_t kReject = 0x41000000;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

struct Expected {
  uint32_t result;
  const char* pageHas;  // in the HTML block page of a block
  const char* event;    // the start of the request's one event line, or null for none
};

class DemoTrafficTest : public avex::testing::LoadedPluginTest {};

TEST_F(DemoTrafficTest, EveryOutcome) {
  const std::string demo = avex::testing::ProgramDirectory() + "demo/";
  ASSERT_TRUE(avex::platform::registry::ImportRegFile(demo + "settings.reg"));
  avex::host::UserDirectory users;
  std::string error;
  ASSERT_TRUE(users.Load(demo + "users.txt", &error)) << error;
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(0, 0), 1);
  void* object = plug_.PlugFabricateInterface();
  ASSERT_NE(object, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(object);
  avex::testing::KeepingLogger logger;
  slots.SetLogger(object, &logger);
  ASSERT_EQ(slots.SetUserDatabase(object, &users.Database()), kOk);

  // In the order of demo/requests.txt.
  const Expected expected[] = {
      {0x80000007, nullptr, nullptr},                                    // bob: not filtered
      {0x8000000A, nullptr, nullptr},                                    // no user
      {0x8000000B, nullptr, nullptr},                                    // an image
      {0x40000000, nullptr, "Explicitly allowed http://proxy.example/docs"},   // URL list, allowed
      {kReject, "[Blocked]", "[User URL List] blocked http://homework.example"},  // URL list, blocked
      {0x40000000, nullptr, "Explicitly allowed http://www.school.example"},     // site list, allowed
      {kReject, "[Chat]", "[User URL List] blocked http://chat.example"},         // site list, category
      {0x40000000, nullptr, "Explicitly allowed http://games.example/kids"},     // partial, allowed
      {kReject, "&lt;script&gt;", "[User URL List] blocked http://cheats.example"},  // partial, blocked
      {0x40000000, nullptr, "Explicitly allowed http://tv.example/football"},    // category not enabled
      {kReject, "[Gambling]", "[Aurivex URL List] blocked http://bigwin-casino"},  // static list
      {0x40000000, nullptr, "Explicitly allowed http://sports-results"},          // static, not enabled
      {kReject, "[Gambling]", "[AI Cache -  92 percent Gambling] blocked"},        // URL cache
      {0x40000000, nullptr, nullptr},                                    // cache below level, content passes
      {kReject, "[Gambling]", "[AI -  97 percent Gambling] blocked http://games.example/poker-night"},
      {0x40000000, nullptr, nullptr},                                    // content passes
      {0x40000000, nullptr, nullptr},                                    // sports content, not enabled
      {0x80000007, nullptr, nullptr},                                    // carol: staff, not filtered
  };

  std::istringstream requests(ReadFile(demo + "requests.txt"));
  size_t index = 0;
  for (std::string line; std::getline(requests, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    ASSERT_LT(index, std::size(expected));
    std::vector<std::string> field;
    std::stringstream split(line);
    for (std::string part; std::getline(split, part, '\t');) field.push_back(part);
    const Expected& want = expected[index++];
    logger.Clear();

    slots.Reset(object, 1);
    unsigned a, b, c, d;
    ASSERT_EQ(std::sscanf(field[1].c_str(), "%u.%u.%u.%u", &a, &b, &c, &d), 4);
    uint32_t result = slots.SetSource(object, field[2].c_str(), field[3] == "-" ? nullptr : field[3].c_str(),
                                      a << 24 | b << 16 | c << 8 | d, field[0].c_str());
    if (result == kOk) {
      const std::string body = field[4] == "-" ? std::string() : ReadFile(demo + field[4]);
      ASSERT_EQ(slots.PutData(object, body.data(), static_cast<uint32_t>(body.size())), kOk) << line;
      result = slots.CheckData(object);
    }
    EXPECT_EQ(result, want.result) << line;
    if (want.pageHas != nullptr) {
      uint32_t length = 0;
      slots.GetResponse(object, 1, nullptr, &length);
      std::string page(length + 1, '\0');
      ++length;
      slots.GetResponse(object, 1, &page[0], &length);
      EXPECT_NE(page.find(want.pageHas), std::string::npos) << line << "\n" << page;
    }
    if (want.event == nullptr) {
      EXPECT_TRUE(logger.texts.empty()) << line;
    } else {
      ASSERT_FALSE(logger.texts.empty()) << line;
      EXPECT_EQ(logger.texts[0].rfind(want.event, 0), 0u) << line << "\n" << logger.texts[0];
    }
  }
  EXPECT_EQ(index, std::size(expected));
  plug_.PlugReleaseInterface(object);
  plug_.PlugStop();
}

}  // namespace
