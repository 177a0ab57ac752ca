// Dialog: a dialog window built from a template in this module's resources,
// as a child (the pages) or as a modal popup with our own modal loop (the
// configuration dialog), with data exchange declared as a table of fields.
//
// The object must outlive its window; its destructor destroys a window that
// is still there. Everything runs on the thread that created the window.
#pragma once

#include <windows.h>

#include <string>

#include "ui/framework/data_exchange.h"
#include "ui/framework/message_map.h"
#include "ui/framework/window_object.h"

namespace avex::ui {

class Dialog : public WindowObject {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  ~Dialog() override;

  int TemplateId() const { return templateId_; }

  // Creates the window from the template, a child of `parent` when the
  // template has the child style, otherwise a popup it owns. False on failure.
  bool Create(HWND parent);

  // Creates the dialog without an owner, shows it and runs the modal loop
  // until EndDialog; destroys the window and answers EndDialog's result, or
  // IDCANCEL when the loop ended otherwise. Throws what a handler threw.
  INT_PTR RunModal();
  void EndDialog(INT_PTR result);

  // Saving (true): controls into members, stopping at the first field that
  // fails its validation, after showing its message and putting the focus on
  // it. Loading (false): members into controls. False when a field failed.
  bool DoDataExchange(bool save);
  // The control of the field that failed last, 0 when none did.
  int FailedControl() const { return failedControl_; }

  BEGIN_MSG_MAP(Dialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
  END_MSG_MAP()

 protected:
  // The fields of the dialog's data exchange; none by default.
  virtual DataExchangeTable DataExchangeFields() { return {}; }

  // The base initialisation: shows the members in the controls.
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // A top-level dialog keeps the control that had the focus when it was
  // deactivated, or that a refused field put it on, and gives it back on
  // every activation: the system's own memory is spent after one, and a
  // window system may activate the dialog again late, after a message box.
  LRESULT OnActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled);
  void RememberFocus(HWND control);
  bool RestoreFocus();
  bool SaveField(const DataExchangeField& field);
  void LoadField(const DataExchangeField& field);
  void RefuseField(const DataExchangeField& field, const std::string& message);

  int templateId_;
  int failedControl_ = 0;
  HWND focus_ = nullptr;
  bool modalRunning_ = false;
  INT_PTR modalResult_ = IDCANCEL;
};

// A message box with the plug-in's name as its caption.
int ShowMessage(HWND owner, const std::string& text, UINT type);

}  // namespace avex::ui
