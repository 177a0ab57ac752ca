// The Filtered categories page, worked as a person would: rows clicked with
// the mouse, check boxes ticked, the level slider moved with its keys. What
// the page stored is read back from the record GetConfiguration returns.
#include <windows.h>

#include <string>
#include <vector>

#include "common/category_table.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::CategoryBlocked;
using avex::PluginConfiguration;
using avex::host::DialogDriver;
using namespace avex::testing;

// The page's rows, in the order the page lists them.
const std::vector<std::string> kListedCategories = {
    "Sexual content",       "Gambling content",   "Sport content",         "Job-seeking content",
    "Shopping content",     "Stock content",      "Violence content",      "Web-mail content",
    "Weapons content",      "Hate-speech content", "Drug content",         "Games content",
    "News content",         "Software download content", "Travel content", "Cult content",
    "Warez content",        "Auctions content",   "Dating content",        "Chat content",
    "Health content",       "Forum content",      "Government content",    "Finance / Banking content",
    "Child pornography content", "Social networking content", "Blog site", "Administratively blocked"};

int Row(const std::string& description) {
  for (size_t row = 0; row < kListedCategories.size(); ++row) {
    if (kListedCategories[row] == description) return static_cast<int>(row);
  }
  ADD_FAILURE() << "no row " << description;
  return -1;
}

avex::CategorySetting& SettingOf(PluginConfiguration& configuration, int32_t id) {
  return *configuration.settings.SettingOf(id);
}

avex::CategorySetting SettingOf(const PluginConfiguration& configuration, int32_t id) {
  return *configuration.settings.SettingOf(id);
}

class CategoriesPageTest : public DialogTest {
 protected:
  static std::string RowText(const DialogDriver& driver, const std::string& description) {
    return driver.ListText(IDC_CATEGORY_LIST, Row(description), 0);
  }
  static std::string Percentage(const DialogDriver& driver, const std::string& description) {
    return driver.ListText(IDC_CATEGORY_LIST, Row(description), 1);
  }
  static bool SliderShown(const DialogDriver& driver) { return driver.IsVisible(IDC_CATEGORY_LEVEL); }

  // Clicks a row's text and waits until the page has answered: the slider
  // shows with the focus for a row whose level is shown, and is away for
  // any other.
  static void SelectRow(const DialogDriver& driver, const std::string& description, bool withSlider) {
    ASSERT_TRUE(driver.ClickListRow(IDC_CATEGORY_LIST, Row(description))) << description;
    if (withSlider) {
      ASSERT_TRUE(DialogDriver::WaitFor([&] {
        return SliderShown(driver) && driver.FocusedControl() == driver.Control(IDC_CATEGORY_LEVEL);
      })) << description;
    } else {
      ASSERT_TRUE(DialogDriver::WaitFor([&] { return !SliderShown(driver); })) << description;
    }
  }

  static void SlideTo(const DialogDriver& driver, int level) {
    ASSERT_TRUE(driver.SlideWithKeys(IDC_CATEGORY_LEVEL, level)) << level;
  }

  PluginConfiguration OkAndReadBack(const DialogDriver& driver) {
    EXPECT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
    EXPECT_EQ(DialogResult(), ResultOk);
    return ConsoleConfiguration();
  }
};

TEST_F(CategoriesPageTest, AFreshPageListsTheListedCategoriesWithTheirLevelsAndCheckBoxes) {
  PluginConfiguration configuration;
  SettingOf(configuration, 1).level = 60;
  SettingOf(configuration, 2).level = 60;
  SettingOf(configuration, 2).enabled = false;   // Gambling
  SettingOf(configuration, 10).enabled = false;  // Weapons
  SettingOf(configuration, 3).level = 35;        // Sport: its level is not shown
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  ASSERT_EQ(driver.ActivePageTitle(), "Filtered categories");

  ASSERT_EQ(driver.ListRowCount(IDC_CATEGORY_LIST), static_cast<int>(kListedCategories.size()));
  for (size_t row = 0; row < kListedCategories.size(); ++row) {
    const std::string& description = kListedCategories[row];
    EXPECT_EQ(driver.ListText(IDC_CATEGORY_LIST, static_cast<int>(row), 0), description);
    EXPECT_EQ(driver.ListText(IDC_CATEGORY_LIST, static_cast<int>(row), 1), row < 2 ? "60%" : "NA") << description;
    const bool enabled = description != "Gambling content" && description != "Weapons content";
    EXPECT_EQ(driver.IsListRowChecked(IDC_CATEGORY_LIST, static_cast<int>(row)), enabled) << description;
  }
  EXPECT_FALSE(SliderShown(driver));

  // Opening and closing the page changes nothing.
  EXPECT_EQ(RecordOf(OkAndReadBack(driver)), RecordOf(configuration));
}

