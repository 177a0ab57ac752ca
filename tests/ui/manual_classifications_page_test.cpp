// The Manual classifications page worked as a person would: adding,
// removing, moving, importing and exporting rows, then OK.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/category_table.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::CategoryAllowed;
using avex::CategoryBlocked;
using avex::PluginConfiguration;
using avex::host::DialogDriver;
using namespace avex::testing;

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;

struct Row {
  std::string text;
  std::string category;
  std::string type;
  friend bool operator==(const Row& a, const Row& b) {
    return a.text == b.text && a.category == b.category && a.type == b.type;
  }
  friend std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.text << " | " << row.category << " | " << row.type;
  }
};

class ManualClassificationsPageTest : public DialogTest {
 protected:
  DialogDriver OpenPage(const PluginConfiguration& configuration) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Manual classifications");
    return driver;
  }

  static std::vector<Row> Rows(const DialogDriver& driver) {
    std::vector<Row> rows;
    for (int i = 0; i < driver.ListRowCount(IDC_MANUAL_LIST); ++i) {
      rows.push_back({driver.ListText(IDC_MANUAL_LIST, i, 0), driver.ListText(IDC_MANUAL_LIST, i, 1),
                      driver.ListText(IDC_MANUAL_LIST, i, 2)});
    }
    return rows;
  }

  static void AddEntry(const DialogDriver& driver, const std::string& text, const char* type,
                       const char* classification) {
    driver.Type(IDC_MANUAL_ENTRY_TEXT, text);
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_ENTRY_TYPE, type));
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_CLASSIFICATION, classification));
    ASSERT_TRUE(driver.Click(IDC_MANUAL_ADD)) << text;
    driver.Settle();
  }

  static std::string TempPath(const char* name) { return ProgramDirectory() + name; }

  static std::string FileContent(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
};

PluginConfiguration StoredLists() {
  PluginConfiguration configuration;
  configuration.settings.lists.AppendPartial({"casino", kGambling});
  configuration.settings.lists.AppendPartial({"tricks", CategoryBlocked});
  configuration.settings.lists.InsertSite({"example.org", CategoryAllowed});
  configuration.settings.lists.InsertUrl({"http://example.com/page", kSex});
  return configuration;
}

TEST_F(ManualClassificationsPageTest, ShowsTheStoredListsAndGivesThemBackUnchanged) {
  const PluginConfiguration configuration = StoredLists();
  DialogDriver driver = OpenPage(configuration);
  const std::vector<Row> expected = {{"casino", "Gambling content", "Partial"},
                                     {"tricks", "Administratively blocked", "Partial"},
                                     {"example.org", "Allow", "Site"},
                                     {"http://example.com/page", "Sexual content", "URL"}};
  EXPECT_EQ(Rows(driver), expected);
  EXPECT_EQ(driver.ListItemData(IDC_MANUAL_LIST, 0), kGambling);
  EXPECT_EQ(driver.ListItemData(IDC_MANUAL_LIST, 2), CategoryAllowed);
  EXPECT_EQ(driver.Text(IDC_MANUAL_ENTRY_TYPE), "The following URL");
  EXPECT_EQ(driver.Text(IDC_MANUAL_CLASSIFICATION), "Allow");
  EXPECT_FALSE(driver.IsEnabled(IDC_MANUAL_ADD));
  EXPECT_FALSE(driver.IsEnabled(IDC_MANUAL_REMOVE));
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  EXPECT_EQ(ConsoleRecord(), RecordOf(configuration));
}

