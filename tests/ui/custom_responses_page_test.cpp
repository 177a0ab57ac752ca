// The Custom responses page worked as a person would: choosing categories,
// editing and importing titles and bodies, inserting tokens, then OK.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/category_table.h"
#include "responses/response_set.h"
#include "resources/resource_ids.h"
#include "tests/ui/dialog_fixture.h"

namespace {

using avex::CategoryInfo;
using avex::CategoryTable;
using avex::CustomResponse;
using avex::PluginConfiguration;
using avex::ResponseKindHtml;
using avex::ResponseKindText;
using avex::host::DialogDriver;
using namespace avex::testing;

constexpr int32_t kSex = 1;
constexpr int32_t kGambling = 2;
constexpr char kSexDescription[] = "Sexual content";
constexpr char kGamblingDescription[] = "Gambling content";

class CustomResponsesPageTest : public DialogTest {
 protected:
  // The first category with a short title and body, so that positions in
  // them are easy to name.
  static PluginConfiguration ShortFirstResponse() {
    PluginConfiguration configuration;
    CustomResponse& sex = configuration.responses.FindOrInsert(kSex);
    sex.SetTitle(ResponseKindHtml, "Stop");
    sex.SetBody(ResponseKindHtml, "Blocked here.");
    sex.SetBody(ResponseKindText, "Plain text stays.");
    return configuration;
  }

  DialogDriver OpenPage(const PluginConfiguration& configuration) {
    StartConsole(configuration);
    DialogDriver driver = OpenDialog();
    ShowPage(driver, "Custom responses");
    return driver;
  }

  // A file the test imports, beside the test program.
  static std::string WriteFile(const std::string& name, const std::string& contents) {
    const std::string path = ProgramDirectory() + name;
    std::ofstream(path, std::ios::binary).write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return path;
  }

  static void ImportBody(const DialogDriver& driver, const char* target, const std::string& path) {
    ASSERT_TRUE(driver.Click(IDC_RESPONSE_IMPORT_BODY));
    ASSERT_TRUE(driver.ChooseMenuItem(target)) << target;
    ASSERT_TRUE(driver.AnswerFileDialog(path)) << path;
  }

  PluginConfiguration ConfigurationAfterOk(const DialogDriver& driver) {
    EXPECT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
    EXPECT_EQ(DialogResult(), ResultOk);
    return ConsoleConfiguration();
  }
};

TEST_F(CustomResponsesPageTest, ShowsTheFirstCategoryWithResponseAndTheTokens) {
  DialogDriver driver = OpenPage(ShortFirstResponse());
  std::vector<std::string> descriptions;
  std::vector<LRESULT> ids;
  for (const CategoryInfo& category : CategoryTable) {
    if (category.hasResponse) {
      descriptions.push_back(category.description);
      ids.push_back(category.id);
    }
  }
  EXPECT_EQ(driver.ComboItems(IDC_RESPONSE_CATEGORY), descriptions);
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(SendMessageA(driver.Control(IDC_RESPONSE_CATEGORY), CB_GETITEMDATA, i, 0), ids[i]) << i;
  }
  EXPECT_EQ(driver.Text(IDC_RESPONSE_CATEGORY), kSexDescription);
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "Stop");
  EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), "Blocked here.");
  EXPECT_EQ(driver.ComboItems(IDC_RESPONSE_TOKEN),
            (std::vector<std::string>{"Plugin Name", "Source scanned", "User Name", "Reason",
                                      "Percentage Certainty", "Category"}));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TOKEN), "Plugin Name");
  for (int id : {IDC_RESPONSE_TITLE, IDC_RESPONSE_IMPORT_TITLE, IDC_RESPONSE_TOKEN, IDC_RESPONSE_ADD_TOKEN}) {
    EXPECT_TRUE(driver.IsEnabled(id)) << id;
  }
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  EXPECT_EQ(ConsoleRecord(), RecordOf(ShortFirstResponse()));
}

TEST_F(CustomResponsesPageTest, EditsStayWithTheirCategoryAcrossSwitches) {
  DialogDriver driver = OpenPage(ShortFirstResponse());
  driver.Type(IDC_RESPONSE_TITLE, "Edited title");
  driver.Type(IDC_RESPONSE_BODY, "Edited body");
  ASSERT_TRUE(driver.ChooseComboItem(IDC_RESPONSE_CATEGORY, kGamblingDescription));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), avex::DefaultHtmlTitle);
  driver.Type(IDC_RESPONSE_TITLE, "Gambling title");
  // Choosing the category already shown keeps what is being edited.
  ASSERT_TRUE(driver.ChooseComboItem(IDC_RESPONSE_CATEGORY, kGamblingDescription));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "Gambling title");
  ASSERT_TRUE(driver.ChooseComboItem(IDC_RESPONSE_CATEGORY, kSexDescription));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "Edited title");
  EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), "Edited body");

  // A page switch and back keeps the texts in the boxes.
  ShowPage(driver, "About");
  ShowPage(driver, "Custom responses");
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "Edited title");

  const PluginConfiguration after = ConfigurationAfterOk(driver);
  const CustomResponse* sex = after.responses.Find(kSex);
  const CustomResponse* gambling = after.responses.Find(kGambling);
  ASSERT_NE(sex, nullptr);
  ASSERT_NE(gambling, nullptr);
  EXPECT_EQ(sex->GetTitle(ResponseKindHtml), "Edited title");
  EXPECT_EQ(sex->GetBody(ResponseKindHtml), "Edited body");
  EXPECT_EQ(sex->GetBody(ResponseKindText), "Plain text stays.");
  EXPECT_EQ(gambling->GetTitle(ResponseKindHtml), "Gambling title");
  EXPECT_EQ(gambling->GetBody(ResponseKindHtml), avex::DefaultHtmlBody);
}