TEST_F(CategoriesPageTest, LevelsAreTruncatedForTheListAndTheSlider) {
  struct Case {
    float level;
    const char* percentage;
    int slider;
  };
  // A level beyond any whole number of percent, as a stored DWORD may give,
  // shows as the largest one and puts the slider at its end.
  const Case cases[] = {{59.9f, "59%", 59},
                        {0.5f, "0%", 0},
                        {100.0f, "100%", 100},
                        {60.0f, "60%", 60},
                        {4294967295.0f, "2147483647%", 100}};
  for (const Case& c : cases) {
    PluginConfiguration configuration;
    SettingOf(configuration, 1).level = c.level;
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    EXPECT_EQ(Percentage(driver, "Sexual content"), c.percentage) << c.level;
    SelectRow(driver, "Sexual content", true);
    EXPECT_EQ(driver.SliderPosition(IDC_CATEGORY_LEVEL), c.slider) << c.level;
    EXPECT_EQ(RowText(driver, "Sexual content"), "Sexual content (" + std::string(c.percentage) + ")");
    ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
    EXPECT_EQ(DialogResult(), ResultNotCompleted);
    CloseConsole();
  }
}

TEST_F(CategoriesPageTest, TheSliderSetsTheLevelOfTheSelectedRowOverItsPercentageCell) {
  PluginConfiguration configuration;
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();

  SelectRow(driver, "Sexual content", true);
  const RECT cell = driver.ListCellRect(IDC_CATEGORY_LIST, Row("Sexual content"), 1);
  RECT slider;
  GetWindowRect(driver.Control(IDC_CATEGORY_LEVEL), &slider);
  EXPECT_EQ(slider.left, cell.left);
  EXPECT_EQ(slider.right, cell.right);
  EXPECT_EQ(slider.top, cell.top);
  EXPECT_EQ(slider.bottom, cell.bottom);
  EXPECT_EQ(RowText(driver, "Sexual content"), "Sexual content (60%)");
  EXPECT_EQ(driver.SliderPosition(IDC_CATEGORY_LEVEL), 60);
  driver.Screenshot(ProgramDirectory() + "categories-page-slider.png");

  // The row's text follows the slider at once; its Percentage cell, under
  // the slider, when the row is left.
  SlideTo(driver, 75);
  EXPECT_EQ(RowText(driver, "Sexual content"), "Sexual content (75%)");
  EXPECT_EQ(Percentage(driver, "Sexual content"), "60%");

  SelectRow(driver, "Gambling content", true);
  EXPECT_EQ(RowText(driver, "Sexual content"), "Sexual content");
  EXPECT_EQ(Percentage(driver, "Sexual content"), "75%");
  EXPECT_EQ(RowText(driver, "Gambling content"), "Gambling content (60%)");
  GetWindowRect(driver.Control(IDC_CATEGORY_LEVEL), &slider);
  EXPECT_EQ(slider.top, driver.ListCellRect(IDC_CATEGORY_LIST, Row("Gambling content"), 1).top);
  SlideTo(driver, 45);

  SelectRow(driver, "Sport content", false);
  EXPECT_EQ(RowText(driver, "Gambling content"), "Gambling content");
  EXPECT_EQ(Percentage(driver, "Gambling content"), "45%");
  EXPECT_EQ(Percentage(driver, "Sport content"), "NA");

  PluginConfiguration after = OkAndReadBack(driver);
  EXPECT_EQ(SettingOf(after, 1).level, 75.0f);
  EXPECT_EQ(SettingOf(after, 2).level, 45.0f);
  EXPECT_EQ(SettingOf(after, 3).level, SettingOf(configuration, 3).level);
}

TEST_F(CategoriesPageTest, EveryKeyOfTheSliderSetsTheLevelLive) {
  StartConsole(PluginConfiguration());
  DialogDriver driver = OpenDialog();
  SelectRow(driver, "Gambling content", true);
  struct Step {
    WORD key;
    int level;
  };
  const Step steps[] = {{VK_RIGHT, 61}, {VK_LEFT, 60}, {VK_NEXT, 80}, {VK_PRIOR, 60},
                        {VK_END, 100},  {VK_HOME, 0},  {VK_DOWN, 1}, {VK_UP, 0}};
  for (const Step& step : steps) {
    driver.PressKeys({step.key});
    const std::string expected = "Gambling content (" + std::to_string(step.level) + "%)";
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return RowText(driver, "Gambling content") == expected; }))
        << "key " << step.key << ": " << RowText(driver, "Gambling content");
  }
  // OK while the slider still shows stores where it stands.
  EXPECT_EQ(SettingOf(OkAndReadBack(driver), 2).level, 0.0f);
}

