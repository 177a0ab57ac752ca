// CCustomResponsesPage: the HTML block page of each category with a
// response - its title and body, edited in two boxes, with response tokens
// inserted at the caret and either text imported from a file (the body
// optionally into every category at once).
//
// The page edits its own copy of the response set; the edits reach the
// plug-in's set only through Apply. The Text form of the responses is not
// shown and passes through unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/plugin_configuration.h"
#include "responses/response_set.h"
#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CCustomResponsesPage : public CTabPage {
 public:
  static constexpr int kIcon = 6;

  // Copies the configuration's response set.
  explicit CCustomResponsesPage(PluginConfiguration& configuration);

  // Replaces the configuration's response set with the page's copy, the
  // shown title and body included; true.
  bool Apply();

  BEGIN_MSG_MAP(CCustomResponsesPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_RESPONSE_CATEGORY, CBN_SELCHANGE, OnCategoryChanged)
    COMMAND_HANDLER(IDC_RESPONSE_BODY, EN_SETFOCUS, OnEditFocused)
    COMMAND_HANDLER(IDC_RESPONSE_TITLE, EN_SETFOCUS, OnEditFocused)
    COMMAND_ID_HANDLER(IDC_RESPONSE_ADD_TOKEN, OnAddToken)
    COMMAND_ID_HANDLER(IDC_RESPONSE_IMPORT_BODY, OnImportBody)
    COMMAND_ID_HANDLER(IDC_RESPONSE_IMPORT_TITLE, OnImportTitle)
    CHAIN_MSG_MAP(CTabPage)
  END_MSG_MAP()

 protected:
  DataExchangeTable DataExchangeFields() override;

 private:
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCategoryChanged(WORD, WORD, HWND, BOOL&);
  LRESULT OnEditFocused(WORD, WORD id, HWND, BOOL&);
  LRESULT OnAddToken(WORD, WORD, HWND, BOOL&);
  LRESULT OnImportBody(WORD, WORD, HWND, BOOL&);
  LRESULT OnImportTitle(WORD, WORD, HWND, BOOL&);

  void FillCombos();
  // The response of the category the edit boxes show.
  CustomResponse& ShownResponse();
  void LoadShownResponse();
  void StoreShownResponse();
  // "To this category" or "To all categories" from the pop-up menu under
  // Import Body; 0 when the menu was dismissed.
  UINT AskImportBodyTarget();
  // The chosen file's text: the content of element `tagName` of an HTML
  // file, a whole file otherwise. None when nothing is to be imported.
  std::optional<std::string> ImportText(const char* tagName, const char* closingTag);

  PluginConfiguration& configuration_;
  ResponseSet responses_;
  // The categories with a response, in the order of the category combo.
  std::vector<int32_t> categoryIds_;
  int selectedIndex_ = 0;
  int shownIndex_ = 0;
  std::string title_;
  std::string body_;
  int tokenIndex_ = 0;
  // The edit box that had the keyboard focus last; 0 before either had it.
  int insertionTarget_ = 0;
};

}  // namespace avex::ui
