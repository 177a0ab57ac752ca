// Message maps: a window class declares its message handling in one place,
//
//   BEGIN_MSG_MAP(CMiscSettingsPage)
//     COMMAND_ID_HANDLER(IDC_AUTOMATIC_UPDATES, OnAutomaticUpdates)
//     CHAIN_MSG_MAP(CTabPage)
//   END_MSG_MAP()
//
// which expands to its ProcessWindowMessage. A handler clears `handled` to
// let the message go on to the next entry and finally to the default handling.
//
// Handler signatures:
//   MESSAGE_HANDLER     LRESULT OnX(UINT message, WPARAM, LPARAM, BOOL& handled)
//   COMMAND_*_HANDLER   LRESULT OnX(WORD notifyCode, WORD id, HWND control, BOOL& handled)
//   NOTIFY_HANDLER      LRESULT OnX(int id, NMHDR* header, BOOL& handled)
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(thisClass)                                                            \
  bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,             \
                            LRESULT& lResult) override {                                    \
    BOOL bHandled = TRUE;                                                                   \
    (void)hWnd;                                                                             \
    (void)bHandled;

#define MESSAGE_HANDLER(msg, func)                           \
  if (uMsg == (msg)) {                                       \
    bHandled = TRUE;                                         \
    lResult = func(uMsg, wParam, lParam, bHandled);          \
    if (bHandled) return true;                               \
  }

#define COMMAND_HANDLER(id, notifyCode, func)                                                   \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (notifyCode)) {          \
    bHandled = TRUE;                                                                      \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return true;                                                            \
  }

#define COMMAND_ID_HANDLER(id, func)                                                      \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                      \
    bHandled = TRUE;                                                                      \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return true;                                                            \
  }

#define COMMAND_RANGE_HANDLER(first, last, func)                                          \
  if (uMsg == WM_COMMAND && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) {       \
    bHandled = TRUE;                                                                      \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return true;                                                            \
  }

#define NOTIFY_HANDLER(id, notifyCode, func)                                            \
  if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == (UINT_PTR)(id) &&  \
      reinterpret_cast<NMHDR*>(lParam)->code == (UINT)(notifyCode)) {                    \
    bHandled = TRUE;                                                                    \
    lResult = func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), bHandled); \
    if (bHandled) return true;                                                          \
  }

#define CHAIN_MSG_MAP(baseClass) \
  if (baseClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return true;

#define END_MSG_MAP() \
  return false;       \
  }
