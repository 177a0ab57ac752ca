// The Test URL page worked as a person would: URLs typed and tested against a
// small web server of the test's own, with the settings as edited (not yet
// applied) on the other pages, and URLs classified by hand.
#include "tests/ui/local_web_server.h"

#include <windows.h>

#include <string>
#include <vector>

#include "config/category_table.h"
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
                 {"/slow", {"text/html", kWeatherPage, true}}}) {}

  DialogDriver OpenPage(const PluginConfiguration& configuration = PluginConfiguration()) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Test URL");
    return driver;
  }

  std::string At(const std::string& path) const { return server_.Address() + path; }

  // Waits for the test that runs now to end; the lines it gave.
  static Lines WaitForResult(const DialogDriver& driver) {
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.IsEnabled(IDC_CONFIGURATION_OK); }))
        << "the test did not end";
    return driver.ListBoxLines(IDC_TEST_URL_RESULTS);
  }

  // Types `text` and clicks "Test"; the lines of the test.
  static Lines Test(const DialogDriver& driver, const std::string& text) {
    driver.Type(IDC_TEST_URL_TEXT, text);
    EXPECT_TRUE(driver.Click(IDC_TEST_URL_TEST)) << text;
    // Once the click is handled, the test has started.
    driver.Settle();
    return WaitForResult(driver);
  }

  static void AddManualEntry(const DialogDriver& driver, const std::string& text, const char* classification) {
    ShowPage(driver, "Manual classifications");
    driver.Type(IDC_MANUAL_ENTRY_TEXT, text);
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_ENTRY_TYPE, "URL"));
    ASSERT_TRUE(driver.ChooseComboItem(IDC_MANUAL_CLASSIFICATION, classification));
    ASSERT_TRUE(driver.Click(IDC_MANUAL_ADD));
    driver.Settle();
    ShowPage(driver, "Test URL");
  }

  LocalWebServer server_;
};

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
  };
  const std::vector<Case> cases = {
      {At("/casino"), Fetched({"Gambling:  86 % [failed]", kBlocked})},
      {At("/weather"), Fetched({kNotBlocked})},
      {At("/picture.png"),
       Fetched({"The Aurivex ACR engine does not classify image/png content", kNotBlocked})},
      // WinInet takes a connection closed without a reply as an empty reply
      // of no content type.
      {At("/unanswered"), Fetched({"The Aurivex ACR engine does not classify  content", kNotBlocked})},
      {deadPort.Address() + "/casino", {"Connecting", "Unable to connect to the URL"}},
  };
  DialogDriver driver = OpenPage();
  bool first = true;
  for (const Case& test : cases) {
    EXPECT_EQ(Test(driver, test.typed), first ? WithLoading(test.lines) : test.lines) << test.typed;
    first = false;
  }
}

}  // namespace