TEST_F(ManualClassificationsPageTest, AddNormalisesTheTextAndKeepsTextsUnique) {
  DialogDriver driver = OpenPage(StoredLists());
  AddEntry(driver, "Example.COM/news/?", "The following site", "Sexual content");
  EXPECT_EQ(Rows(driver).back(), (Row{"example.com/news", "Sexual content", "Site"}));
  EXPECT_EQ(driver.Text(IDC_MANUAL_ENTRY_TEXT), "Example.COM/news/?");  // the box keeps what was typed

  // Typed differently from the row, so Add is offered, but the normalised text is there.
  driver.Type(IDC_MANUAL_ENTRY_TEXT, "example.com/news/");
  EXPECT_TRUE(driver.IsEnabled(IDC_MANUAL_ADD));
  ASSERT_TRUE(driver.Click(IDC_MANUAL_ADD));
  driver.Settle();
  EXPECT_EQ(driver.ListRowCount(IDC_MANUAL_LIST), 5);
  // The text of a row, in any case, is not offered at all.
  driver.Type(IDC_MANUAL_ENTRY_TEXT, "EXAMPLE.ORG");
  EXPECT_FALSE(driver.IsEnabled(IDC_MANUAL_ADD));

  AddEntry(driver, "Poker", "Any URL containing", "Allow");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  const PluginConfiguration after = ConsoleConfiguration();
  ASSERT_EQ(after.settings.lists.partials().size(), 3u);
  EXPECT_EQ(after.settings.lists.partials()[2].text, "poker");
  EXPECT_EQ(after.settings.lists.partials()[2].categoryId, CategoryAllowed);
  ASSERT_EQ(after.settings.lists.sites().count("example.com/news"), 1u);
  EXPECT_EQ(after.settings.lists.sites().at("example.com/news").categoryId, kSex);
}

TEST_F(ManualClassificationsPageTest, RemoveAsksOnceForTheSelectedRows) {
  DialogDriver driver = OpenPage(StoredLists());
  driver.ClickListRow(IDC_MANUAL_LIST, 1);
  EXPECT_TRUE(driver.IsEnabled(IDC_MANUAL_REMOVE));
  EXPECT_TRUE(driver.IsEnabled(IDC_MANUAL_UP));
  ASSERT_TRUE(driver.Click(IDC_MANUAL_REMOVE));
  HWND box = driver.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(DialogDriver::MessageBoxText(box), "Are you sure you want to remove 'tricks' from the list ?");
  DialogDriver::AnswerMessageBox(box, IDNO);
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return !IsWindow(box); }));
  EXPECT_EQ(driver.ListRowCount(IDC_MANUAL_LIST), 4);

  driver.ClickListRow(IDC_MANUAL_LIST, 0);
  driver.ClickListRow(IDC_MANUAL_LIST, 2, true);
  driver.ClickListRow(IDC_MANUAL_LIST, 3, true);
  EXPECT_EQ(driver.SelectedListRows(IDC_MANUAL_LIST), (std::vector<int>{0, 2, 3}));
  EXPECT_TRUE(driver.IsEnabled(IDC_MANUAL_REMOVE));
  EXPECT_FALSE(driver.IsEnabled(IDC_MANUAL_UP));
  ASSERT_TRUE(driver.Click(IDC_MANUAL_REMOVE));
  box = driver.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(DialogDriver::WindowText(box), "Confirm Delete");
  EXPECT_EQ(DialogDriver::MessageBoxText(box), "Are you sure you want to remove the 3 selected entries from the list ?");
  DialogDriver::AnswerMessageBox(box, IDYES);
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.ListRowCount(IDC_MANUAL_LIST) == 1; }));
  EXPECT_EQ(Rows(driver), (std::vector<Row>{{"tricks", "Administratively blocked", "Partial"}}));
  EXPECT_FALSE(driver.IsEnabled(IDC_MANUAL_REMOVE));  // the focus is on the button just pressed
}

TEST_F(ManualClassificationsPageTest, UpAndDownReorderThePartialList) {
  DialogDriver driver = OpenPage(StoredLists());
  driver.ClickListRow(IDC_MANUAL_LIST, 1);
  ASSERT_TRUE(driver.Click(IDC_MANUAL_UP));
  driver.Settle();
  EXPECT_EQ(driver.ListText(IDC_MANUAL_LIST, 0, 0), "tricks");
  EXPECT_EQ(driver.SelectedListRows(IDC_MANUAL_LIST), std::vector<int>{0});
  EXPECT_TRUE(driver.IsEnabled(IDC_MANUAL_DOWN));  // still on for the next move
  ASSERT_TRUE(driver.Click(IDC_MANUAL_UP));  // already the first row: nothing moves
  driver.Settle();
  EXPECT_EQ(driver.ListText(IDC_MANUAL_LIST, 0, 0), "tricks");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  const PluginConfiguration after = ConsoleConfiguration();
  ASSERT_EQ(after.settings.lists.partials().size(), 2u);
  EXPECT_EQ(after.settings.lists.partials()[0].text, "tricks");
  EXPECT_EQ(after.settings.lists.partials()[1].text, "casino");
}

