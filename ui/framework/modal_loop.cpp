#include "ui/framework/modal_loop.h"

#include "ui/framework/window_object.h"

namespace avex::ui {

namespace {

thread_local std::exception_ptr handlerFailure;

bool PreTranslate(HWND dialog, MSG& message) {
  if (message.hwnd != dialog && !IsChild(dialog, message.hwnd)) return false;
  for (HWND window = message.hwnd; window != nullptr; window = GetParent(window)) {
    WindowObject* object = WindowObject::FromHandle(window);
    if (object != nullptr && object->PreTranslateMessage(message)) return true;
    if (window == dialog) break;
  }
  return false;
}

}  // namespace

void RecordHandlerFailure(std::exception_ptr failure) {
  if (!handlerFailure) handlerFailure = failure;
}

void RethrowHandlerFailure() {
  if (!handlerFailure) return;
  std::exception_ptr failure = handlerFailure;
  handlerFailure = nullptr;
  std::rethrow_exception(failure);
}

void RunModalLoop(HWND dialog, const bool* running) {
  RethrowHandlerFailure();
  while (*running) {
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got == -1) return;
    if (!PreTranslate(dialog, message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    RethrowHandlerFailure();
  }
}

}  // namespace avex::ui
