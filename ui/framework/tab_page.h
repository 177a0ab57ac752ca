// CTabPage: one page of the configuration sheet, a child dialog built from its
// own template. Its title is the caption of that template (or a string
// resource when one is given); its icon indexes the configuration images.
//
// Inside a page, Enter and Escape never close the page: the dialog manager's
// OK and Cancel commands go on to the configuration dialog, where they act as
// OK and Cancel. Tab on the page's last control leaves the page.
#pragma once

#include <windows.h>

#include <string>

#include "ui/framework/dialog.h"

namespace avex::ui {

class CTabPage : public Dialog {
 public:
  // `captionStringId` 0 takes the title from the template's caption.
  explicit CTabPage(int templateId, int captionStringId = 0);

  const std::string& Title() const { return title_; }
  int Icon() const { return icon_; }

  // True when the page window exists or could be created as a child of `sheet`.
  virtual bool EnsureCreated(HWND sheet);

  bool PreTranslateMessage(MSG& message) override;

  BEGIN_MSG_MAP(CTabPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnDialogCommand)
    COMMAND_ID_HANDLER(IDCANCEL, OnDialogCommand)
  END_MSG_MAP()

 protected:
  void SetIcon(int icon) { icon_ = icon; }
  // Makes the window a borderless tab-stop child of the sheet, as tall as the
  // template's client area, then runs the base initialisation.
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

 private:
  LRESULT OnDialogCommand(WORD code, WORD id, HWND control, BOOL& handled);
  void StripPageFrame();
  // The page's first or last enabled, visible tab-stop control.
  HWND EdgeTabStop(bool last) const;
  bool LeavesPage(const MSG& message) const;

  std::string title_;
  int icon_ = -1;
};

// The caption of a dialog template (DLGTEMPLATE or DLGTEMPLATEEX) in the
// system's ANSI code page, after its menu and class fields; empty when the
// template is cut short.
std::string DialogTemplateCaption(const void* resource, size_t size);

// The caption of template `templateId` in this module's resources.
std::string DialogTemplateCaption(int templateId);

}  // namespace avex::ui
