#include "ui/pages/imported_file.h"

#include <gtest/gtest.h>

#include <string>

namespace avex::ui {
namespace {

TEST(ImportedFile, HtmlFilesAreKnownByTheirExtensionInAnyCase) {
  const struct {
    const char* path;
    bool html;
  } cases[] = {
      {"C:\\pages\\block.html", true}, {"C:\\pages\\block.HTM", true},  {"block.Html", true},
      {"C:\\pages\\block.txt", false}, {"C:\\pages.html\\block", false}, {"C:\\pages\\block.shtml", false},
      {"C:\\pages\\html", false},      {"block.htm.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsHtmlFilePath(c.path), c.html) << c.path;
}

TEST(ImportedFile, ErrorTextNamesTheSystemsDescriptionOrTheCodeAndPath) {
  const std::string known = ImportErrorText("C:\\block.htm", ERROR_SHARING_VIOLATION);
  EXPECT_EQ(known.rfind("Error: '", 0), 0u) << known;
  EXPECT_GT(known.size(), std::string("Error: ''").size()) << known;
  EXPECT_EQ(known.back(), '\'') << known;
  EXPECT_EQ(known.find('\n'), std::string::npos) << known;

  // A code the system has no description for.
  EXPECT_EQ(ImportErrorText("C:\\block.htm", 0x2000BEEF), "There was an error (536919791) importing 'C:\\block.htm'.");
}

}  // namespace
}  // namespace avex::ui
