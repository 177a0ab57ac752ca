// The Test URL page worked as a person would: URLs typed and tested against a
// small web server of the test's own, with the settings as edited (not yet
// applied) on the other pages, and URLs classified by hand.
#include "tests/ui/local_web_server.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/category_table.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::PluginConfiguration;
using avex::host::DialogDriver;
using namespace avex::testing;

using Lines = std::vector<std::string>;

constexpr char kCasinoPage[] =
    "<html><body><h1>Online casino</h1><p>Place your bets at our online casino.</p></body></html>";
constexpr char kWeatherPage[] = "<html><body><p>Mild weather with light rain over the hills.</p></body></html>";

constexpr char kLoading[] = "Loading Aurivex libraries";
constexpr char kNotBlocked[] = "This page will not be blocked with the current settings";
constexpr char kBlocked[] = "This page will be blocked with the current settings";

LocalWebServer::Reply Page(const char* body) { return {"text/html", body}; }

class TestUrlPageTest : public DialogTest {
 protected:
  TestUrlPageTest()
      : server_({{"/casino", Page(kCasinoPage)},
                 {"/weather", Page(kWeatherPage)},
                 {"/picture.png", {"image/png", std::string("\x89PNG\r\n\x1a\n", 8)}},
                 {"/slow", {"text/html", kWeatherPage, true}},
                 {"/stalled", {"text/html", kCasinoPage, false, LocalWebServer::Cut::Stall}},
                 {"/reset", {"text/html", kCasinoPage, false, LocalWebServer::Cut::Reset}}}) {}

  DialogDriver OpenPage(const PluginConfiguration& configuration = PluginConfiguration()) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Test URL");
    return driver;
  }

  std::string At(const std::string& path) const { return server_.Address() + path; }

  // Waits for the test that runs now to end; the lines it gave. A test that
  // waits out the page's receive time-out is given that much more patience.
  static Lines WaitForResult(const DialogDriver& driver, DWORD patienceMs = DialogDriver::kPatience) {
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.IsEnabled(IDC_CONFIGURATION_OK); }, patienceMs))
        << "the test did not end";
    return driver.ListBoxLines(IDC_TEST_URL_RESULTS);
  }

  // Types `text` and clicks "Test"; the lines of the test.
  static Lines Test(const DialogDriver& driver, const std::string& text,
                    DWORD patienceMs = DialogDriver::kPatience) {
    driver.Type(IDC_TEST_URL_TEXT, text);
    EXPECT_TRUE(driver.Click(IDC_TEST_URL_TEST)) << text;
    // Once the click is handled, the test has started.
    driver.Settle();
    return WaitForResult(driver, patienceMs);
  }

  static void AddManualEntry(const DialogDriver& driver, const std::string& text, const char* classification) {
    ShowPage(driver, "Manual classifications");
    driver.Type(IDC_MANUAL_ENTRY_TEXT, text);
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_ENTRY_TYPE, "The following URL"));
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_CLASSIFICATION, classification));
    ASSERT_TRUE(driver.Click(IDC_MANUAL_ADD));
    driver.Settle();
    ShowPage(driver, "Test URL");
  }

  // Clicks the check box of a category on the Filtered categories page.
  static void ToggleCategory(const DialogDriver& driver, const std::string& description) {
    ShowPage(driver, "Filtered categories");
    int row = 0;
    while (row < driver.ListRowCount(IDC_CATEGORY_LIST) && driver.ListText(IDC_CATEGORY_LIST, row, 0) != description) {
      ++row;
    }
    ASSERT_TRUE(driver.ClickListCheckBox(IDC_CATEGORY_LIST, row)) << description;
    driver.Settle();
    ShowPage(driver, "Test URL");
  }

  // Clicks "Classify...", chooses `item` and answers the message; its caption and text.
  static std::pair<std::string, std::string> Classify(const DialogDriver& driver, const std::string& typed,
                                                      const std::string& item) {
    driver.Type(IDC_TEST_URL_TEXT, typed);
    EXPECT_TRUE(driver.Click(IDC_TEST_URL_CLASSIFY));
    EXPECT_TRUE(driver.ChooseMenuItem(item)) << item;
    HWND box = driver.WaitForMessageBox();
    if (box == nullptr) return {"", "(no message box)"};
    std::pair<std::string, std::string> shown = {DialogDriver::WindowText(box), DialogDriver::MessageBoxText(box)};
    DialogDriver::AnswerMessageBox(box, IDOK);
    DialogDriver::WaitFor([&] { return !IsWindow(box); });
    return shown;
  }

  LocalWebServer server_;
};

