#include "ui/framework/window_object.h"

#include <vector>

namespace avex::ui {

namespace {

constexpr char kObjectProperty[] = "AVexWindowObject";

}  // namespace

WindowObject* WindowObject::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<WindowObject*>(GetPropA(hwnd, kObjectProperty));
}

std::string WindowObject::TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(length) + 1);
  const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
  return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void WindowObject::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropA(hwnd, kObjectProperty, this);
}

void WindowObject::Detach() {
  if (hwnd_ != nullptr) RemovePropA(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

}  // namespace avex::ui
