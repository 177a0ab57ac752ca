// WindowObject: the C++ object behind one of our windows (a dialog, a page or
// a subclassed control). It answers the window's messages through its message
// map and may pre-translate the messages of the modal loop before they are
// dispatched. Objects are found from their window handle through a window
// property, so the modal loop can walk from the target of a message up
// through the parents that are ours.
//
// All of it runs on the thread that owns the windows.
#pragma once

#include <windows.h>

#include <string>

namespace avex::ui {

class WindowObject {
 public:
  WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;
  virtual ~WindowObject() = default;

  HWND Handle() const { return hwnd_; }

  // True when the message was handled; `result` is then the window's answer.
  virtual bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result) = 0;
  // True when the message was consumed and must not be dispatched.
  virtual bool PreTranslateMessage(MSG& message) {
    (void)message;
    return false;
  }

  // The object attached to `hwnd`, or null when the window is not ours.
  static WindowObject* FromHandle(HWND hwnd);

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  void EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable ? TRUE : FALSE); }
  static std::string TextOf(HWND hwnd);
  std::string ItemText(int id) const { return TextOf(Item(id)); }
  void SetItemText(int id, const std::string& text) const { SetDlgItemTextA(hwnd_, id, text.c_str()); }

 protected:
  void Attach(HWND hwnd);
  void Detach();

  HWND hwnd_ = nullptr;
};

}  // namespace avex::ui
