#include "ui/pages/custom_responses_page.h"

#include <iterator>

#include "common/category_table.h"
#include "responses/tag_content.h"
#include "ui/framework/button_menu.h"
#include "ui/pages/imported_file.h"

namespace avex::ui {

namespace {

enum ImportBodyTarget : UINT { kToThisCategory = 1, kToAllCategories = 2 };

struct TokenChoice {
  const char* label;
  const char* token;
};

constexpr TokenChoice kTokenChoices[] = {
    {"Plugin Name", "##PLUGINNAME##"},       {"Source scanned", "##DATASOURCE##"},
    {"User Name", "##USERNAME##"},           {"Reason", "##REASON##"},
    {"Percentage Certainty", "##PERCENTAGE##"}, {"Category", "##CATEGORY##"},
};

}  // namespace

CCustomResponsesPage::CCustomResponsesPage(PluginConfiguration& configuration)
    : CTabPage(IDD_CUSTOM_RESPONSES), configuration_(configuration), responses_(configuration.responses) {
  SetIcon(kIcon);
  for (const CategoryInfo& category : CategoryTable) {
    if (category.hasResponse) categoryIds_.push_back(category.id);
  }
}

DataExchangeTable CCustomResponsesPage::DataExchangeFields() {
  return {ComboIndexField(IDC_RESPONSE_CATEGORY, &selectedIndex_), TextField(IDC_RESPONSE_TITLE, &title_),
          TextField(IDC_RESPONSE_BODY, &body_), ComboIndexField(IDC_RESPONSE_TOKEN, &tokenIndex_)};
}

LRESULT CCustomResponsesPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // The combos get their items first, so that the data exchange can select one.
  FillCombos();
  LoadShownResponse();
  CTabPage::OnInitDialog(message, wParam, lParam, handled);
  // The page edits the HTML form, which has a title.
  for (int id : {IDC_RESPONSE_TITLE_LABEL, IDC_RESPONSE_TITLE, IDC_RESPONSE_IMPORT_TITLE}) EnableItem(id, true);
  // The page is still hidden, so the focus notification may not come: the
  // title box is made the insertion target here as well.
  SetFocus(Item(IDC_RESPONSE_TITLE));
  BOOL ignored = TRUE;
  OnEditFocused(EN_SETFOCUS, IDC_RESPONSE_TITLE, Item(IDC_RESPONSE_TITLE), ignored);
  return FALSE;
}

void CCustomResponsesPage::FillCombos() {
  HWND categories = Item(IDC_RESPONSE_CATEGORY);
  for (int32_t id : categoryIds_) {
    const LRESULT index = SendMessageA(categories, CB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(CategoryTable[CategoryIndexOf(id)].description));
    SendMessageA(categories, CB_SETITEMDATA, static_cast<WPARAM>(index), id);
  }
  for (const TokenChoice& choice : kTokenChoices) {
    SendMessageA(Item(IDC_RESPONSE_TOKEN), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.label));
  }
}

CustomResponse& CCustomResponsesPage::ShownResponse() {
  return responses_.FindOrInsert(categoryIds_[static_cast<size_t>(shownIndex_)]);
}

void CCustomResponsesPage::LoadShownResponse() {
  const CustomResponse& response = ShownResponse();
  title_ = response.GetTitle(ResponseKindHtml);
  body_ = response.GetBody(ResponseKindHtml);
}

void CCustomResponsesPage::StoreShownResponse() {
  CustomResponse& response = ShownResponse();
  response.SetTitle(ResponseKindHtml, title_);
  response.SetBody(ResponseKindHtml, body_);
}

LRESULT CCustomResponsesPage::OnCategoryChanged(WORD, WORD, HWND, BOOL&) {
  DoDataExchange(true);
  // Choosing the category already shown keeps the texts being edited.
  if (selectedIndex_ == shownIndex_ || selectedIndex_ < 0 ||
      static_cast<size_t>(selectedIndex_) >= categoryIds_.size()) {
    return 0;
  }
  StoreShownResponse();
  shownIndex_ = selectedIndex_;
  LoadShownResponse();
  DoDataExchange(false);
  return 0;
}

LRESULT CCustomResponsesPage::OnEditFocused(WORD, WORD id, HWND, BOOL&) {
  insertionTarget_ = id;
  EnableItem(IDC_RESPONSE_TOKEN, true);
  EnableItem(IDC_RESPONSE_ADD_TOKEN, true);
  return 0;
}

LRESULT CCustomResponsesPage::OnAddToken(WORD, WORD, HWND, BOOL&) {
  if (!DoDataExchange(true)) return 0;
  if (tokenIndex_ < 0 || static_cast<size_t>(tokenIndex_) >= std::size(kTokenChoices)) return 0;
  if (insertionTarget_ == 0) {
    insertionTarget_ = IDC_RESPONSE_BODY;
    HWND body = Item(IDC_RESPONSE_BODY);
    const int end = GetWindowTextLengthA(body);
    SendMessageA(body, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageA(body, EM_SCROLLCARET, 0, 0);
  }
  HWND target = Item(insertionTarget_);
  SendMessageA(target, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kTokenChoices[tokenIndex_].token));
  SetFocus(target);
  return 0;
}

UINT CCustomResponsesPage::AskImportBodyTarget() {
  return ChooseFromButtonMenu(hwnd_, Item(IDC_RESPONSE_IMPORT_BODY),
                              {{kToThisCategory, "To this category"}, {kToAllCategories, "To all categories"}});
}

std::optional<std::string> CCustomResponsesPage::ImportText(const char* tagName, const char* closingTag) {
  std::string path;
  const std::optional<std::string> contents = AskAndReadFileToImport(GetAncestor(hwnd_, GA_ROOT), &path);
  if (!contents) return std::nullopt;
  if (!IsHtmlFilePath(path)) return contents;
  return std::string(TagContent(*contents, tagName, closingTag));
}

LRESULT CCustomResponsesPage::OnImportBody(WORD, WORD, HWND, BOOL&) {
  const UINT target = AskImportBodyTarget();
  if (target != kToThisCategory && target != kToAllCategories) return 0;
  const std::optional<std::string> imported = ImportText("BODY", "</BODY>");
  if (!imported) return 0;
  if (target == kToAllCategories) {
    for (int32_t id : categoryIds_) {
      if (responses_.Contains(id)) responses_.FindOrInsert(id).SetBody(ResponseKindHtml, *imported);
    }
  }
  ShownResponse().SetBody(ResponseKindHtml, *imported);
  body_ = ShownResponse().GetBody(ResponseKindHtml);
  SetItemText(IDC_RESPONSE_BODY, body_);
  return 0;
}

LRESULT CCustomResponsesPage::OnImportTitle(WORD, WORD, HWND, BOOL&) {
  const std::optional<std::string> imported = ImportText("TITLE", "</TITLE>");
  if (!imported) return 0;
  ShownResponse().SetTitle(ResponseKindHtml, *imported);
  title_ = ShownResponse().GetTitle(ResponseKindHtml);
  SetItemText(IDC_RESPONSE_TITLE, title_);
  return 0;
}

bool CCustomResponsesPage::Apply() {
  if (!DoDataExchange(true)) return false;
  StoreShownResponse();
  configuration_.responses = responses_;
  return true;
}

}  // namespace avex::ui
