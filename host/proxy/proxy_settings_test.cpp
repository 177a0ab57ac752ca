#include "host/proxy/proxy_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avex::host::proxy {
namespace {

bool Parse(std::vector<std::string> arguments, ProxySettings* settings, std::string* error) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  return ParseProxyArguments(static_cast<int>(argv.size()), argv.data(), settings, error);
}

TEST(ProxySettingsTest, ConfigurationAppliesNeedRecordsAPeriodAndThePlugIn) {
  const struct {
    std::vector<std::string> arguments;
    bool accepted;
    std::vector<std::string> records;
    long long periodMs;
  } cases[] = {
      {{"--apply-records", "a.rec,b.rec", "--apply-every", "1"}, true, {"a.rec", "b.rec"}, 1000},
      {{"--apply-every", "0.25", "--apply-records", "only.rec"}, true, {"only.rec"}, 250},
      {{"--apply-records", "Z:\\work\\a.rec,Z:\\work\\b.rec", "--apply-every", "2"}, true,
       {"Z:\\work\\a.rec", "Z:\\work\\b.rec"}, 2000},
      {{"--apply-records", "a.rec,b.rec"}, false, {}, 0},
      {{"--apply-every", "1"}, false, {}, 0},
      {{"--apply-records", "a.rec,,b.rec", "--apply-every", "1"}, false, {}, 0},
      {{"--apply-records", ",", "--apply-every", "1"}, false, {}, 0},
      {{"--apply-records", "a.rec", "--apply-every", "0"}, false, {}, 0},
      {{"--apply-records", "a.rec", "--apply-every", "soon"}, false, {}, 0},
      {{"--apply-records", "a.rec", "--apply-every", "1", "--pass-through"}, false, {}, 0},
      {{}, true, {}, 0},
  };
  for (const auto& c : cases) {
    ProxySettings settings;
    std::string error;
    const std::string shown = ::testing::PrintToString(c.arguments);
    ASSERT_EQ(Parse(c.arguments, &settings, &error), c.accepted) << shown << ": " << error;
    if (!c.accepted) {
      EXPECT_FALSE(error.empty()) << shown;
      continue;
    }
    EXPECT_EQ(settings.applyRecords, c.records) << shown;
    EXPECT_EQ(settings.applyEvery.count(), c.periodMs) << shown;
  }
}

}  // namespace
}  // namespace avex::host::proxy
