#include "host/proxy/http_url.h"

#include <gtest/gtest.h>

namespace avex::host::proxy {
namespace {

struct UrlCase {
  const char* url;
  bool valid;
  const char* host;
  const char* port;
  const char* path;
};

TEST(HttpUrlTest, SplitsAbsoluteHttpUrls) {
  const UrlCase cases[] = {
      {"http://example.org", true, "example.org", "80", "/"},
      {"HTTP://Example.org:8080/a/b?q=1", true, "Example.org", "8080", "/a/b?q=1"},
      {"http://127.0.0.1:3456?x", true, "127.0.0.1", "3456", "/?x"},
      {"http://[::1]:81/p#frag", true, "::1", "81", "/p"},
      {"http://[::1]/", true, "::1", "80", "/"},
      {"https://example.org/", false, "", "", ""},
      {"/relative", false, "", "", ""},
      {"http://", false, "", "", ""},
      {"http://:80/", false, "", "", ""},
      {"http://host:0/", false, "", "", ""},
      {"http://host:65536/", false, "", "", ""},
      {"http://host:8x/", false, "", "", ""},
      {"http://user:pw@host/", false, "", "", ""},
      {"http://[::1/", false, "", "", ""},
  };
  for (const UrlCase& c : cases) {
    UpstreamTarget target;
    EXPECT_EQ(SplitHttpUrl(c.url, &target), c.valid) << c.url;
    if (!c.valid) continue;
    EXPECT_EQ(target.host, c.host) << c.url;
    EXPECT_EQ(target.port, c.port) << c.url;
    EXPECT_EQ(target.path, c.path) << c.url;
  }
}

TEST(HttpUrlTest, ConnectTargetsNeedAPort) {
  UpstreamTarget target;
  ASSERT_TRUE(SplitAuthority("secure.example:443", &target));
  EXPECT_EQ(target.host, "secure.example");
  EXPECT_EQ(target.port, "443");
  ASSERT_TRUE(SplitAuthority("[2001:db8::1]:8443", &target));
  EXPECT_EQ(target.host, "2001:db8::1");
  EXPECT_FALSE(SplitAuthority("secure.example", &target));
  EXPECT_FALSE(SplitAuthority(":443", &target));
}

}  // namespace
}  // namespace avex::host::proxy