TEST_F(CategoriesPageTest, MovingTheSliderKeepsTheEnabledFlagOfTheCheckBox) {
  struct Case {
    bool enabled;
    bool clickCheckBox;
  };
  const Case cases[] = {{true, false}, {false, false}, {true, true}, {false, true}};
  for (const Case& c : cases) {
    PluginConfiguration configuration;
    SettingOf(configuration, 1).enabled = c.enabled;
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    const int row = Row("Sexual content");
    if (c.clickCheckBox) {
      ASSERT_TRUE(driver.ClickListCheckBox(IDC_CATEGORY_LIST, row));
      ASSERT_TRUE(DialogDriver::WaitFor([&] { return SliderShown(driver); }));
      ASSERT_TRUE(DialogDriver::WaitFor([&] {
        return driver.FocusedControl() == driver.Control(IDC_CATEGORY_LEVEL);
      }));
    } else {
      SelectRow(driver, "Sexual content", true);
    }
    const bool ticked = c.enabled != c.clickCheckBox;
    EXPECT_EQ(driver.IsListRowChecked(IDC_CATEGORY_LIST, row), ticked);
    SlideTo(driver, 30);
    // Leaving the row stores it again, from the slider and the check box.
    SelectRow(driver, "Sport content", false);

    PluginConfiguration after = OkAndReadBack(driver);
    EXPECT_EQ(SettingOf(after, 1).enabled, ticked) << "enabled " << c.enabled << ", clicked " << c.clickCheckBox;
    EXPECT_EQ(SettingOf(after, 1).level, 30.0f);
    CloseConsole();
  }
}

TEST_F(CategoriesPageTest, ClickingBelowTheLastRowPutsTheSliderAwayAndKeepsTheLevel) {
  StartConsole(PluginConfiguration());
  DialogDriver driver = OpenDialog();
  SelectRow(driver, "Sexual content", true);
  SlideTo(driver, 75);
  ASSERT_TRUE(driver.ClickListBelowRows(IDC_CATEGORY_LIST));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return !SliderShown(driver); }));
  EXPECT_EQ(RowText(driver, "Sexual content"), "Sexual content");
  EXPECT_EQ(Percentage(driver, "Sexual content"), "75%");

  EXPECT_EQ(SettingOf(OkAndReadBack(driver), 1).level, 75.0f);
}

TEST_F(CategoriesPageTest, CheckBoxesEnableAndDisableCategoriesWithoutASliderForNaRows) {
  PluginConfiguration configuration;
  SettingOf(configuration, 3).enabled = false;  // Sport
  // Rows the page does not list keep what they hold.
  SettingOf(configuration, 0).level = 33;  // Unknown
  SettingOf(configuration, 0).enabled = false;
  SettingOf(configuration, 26).level = 44;  // Old shopping
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();

  struct Click {
    const char* description;
    bool checkedAfter;
  };
  const Click clicks[] = {{"Administratively blocked", false}, {"Sport content", true}, {"Blog site", false}};
  for (const Click& click : clicks) {
    const int row = Row(click.description);
    ASSERT_TRUE(driver.ClickListCheckBox(IDC_CATEGORY_LIST, row)) << click.description;
    EXPECT_TRUE(DialogDriver::WaitFor([&] {
      return driver.IsListRowChecked(IDC_CATEGORY_LIST, row) == click.checkedAfter;
    })) << click.description;
    driver.Settle();
    EXPECT_FALSE(SliderShown(driver)) << click.description;
    EXPECT_EQ(Percentage(driver, click.description), "NA");
  }

  PluginConfiguration after = OkAndReadBack(driver);
  PluginConfiguration expected = configuration;
  SettingOf(expected, CategoryBlocked).enabled = false;
  SettingOf(expected, 3).enabled = true;
  SettingOf(expected, 30).enabled = false;  // Blog site
  EXPECT_EQ(RecordOf(after), RecordOf(expected));
}

TEST_F(CategoriesPageTest, CancelKeepsTheStoredCategorySettings) {
  PluginConfiguration configuration;
  SettingOf(configuration, 1).level = 59.9f;
  StartConsole(configuration);
  DialogDriver driver = OpenDialog();
  SelectRow(driver, "Sexual content", true);
  SlideTo(driver, 90);
  ASSERT_TRUE(driver.ClickListCheckBox(IDC_CATEGORY_LIST, Row("Administratively blocked")));
  ASSERT_TRUE(DialogDriver::WaitFor([&] {
    return !driver.IsListRowChecked(IDC_CATEGORY_LIST, Row("Administratively blocked"));
  }));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
  EXPECT_EQ(ConsoleRecord(), RecordOf(configuration));
}

}  // namespace