TEST_F(ManualClassificationsPageTest, ImportReadsListFilesAndExportWritesThem) {
  const std::string importFile = TempPath("manual_import.txt");
  std::ofstream(importFile, std::ios::binary) << "a|b|c|Site|Sex\r\nexample.com\n\nnews.example.org|partial|allow\n"
                                                 "EXAMPLE.com/\n";
  PluginConfiguration configuration;
  configuration.settings.lists.InsertSite({"example.org", CategoryAllowed});
  DialogDriver driver = OpenPage(configuration);
  ASSERT_TRUE(driver.Click(IDC_MANUAL_IMPORT));
  ASSERT_TRUE(driver.AnswerFileDialog(importFile));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.ListRowCount(IDC_MANUAL_LIST) == 4; }));
  const std::vector<Row> imported = {{"example.org", "Allow", "Site"},
                                     {"a", "Sexual content", "URL"},
                                     {"example.com", "Administratively blocked", "URL"},
                                     {"news.example.org", "Allow", "Partial"}};
  EXPECT_EQ(Rows(driver), imported);

  const std::string exportFile = TempPath("manual_export.txt");
  std::remove(exportFile.c_str());
  ASSERT_TRUE(driver.Click(IDC_MANUAL_EXPORT));
  ASSERT_TRUE(driver.AnswerFileDialog(exportFile));
  HWND done = driver.WaitForMessageBox();
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(DialogDriver::WindowText(done), "Export Done");
  EXPECT_EQ(DialogDriver::MessageBoxText(done), "4 entries exported to " + exportFile + "\n");
  DialogDriver::AnswerMessageBox(done, IDOK);
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return !IsWindow(done); }));
  EXPECT_EQ(FileContent(exportFile),
            "example.org|Site|Allow\na|URL|Sex\nexample.com|URL|Blocked\nnews.example.org|Partial|Allow\n");

  // Into an empty view the file brings back the same rows in the same order.
  for (int i = 0; i < 4; ++i) driver.ClickListRow(IDC_MANUAL_LIST, i, i != 0);
  ASSERT_TRUE(driver.Click(IDC_MANUAL_REMOVE));
  HWND box = driver.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  DialogDriver::AnswerMessageBox(box, IDYES);
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.ListRowCount(IDC_MANUAL_LIST) == 0; }));
  ASSERT_TRUE(driver.Click(IDC_MANUAL_IMPORT));
  ASSERT_TRUE(driver.AnswerFileDialog(exportFile));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.ListRowCount(IDC_MANUAL_LIST) == 4; }));
  EXPECT_EQ(Rows(driver), imported);
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
  std::remove(importFile.c_str());
  std::remove(exportFile.c_str());
}

// The lists as the page left them, carried to an engine process, decide its requests.
TEST_F(ManualClassificationsPageTest, TheConsoleRecordDecidesInTheEngineProcess) {
  DialogDriver driver = OpenPage(StoredLists());
  AddEntry(driver, "HTTP://Homework.example/Answers/", "The following URL", "Administratively blocked");
  AddEntry(driver, "chat", "Any URL containing", "Allow");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), ResultOk);
  const std::string record = ConsoleRecord();
  CloseConsole();
  ApplyInEngineProcess(record);
  EXPECT_EQ(RunEngine("http://homework.example/answers", {"pupil"}).answers, std::vector<uint32_t>{ResultReject});
  EXPECT_EQ(RunEngine("http://chat.example/room", {"pupil"}).answers, std::vector<uint32_t>{ResultPass});
}

}  // namespace
