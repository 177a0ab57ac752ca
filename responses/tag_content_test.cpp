#include "responses/tag_content.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace avex {
namespace {

using namespace std::string_literals;

struct Case {
  const char* name;
  std::string contents;
  std::string expected;
};

TEST(TagContent, BodyOfAFile) {
  const Case cases[] = {
      {"mixed-case tag with attributes keeps the text's case",
       "<HTML><Head><Title>x</Title></Head>\r\n<Body bgcolor=white>Blocked ##CATEGORY##</BODY></Html>",
       "Blocked ##CATEGORY##"},
      {"no tags at all: the whole file", "Blocked ##CATEGORY##\r\n", "Blocked ##CATEGORY##\r\n"},
      {"a text file with other tags: the whole file", "<b>bold</b>", "<b>bold</b>"},
      {"opening tag only: the rest of the file", "<html><body>Blocked<p>for now", "Blocked<p>for now"},
      {"no \">\" after the opening tag: the whole file", "<html><body class=x", "<html><body class=x"},
      {"attributes on several lines", "<body\r\n  bgcolor=\"white\"\r\n  text=black>Hi</body>", "Hi"},
      {"the first \">\" ends the opening tag", "<body title=\"a>b\">Hi</body>", "b\">Hi"},
      {"the first closing tag ends the content", "<body>one</body>two</body>", "one"},
      {"the first opening tag counts", "<body>one</body><body>two</body>", "one"},
      {"a longer tag name that begins the same", "<bodyguard>x</body>", "x"},
      {"a closing tag before the opening tag is not seen", "</body><body>x</body>", "x"},
      {"empty element", "<body></body>", ""},
      {"empty file", "", ""},
      {"tag at the very end", "text<body>", ""},
      {"embedded NUL bytes are ordinary bytes", "a\0<body>b\0c</body>\0"s, "b\0c"s},
      {"a NUL inside the closing tag hides it", "<body>b</bo\0dy>"s, "b</bo\0dy>"s},
      {"non-ASCII bytes are kept", "<body>\xC4\xD6 \xE9</BODY>", "\xC4\xD6 \xE9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(TagContent(c.contents, "BODY", "</BODY>")), c.expected) << c.name;
  }
}

TEST(TagContent, TitleOfAFile) {
  const Case cases[] = {
      {"title element", "<html><head><TITLE>Blocked - ##PLUGINNAME##</title></head>", "Blocked - ##PLUGINNAME##"},
      {"no title: the whole file", "<html><body>x</body></html>", "<html><body>x</body></html>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(TagContent(c.contents, "TITLE", "</TITLE>")), c.expected) << c.name;
  }
}

TEST(TagContent, IsAViewIntoTheContents) {
  const std::string contents = "<body>x</body>";
  const std::string_view content = TagContent(contents, "BODY", "</BODY>");
  EXPECT_EQ(content.data(), contents.data() + 6);
  EXPECT_EQ(content.size(), 1u);
}

TEST(TagContent, LargeFileOfNearMisses) {
  // 50 MB of near-misses for both tags, the size of a large imported page.
  std::string contents;
  contents.reserve(50u << 20);
  while (contents.size() < (50u << 20) - 64) contents += "<bod</bod";
  contents += "<body>end";
  EXPECT_EQ(TagContent(contents, "BODY", "</BODY>"), "end");
  std::string opened = "<body>" + contents;
  EXPECT_EQ(TagContent(opened, "BODY", "</BODY>").size(), contents.size());
}

}  // namespace
}  // namespace avex