TEST_F(CustomResponsesPageTest, AddInsertsTheTokenAtTheCaretOfTheBoxLastFocused) {
  DialogDriver driver = OpenPage(ShortFirstResponse());
  // Before any click the title box is where tokens go.
  ASSERT_TRUE(driver.Click(IDC_RESPONSE_ADD_TOKEN));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.Text(IDC_RESPONSE_TITLE) != "Stop"; }));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "##PLUGINNAME##Stop");

  driver.ClickIntoText(IDC_RESPONSE_BODY, 8);  // "Blocked |here."
  ASSERT_TRUE(driver.ChooseComboItem(IDC_RESPONSE_TOKEN, "Category"));
  ASSERT_TRUE(driver.Click(IDC_RESPONSE_ADD_TOKEN));
  ASSERT_TRUE(DialogDriver::WaitFor([&] { return driver.Text(IDC_RESPONSE_BODY) != "Blocked here."; }));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), "Blocked ##CATEGORY##here.");
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "##PLUGINNAME##Stop");
  EXPECT_EQ(driver.FocusedControl(), driver.Control(IDC_RESPONSE_BODY));

  const PluginConfiguration after = ConfigurationAfterOk(driver);
  ASSERT_NE(after.responses.Find(kSex), nullptr);
  EXPECT_EQ(after.responses.Find(kSex)->GetBody(ResponseKindHtml), "Blocked ##CATEGORY##here.");
  EXPECT_EQ(after.responses.Find(kSex)->GetTitle(ResponseKindHtml), "##PLUGINNAME##Stop");
}

TEST_F(CustomResponsesPageTest, ImportTakesTheElementOfHtmlFilesAndWholeOtherFiles) {
  struct Case {
    const char* file;
    std::string contents;
    std::string body;
  };
  const Case cases[] = {
      {"mixed_case.htm",
       "<HTML><HEAD><TITLE>t</TITLE></HEAD>\r\n<Body bgcolor=white>Blocked ##CATEGORY##</BODY></HTML>\r\n",
       "Blocked ##CATEGORY##"},
      {"whole.txt", "<b>Blocked</b> ##CATEGORY##\r\n<body>kept</body>\r\n",
       "<b>Blocked</b> ##CATEGORY##\r\nkept\r\n"},
      {"no_body.html", "<p>No body tag</p>", "<p>No body tag</p>"},
      {"open_only.HTML", "<html><body class=x>Blocked <b>now</b>\r\n", "Blocked <b>now</b>\r\n"},
  };
  DialogDriver driver = OpenPage(ShortFirstResponse());
  // A dismissed menu imports nothing.
  ASSERT_TRUE(driver.Click(IDC_RESPONSE_IMPORT_BODY));
  ASSERT_TRUE(driver.ChooseMenuItem(""));
  driver.Settle();
  EXPECT_FALSE(driver.AnswerFileDialog("", 0));
  EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), "Blocked here.");

  std::string previous = driver.Text(IDC_RESPONSE_BODY);
  for (const Case& c : cases) {
    const std::string path = WriteFile(c.file, c.contents);
    ImportBody(driver, "To this category", path);
    EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.Text(IDC_RESPONSE_BODY) != previous; })) << c.file;
    EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), c.body) << c.file;
    previous = driver.Text(IDC_RESPONSE_BODY);
    std::remove(path.c_str());
  }

  const std::string title = WriteFile("title.html", "<html><head><Title>Halt - ##PLUGINNAME##</TITLE></head>");
  ASSERT_TRUE(driver.Click(IDC_RESPONSE_IMPORT_TITLE));
  ASSERT_TRUE(driver.AnswerFileDialog(title));
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.Text(IDC_RESPONSE_TITLE) == "Halt - ##PLUGINNAME##"; }));
  std::remove(title.c_str());

  const PluginConfiguration after = ConfigurationAfterOk(driver);
  ASSERT_NE(after.responses.Find(kSex), nullptr);
  EXPECT_EQ(after.responses.Find(kSex)->GetBody(ResponseKindHtml), "Blocked <b>now</b>\r\n");
  EXPECT_EQ(after.responses.Find(kSex)->GetTitle(ResponseKindHtml), "Halt - ##PLUGINNAME##");
  ASSERT_NE(after.responses.Find(kGambling), nullptr);
  EXPECT_EQ(after.responses.Find(kGambling)->GetBody(ResponseKindHtml), avex::DefaultHtmlBody);
}

