#include "ui/framework/tab_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "resources/resource_ids.h"

namespace avex::ui {
namespace {

TEST(DialogTemplateCaptionTest, PageTitlesComeFromTheTemplates) {
  struct Case {
    int templateId;
    const char* title;
  };
  const Case cases[] = {
      {IDD_CATEGORIES, "Filtered categories"},   {IDD_MANUAL_CLASSIFICATIONS, "Manual classifications"},
      {IDD_USER_SETUP, "User setup"},            {IDD_MISC_SETTINGS, "Misc settings"},
      {IDD_CUSTOM_RESPONSES, "Custom responses"}, {IDD_TEST_URL, "Test URL"},
      {IDD_LOGGING, "Logging"},                  {IDD_ABOUT, "About"},
      {IDD_CONFIGURATION, "Aurivex 3.0 for Corvane"},
  };
  for (const Case& c : cases) EXPECT_EQ(DialogTemplateCaption(c.templateId), c.title) << c.templateId;
  EXPECT_EQ(CTabPage(IDD_MISC_SETTINGS).Title(), "Misc settings");
}

// A template with a menu given by name and a class by ordinal, in both layouts.
std::vector<uint16_t> TemplateWords(bool extended) {
  std::vector<uint16_t> words;
  if (extended) words = {1, 0xFFFF, 0, 0, 0, 0};  // version, signature, help id, extended style
  words.insert(words.end(), {0x00C0, 0x8000, 0, 0, 0, 0, 0, 10, 10, 100, 50});  // style, (ex)style, count, rect
  if (!extended) words.erase(words.begin() + 2);  // DLGTEMPLATE: style, extended style, then a one-word count
  words.insert(words.end(), {'M', 'e', 'n', 'u', 0, 0xFFFF, 0x0081, 'P', 'a', 'g', 'e', 0});
  return words;
}

TEST(DialogTemplateCaptionTest, SkipsMenuAndClassAndSurvivesCutTemplates) {
  for (bool extended : {true, false}) {
    const std::vector<uint16_t> words = TemplateWords(extended);
    const size_t bytes = words.size() * 2;
    EXPECT_EQ(DialogTemplateCaption(words.data(), bytes), "Page") << extended;
    for (size_t cut = 0; cut < bytes; ++cut) EXPECT_EQ(DialogTemplateCaption(words.data(), cut), "") << cut;
  }
  EXPECT_EQ(DialogTemplateCaption(nullptr, 100), "");
}

}  // namespace
}  // namespace avex::ui