constexpr char kAllowedByList[] = "This page will be allowed with the current settings (based on list)";
constexpr char kBlockedByList[] = "This page will be blocked with the current settings (based on list)";

Lines Fetched(const Lines& verdict) {
  Lines lines = {"Connecting", "Connected. Retrieving page", "Page retrieved", "Verifying page data"};
  lines.insert(lines.end(), verdict.begin(), verdict.end());
  return lines;
}

Lines WithLoading(Lines lines) {
  lines.insert(lines.begin(), kLoading);
  return lines;
}

TEST_F(TestUrlPageTest, EnterTestsTheTypedHostLowerCasedWithoutItsSlash) {
  DialogDriver driver = OpenPage();
  EXPECT_FALSE(driver.IsEnabled(IDC_TEST_URL_TEST));
  EXPECT_FALSE(driver.IsEnabled(IDC_TEST_URL_CLASSIFY));
  const std::string typed = "LocalHost:" + std::to_string(server_.Port()) + "/Weather/";
  driver.Type(IDC_TEST_URL_TEXT, typed);
  EXPECT_TRUE(driver.IsEnabled(IDC_TEST_URL_TEST));
  EXPECT_TRUE(driver.IsEnabled(IDC_TEST_URL_CLASSIFY));
  driver.Focus(driver.Control(IDC_TEST_URL_TEXT));
  driver.PressKeys({VK_RETURN});

  EXPECT_EQ(WaitForResult(driver), WithLoading(Fetched({kNotBlocked})));
  EXPECT_EQ(driver.Text(IDC_TEST_URL_TEXT), "localhost:" + std::to_string(server_.Port()) + "/weather");
  const std::vector<LocalWebServer::Request> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/weather");
  EXPECT_EQ(requests[0].host, "localhost:" + std::to_string(server_.Port()));
  EXPECT_TRUE(IsWindow(driver.Dialog())) << "Enter closed the dialog";
}

TEST_F(TestUrlPageTest, EachKindOfReplyGivesItsLines) {
  const DeadPort deadPort;
  struct Case {
    std::string typed;
    Lines lines;
    const char* picture;  // where the page is shown after the test, or null
  };
  const std::vector<Case> cases = {
      {At("/casino"), Fetched({"Gambling:  86 % [failed]", kBlocked}), "test_url_page_blocked.png"},
      {At("/weather"), Fetched({kNotBlocked}), "test_url_page_allowed.png"},
      {At("/picture.png"), Fetched({"The Aurivex ACR engine does not classify image/png content", kNotBlocked}),
       nullptr},
      // WinInet takes a connection closed without a reply as an empty reply
      // of no content type.
      {At("/unanswered"), Fetched({"The Aurivex ACR engine does not classify  content", kNotBlocked}), nullptr},
      {deadPort.Address() + "/casino", {"Connecting", "Unable to connect to the URL"}, nullptr},
  };
  DialogDriver driver = OpenPage();
  bool first = true;
  for (const Case& test : cases) {
    EXPECT_EQ(Test(driver, test.typed), first ? WithLoading(test.lines) : test.lines) << test.typed;
    if (test.picture != nullptr) {
      EXPECT_TRUE(driver.Screenshot(ProgramDirectory() + test.picture));
    }
    first = false;
  }
}

// A page whose reply breaks off is not scored on the part that arrived: the
// reset connection at once, the stalled one once the receive time-out ends it.
TEST_F(TestUrlPageTest, AReplyCutShortIsAFailedConnection) {
  constexpr DWORD kReceiveTimeoutMs = 10000;
  const Lines cutShort = {"Connecting", "Connected. Retrieving page", "Unable to connect to the URL"};
  DialogDriver driver = OpenPage();
  EXPECT_EQ(Test(driver, At("/reset")), WithLoading(cutShort));
  EXPECT_EQ(Test(driver, At("/stalled"), kReceiveTimeoutMs + DialogDriver::kPatience), cutShort);
  EXPECT_TRUE(driver.Screenshot(ProgramDirectory() + "test_url_page_cut_short.png"));
  server_.Release();
}