TEST_F(CustomResponsesPageTest, ImportToAllCategoriesChangesEveryBodyAndNoTitle) {
  const std::string path = WriteFile("everyone.htm", "<html><body>Closed for ##USERNAME##</body></html>");
  DialogDriver driver = OpenPage(ShortFirstResponse());
  ASSERT_TRUE(driver.ChooseComboItem(IDC_RESPONSE_CATEGORY, kGamblingDescription));
  ImportBody(driver, "To all categories", path);
  EXPECT_TRUE(DialogDriver::WaitFor([&] { return driver.Text(IDC_RESPONSE_BODY) == "Closed for ##USERNAME##"; }));
  std::remove(path.c_str());

  const PluginConfiguration before = ShortFirstResponse();
  const PluginConfiguration after = ConfigurationAfterOk(driver);
  ASSERT_EQ(after.responses.size(), before.responses.size());
  for (const auto& [id, response] : after.responses) {
    const CustomResponse* was = before.responses.Find(id);
    ASSERT_NE(was, nullptr) << id;
    EXPECT_EQ(response.GetBody(ResponseKindHtml), "Closed for ##USERNAME##") << id;
    EXPECT_EQ(response.GetTitle(ResponseKindHtml), was->GetTitle(ResponseKindHtml)) << id;
    EXPECT_EQ(response.GetBody(ResponseKindText), was->GetBody(ResponseKindText)) << id;
  }
}

TEST_F(CustomResponsesPageTest, AFileThatCannotBeReadShowsTheErrorAndChangesNothing) {
  const std::string path = WriteFile("locked.htm", "<body>never read</body>");
  // Held open without sharing, as another program may hold a file.
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  DialogDriver driver = OpenPage(ShortFirstResponse());
  for (int button : {IDC_RESPONSE_IMPORT_BODY, IDC_RESPONSE_IMPORT_TITLE}) {
    ASSERT_TRUE(driver.Click(button));
    if (button == IDC_RESPONSE_IMPORT_BODY) {
      ASSERT_TRUE(driver.ChooseMenuItem("To all categories"));
    }
    ASSERT_TRUE(driver.AnswerFileDialog(path));
    HWND box = driver.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << button;
    EXPECT_EQ(DialogDriver::WindowText(box), "Import Error");
    const std::string text = DialogDriver::MessageBoxText(box);
    EXPECT_EQ(text.rfind("Error: '", 0), 0u) << text;
    EXPECT_EQ(text.back(), '\'') << text;
    DialogDriver::AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(DialogDriver::WaitFor([&] { return !IsWindow(box); }));
  }
  CloseHandle(lock);
  std::remove(path.c_str());
  EXPECT_EQ(driver.Text(IDC_RESPONSE_BODY), "Blocked here.");
  EXPECT_EQ(driver.Text(IDC_RESPONSE_TITLE), "Stop");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  EXPECT_EQ(DialogResult(), ResultOk);
  EXPECT_EQ(ConsoleRecord(), RecordOf(ShortFirstResponse()));
}

// The response as edited, carried to an engine process that applies and
// saves it, is the block page of the next engine start.
TEST_F(CustomResponsesPageTest, TheEngineProcessServesTheEditedBlockPage) {
  PluginConfiguration configuration = ShortFirstResponse();
  configuration.settings.lists.InsertUrl({"http://adult.example/page", kSex});
  DialogDriver driver = OpenPage(configuration);
  driver.Type(IDC_RESPONSE_BODY, "Edited for ##CATEGORY##");
  ASSERT_TRUE(driver.Click(IDC_CONFIGURATION_OK));
  ASSERT_EQ(DialogResult(), ResultOk);
  const std::string record = ConsoleRecord();
  CloseConsole();

  ApplyInEngineProcess(record);
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(1, 0), 1);
  void* engine = plug_.PlugFabricateInterface();
  ASSERT_NE(engine, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(engine);
  slots.Reset(engine, 1);
  EXPECT_EQ(slots.SetSource(engine, "http://adult.example/page", "text/html", 0x0A000001, "pupil"), ResultReject);
  uint32_t size = 0;
  slots.GetResponse(engine, 1, nullptr, &size);
  std::string page(size + 1, '\0');
  size += 1;
  EXPECT_EQ(slots.GetResponse(engine, 1, &page[0], &size), ResultOk);
  EXPECT_NE(page.find("Edited for Sex"), std::string::npos) << page;
  plug_.PlugReleaseInterface(engine);
  plug_.PlugStop();
}

}  // namespace
