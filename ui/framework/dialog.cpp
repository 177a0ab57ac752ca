#include "ui/framework/dialog.h"

#include <cstdio>

#include "plugin/plugin_names.h"
#include "ui/framework/modal_loop.h"
#include "ui/framework/module_instance.h"

namespace avex::ui {

namespace {

// Messages whose answer a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

// The buttons of a radio group: from its first button to the next control
// that starts a group.
template <typename Visit>
void ForEachRadioButton(HWND first, Visit visit) {
  int index = 0;
  for (HWND button = first; button != nullptr; button = GetWindow(button, GW_HWNDNEXT), ++index) {
    if (button != first && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP) != 0) break;
    visit(button, index);
  }
}

}  // namespace

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  return MessageBoxA(owner, text.c_str(), kDisplayName, type);
}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool Dialog::Create(HWND parent) {
  CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), parent, DialogProcedure,
                     reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

INT_PTR Dialog::RunModal() {
  modalRunning_ = true;
  modalResult_ = IDCANCEL;
  if (!Create(nullptr)) {
    RethrowHandlerFailure();
    return -1;
  }
  ShowWindow(hwnd_, SW_SHOW);
  try {
    RunModalLoop(hwnd_, &modalRunning_);
  } catch (...) {
    DestroyWindow(hwnd_);
    throw;
  }
  DestroyWindow(hwnd_);
  return modalResult_;
}

void Dialog::EndDialog(INT_PTR result) {
  modalResult_ = result;
  modalRunning_ = false;
}

LRESULT Dialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  DoDataExchange(false);
  return TRUE;
}

bool Dialog::DoDataExchange(bool save) {
  failedControl_ = 0;
  for (const DataExchangeField& field : DataExchangeFields()) {
    if (!save) {
      LoadField(field);
    } else if (!SaveField(field)) {
      return false;
    }
  }
  return true;
}

void Dialog::LoadField(const DataExchangeField& field) {
  switch (field.kind) {
    case DataExchangeField::Kind::Text:
      SetItemText(field.controlId, *static_cast<std::string*>(field.member));
      break;
    case DataExchangeField::Kind::Integer: {
      char text[24];
      std::snprintf(text, sizeof text, "%lld", static_cast<long long>(*static_cast<int64_t*>(field.member)));
      SetItemText(field.controlId, text);
      break;
    }
    case DataExchangeField::Kind::Check:
      CheckDlgButton(hwnd_, field.controlId, *static_cast<bool*>(field.member) ? BST_CHECKED : BST_UNCHECKED);
      break;
    case DataExchangeField::Kind::ComboIndex:
      SendMessageA(Item(field.controlId), CB_SETCURSEL, static_cast<WPARAM>(*static_cast<int*>(field.member)), 0);
      break;
    case DataExchangeField::Kind::Radio: {
      const int checked = *static_cast<int*>(field.member);
      ForEachRadioButton(Item(field.controlId), [&](HWND button, int index) {
        SendMessageA(button, BM_SETCHECK, index == checked ? BST_CHECKED : BST_UNCHECKED, 0);
      });
      break;
    }
  }
}

bool Dialog::SaveField(const DataExchangeField& field) {
  switch (field.kind) {
    case DataExchangeField::Kind::Text:
      *static_cast<std::string*>(field.member) = ItemText(field.controlId);
      return true;
    case DataExchangeField::Kind::Integer: {
      const std::optional<int64_t> value = ParseInteger(ItemText(field.controlId));
      if (!value || *value < field.minimum || *value > field.maximum) {
        RefuseField(field, IntegerRangeMessage(field.minimum, field.maximum));
        return false;
      }
      *static_cast<int64_t*>(field.member) = *value;
      return true;
    }
    case DataExchangeField::Kind::Check:
      *static_cast<bool*>(field.member) = IsDlgButtonChecked(hwnd_, field.controlId) == BST_CHECKED;
      return true;
    case DataExchangeField::Kind::ComboIndex:
      *static_cast<int*>(field.member) = static_cast<int>(SendMessageA(Item(field.controlId), CB_GETCURSEL, 0, 0));
      return true;
    case DataExchangeField::Kind::Radio: {
      int checked = -1;
      ForEachRadioButton(Item(field.controlId), [&](HWND button, int index) {
        if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) checked = index;
      });
      *static_cast<int*>(field.member) = checked;
      return true;
    }
  }
  return true;
}

void Dialog::RefuseField(const DataExchangeField& field, const std::string& message) {
  failedControl_ = field.controlId;
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  ShowMessage(root, message, MB_OK | MB_ICONEXCLAMATION);
  HWND control = Item(field.controlId);
  if (auto* rootDialog = dynamic_cast<Dialog*>(FromHandle(root))) rootDialog->RememberFocus(control);
  SetFocus(control);
  SendMessageA(control, EM_SETSEL, 0, -1);
}

void Dialog::RememberFocus(HWND control) {
  if (control != nullptr && IsChild(hwnd_, control)) focus_ = control;
}

bool Dialog::RestoreFocus() {
  if (focus_ == nullptr || !IsWindow(focus_) || !IsChild(hwnd_, focus_) || !IsWindowVisible(focus_) ||
      !IsWindowEnabled(focus_)) {
    return false;
  }
  SetFocus(focus_);
  return true;
}

LRESULT Dialog::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if ((GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    handled = FALSE;
  } else if (LOWORD(wParam) == WA_INACTIVE) {
    RememberFocus(GetFocus());
    handled = FALSE;
  } else {
    handled = RestoreFocus() ? TRUE : FALSE;
  }
  return 0;
}

LRESULT Dialog::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  const bool child = (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0;
  handled = !child && RestoreFocus() ? TRUE : FALSE;
  return 0;
}

INT_PTR CALLBACK Dialog::DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<Dialog*>(lParam);
    dialog->Attach(hwnd);
  } else {
    dialog = static_cast<Dialog*>(FromHandle(hwnd));
  }
  if (dialog == nullptr) return FALSE;
  LRESULT result = 0;
  bool handled = false;
  try {
    handled = dialog->ProcessWindowMessage(hwnd, message, wParam, lParam, result);
  } catch (...) {
    RecordHandlerFailure(std::current_exception());
    handled = false;
  }
  if (message == WM_NCDESTROY) dialog->Detach();
  if (!handled) return FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace avex::ui
