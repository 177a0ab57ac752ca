#include "host/proxy/proxy_user.h"

#include <gtest/gtest.h>

namespace avex::host::proxy {
namespace {

TEST(ProxyUserTest, NameFromBasicCredentials) {
  const struct {
    const char* header;
    const char* user;
  } cases[] = {
      {"Basic YWxpY2U6c2VjcmV0", "alice"},     // alice:secret
      {"basic   Ym9iOg==  ", "bob"},            // bob:, any case and spacing
      {"Basic Y2Fyb2w=", "carol"},              // no colon: all of it is the name
      {"Basic OnB3", ""},                       // ":pw": no name
      {"Digest username=\"alice\"", ""},
      {"Basic", ""},
      {"Basicx YWxpY2U6", ""},
      {"Basic YWxp*2U6", ""},                   // not base64
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UserFromProxyAuthorization(c.header), c.user) << c.header;
}

}  // namespace
}  // namespace avex::host::proxy
