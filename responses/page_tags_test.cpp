#include "responses/page_tags.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/code_page.h"

namespace avex {
namespace {

// The defining loop, word for word: restart from the beginning after every
// deletion, upper-case each tag's inner text with the code page's own
// function. Quadratic; the oracle for small inputs only.
bool PageTagsOracleIsPageTag(const std::string& upperInner) {
  static const char* const keywords[] = {"HTML", "/HTML", "HEAD", "/HEAD",
                                         "TITLE", "/TITLE", "BODY", "/BODY"};
  for (const char* keyword : keywords) {
    if (upperInner.compare(0, std::string(keyword).size(), keyword) == 0) return true;
    if (upperInner.find(std::string(" ") + keyword) != std::string::npos) return true;
  }
  return false;
}

std::string PageTagsOracle(std::string text) {
  size_t search = 0;
  for (;;) {
    size_t open = text.find('<', search);
    if (open == std::string::npos) break;
    size_t close = text.find('>', open + 1);
    if (close == std::string::npos) break;
    std::string inner = text.substr(open + 1, close - open - 1);
    platform::UpperInPlace(&inner);
    if (PageTagsOracleIsPageTag(inner)) {
      text.erase(open, close - open + 1);
      search = 0;
    } else {
      search = open + 1;
    }
  }
  return text;
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(PageTagsStrip, Cases) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"<html><body>Hello</body></html>", "Hello"},
      {"<HTML><BODY>Hello</BODY></HTML>", "Hello"},
      {"<Html><bOdY>Hello</BoDy></hTmL>", "Hello"},
      {"<title>Word</title>", "Word"},
      {"<head><title>x</title></head>y", "xy"},
      {"<header>kept?</header>", "kept?"},             // HEADER begins with HEAD
      {"<!DOCTYPE html>page", "page"},                 // " HTML" inside
      {"<!DOCTYPE HTML PUBLIC \"x\">page", "page"},
      {"<!DOCTYPEhtml>page", "<!DOCTYPEhtml>page"},    // no blank before it
      {"a<br>b<font size=2>c</font>", "a<br>b<font size=2>c</font>"},
      {"<a title=\"t\" href=\"x\">link</a>", "link</a>"},  // " TITLE" inside
      {"<a href=x title=y>", ""},
      {"<bodyguard>", ""},                             // begins with BODY
      {"< body>", ""},                                 // " BODY" inside
      {"<xbody>", "<xbody>"},
      {"<p class=\"x\tbody\">", "<p class=\"x\tbody\">"},  // a tab is not a blank
      {"<html", "<html"},                              // no ">" after the last "<"
      {"text <b>bold</b> <html and more", "text <b>bold</b> <html and more"},
      {"<b>x</b><html", "<b>x</b><html"},
      {"<html>a<body", "a<body"},
      {"<>", "<>"},
      {"<<>>", "<<>>"},
      {"<<html>>", "<>"},                              // the inner "<" goes first
      {"<a <html>html>", ""},                          // the deletion joins " html"
      {"<ht<html>ml>", ""},                            // ... or a keyword at the start
      {"<x<html>>", "<x>"},
      {"</TITL<html>E>", ""},                          // the longest keyword, split by a deletion
      {"</TITL<html>e text>", ""},
      {"<x /TITL<b><html>E>", "<x /TITL<b>E>"},
      {"<TITL<html>E>", ""},
      {"<x <html>>", "<x >"},
      {"<a <b>html>", "<a <b>html>"},                  // "<b>" closes first and stays
      {">html<", ">html<"},
      {"</html>", ""},
      {"</HEAD></TITLE></BODY>", ""},
      {"<//html>", "<//html>"},
      {"< /html>", ""},
      {"<body onload=\"x()\">text", "text"},
      {"<BODY style=\"a\"><HTML>", ""},
      {"<\xE0html>", "<\xE0html>"},                    // a letter before it
      {"<html\xE0>", ""},
      {"<p \xC0 body>", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StripPageStructureTags(c.in), c.out) << "input: " << c.in;
    EXPECT_EQ(PageTagsOracle(c.in), c.out) << "oracle, input: " << c.in;
  }
}