TEST_F(TestUrlPageTest, ManualEntriesAsEditedDecideWithoutAFetch) {
  PluginConfiguration shoppingNotFiltered;
  shoppingNotFiltered.settings.SettingOf(5)->enabled = false;
  DialogDriver driver = OpenPage(shoppingNotFiltered);
  AddManualEntry(driver, "http://" + At("/casino"), "Allow");
  AddManualEntry(driver, "http://" + At("/shop"), "Shopping content");

  EXPECT_EQ(Test(driver, At("/casino")), WithLoading({"The page has been explicitly allowed", kAllowedByList}));
  EXPECT_EQ(Test(driver, At("/shop")), Lines({"The page has been classified as Shopping", kAllowedByList}));
  ToggleCategory(driver, "Shopping content");
  EXPECT_EQ(Test(driver, At("/shop")), Lines({"The page has been classified as Shopping", kBlockedByList}));
  EXPECT_TRUE(server_.Requests().empty()) << "a decided URL was fetched";
}

TEST_F(TestUrlPageTest, NothingStartsAnotherTestOrClosesTheDialogWhileOneRuns) {
  DialogDriver driver = OpenPage();
  ASSERT_EQ(Test(driver, At("/weather")), WithLoading(Fetched({kNotBlocked})));
  const std::vector<int> buttons = {IDC_TEST_URL_TEST, IDC_TEST_URL_CLASSIFY, IDC_CONFIGURATION_OK,
                                    IDC_CONFIGURATION_CANCEL, IDC_CONFIGURATION_HELP};
  driver.Type(IDC_TEST_URL_TEXT, At("/slow"));
  ASSERT_TRUE(driver.Click(IDC_TEST_URL_TEST));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return server_.Requests().size() == 2; })) << "the page was not fetched";
  for (int id : buttons) EXPECT_FALSE(driver.IsEnabled(id)) << id;
  // Enter in the edit box, Escape and closing the window change nothing while the test runs.
  driver.Focus(driver.Control(IDC_TEST_URL_TEXT));
  driver.PressKeys({VK_RETURN});
  driver.PressKeys({VK_ESCAPE});
  PostMessageA(driver.Dialog(), WM_CLOSE, 0, 0);
  driver.Settle();
  EXPECT_TRUE(IsWindow(driver.Dialog()));
  EXPECT_EQ(driver.ListBoxLines(IDC_TEST_URL_RESULTS), Lines({"Connecting"}));

  server_.Release();
  EXPECT_EQ(WaitForResult(driver), Fetched({kNotBlocked}));
  for (int id : buttons) EXPECT_TRUE(driver.IsEnabled(id)) << id;
  EXPECT_EQ(server_.Requests().size(), 2u);
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_CANCEL));
  EXPECT_EQ(DialogResult(), ResultNotCompleted);
}

TEST_F(TestUrlPageTest, ClassifyAddsTheUrlAsAnExactEntryOnce) {
  DialogDriver driver = OpenPage();
  const std::string url = "http://" + At("/casino");
  const std::pair<std::string, std::string> added = Classify(driver, At("/Casino/"), "Gambling content");
  EXPECT_EQ(added.first, "Aurivex for Corvane");
  EXPECT_EQ(added.second, "The URL (" + url +
                              ") has been added to the list of manual classifications (Gambling content) as an "
                              "exact match entry. Any variants of this should be added manually");
  EXPECT_EQ(driver.Text(IDC_TEST_URL_TEXT), At("/casino"));
  EXPECT_EQ(Classify(driver, At("/casino"), "Allow"),
            std::make_pair(std::string("Aurivex for Corvane"),
                           "The URL (" + url + ") has not been added because it already exists."));
  // A dismissed menu adds nothing.
  ASSERT_TRUE(driver.Click(IDC_TEST_URL_CLASSIFY));
  ASSERT_TRUE(driver.ChooseMenuItem(""));
  EXPECT_EQ(driver.WaitForMessageBox(0), nullptr);

  EXPECT_EQ(Test(driver, At("/casino")), WithLoading({"The page has been classified as Gambling", kBlockedByList}));

  ShowPage(driver, "Manual classifications");
  ASSERT_EQ(driver.ListRowCount(IDC_MANUAL_LIST), 1);
  EXPECT_EQ(driver.ListText(IDC_MANUAL_LIST, 0, 0), url);
  EXPECT_EQ(driver.ListText(IDC_MANUAL_LIST, 0, 1), "Gambling content");
  EXPECT_EQ(driver.ListText(IDC_MANUAL_LIST, 0, 2), "URL");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  const PluginConfiguration applied = ConsoleConfiguration();
  EXPECT_EQ(applied.settings.lists.urls().Find(url), std::optional<int32_t>(2));
}

}  // namespace