// Every text of up to six characters over an alphabet that spells the
// keywords in both cases, with blanks, slashes and brackets.
TEST(PageTagsStrip, EqualsTheLoopOnEveryShortText) {
  const std::string alphabet = "<> /bOdY";
  std::string text;
  size_t cases = 0;
  for (size_t length = 0; length <= 6; ++length) {
    std::vector<size_t> digits(length, 0);
    for (;;) {
      text.assign(length, ' ');
      for (size_t i = 0; i < length; ++i) text[i] = alphabet[digits[i]];
      ASSERT_EQ(StripPageStructureTags(text), PageTagsOracle(text)) << "input: " << text;
      ++cases;
      size_t i = 0;
      while (i < length && ++digits[i] == alphabet.size()) digits[i++] = 0;
      if (i == length) break;
    }
  }
  EXPECT_GT(cases, 290000u);
}

// Random texts of HTML-like pieces: nested and overlapping tags, keywords in
// mixed case and cut short, unterminated tags, code page 1252 letters.
TEST(PageTagsStrip, EqualsTheLoopOnGeneratedTexts) {
  const char* const pieces[] = {
      "<", "<", "<", ">", ">", " ", " ", "/", "x", "a", "\xE0", "\xC0", "\xFF", "\x9A", "\t",
      "html", "HTML", "hTmL", "head", "HEAD", "Header", "title", "TITLE", "tItle", "body",
      "BODY", "Bo", "dy", "ht", "ml", "tit", "le", "he", "ad", "/html", "/body", "/Title",
      "<html>", "</html>", "<body>", "</BODY>", "<head>", "<title>", "<br>", "<b>", "</b>",
      "<font size=2>", "<!DOCTYPE html>", "<a title=x>", "< body>", "<x", "<<", ">>", "<>",
      "<p class=\"y\">", " html", " /head", " title", "/TITL", "TITL", "/BOD", "HEA", "/HTM",
      "E", "Y", "L", "D", "<html>", "</title>",
  };
  const size_t pieceCount = sizeof pieces / sizeof pieces[0];
  std::mt19937 random(20240611);
  for (int n = 0; n < 40000; ++n) {
    size_t count = random() % 24;
    std::string text;
    for (size_t i = 0; i < count; ++i) text += pieces[random() % pieceCount];
    ASSERT_EQ(StripPageStructureTags(text), PageTagsOracle(text)) << "case " << n << ": " << text;
  }
}

// Shapes that make the loop slow: long groups of "<" that share one ">", and
// deletions that keep joining a long open group with what follows.
TEST(PageTagsStrip, EqualsTheLoopOnAdversarialShapes) {
  const std::string shapes[] = {
      Repeat("<x", 150) + Repeat("<html>", 150) + ">",
      Repeat("<x", 150) + Repeat("<html>", 150),
      Repeat("<", 300) + "html" + Repeat(">", 300),
      Repeat("<", 300) + Repeat(">", 300),
      Repeat("<a ", 100) + Repeat("<b>html>", 100),
      Repeat("<a ", 100) + Repeat("<html>html>", 100),
      Repeat("<ht<html>ml>", 100),
      Repeat("<x", 200) + " body" + Repeat("<y", 200) + ">",
      Repeat("<html><body><p>x</p></body></html>", 100),
  };
  for (const std::string& text : shapes) {
    ASSERT_EQ(StripPageStructureTags(text), PageTagsOracle(text)) << text.substr(0, 80);
  }
}

// A mebibyte of tags (how long it takes is for bench/, not for a test).
TEST(PageTagsStrip, LargeInputs) {
  const std::string piece = "<html><HEAD><title>t</title></head><body><p>x</p><br></body></html>";
  std::string big = Repeat(piece, (size_t{1} << 20) / piece.size() + 1);
  EXPECT_EQ(StripPageStructureTags(big), Repeat("t<p>x</p><br>", big.size() / piece.size()));

  // An open group of half a mebibyte that every deletion joins with the next.
  const size_t half = size_t{1} << 18;
  EXPECT_EQ(StripPageStructureTags(Repeat("<x", half) + Repeat("<html>", half / 3) + ">"),
            Repeat("<x", half) + ">");
  EXPECT_EQ(StripPageStructureTags(Repeat("<", size_t{1} << 20) + ">"),
            Repeat("<", size_t{1} << 20) + ">");
  EXPECT_EQ(StripPageStructureTags(Repeat("<a ", half) + Repeat("<html>", half / 4) + "html>"), "");
}

}  // namespace
}  // namespace avex
