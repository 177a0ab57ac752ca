#include "ui/framework/tab_page.h"

#include <vector>

#include "ui/framework/module_instance.h"

namespace avex::ui {

namespace {

class TemplateReader {
 public:
  TemplateReader(const void* data, size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}

  bool Skip(size_t bytes) {
    if (bytes > size_ - position_) return false;
    position_ += bytes;
    return true;
  }
  bool Word(uint16_t* value) {
    if (size_ - position_ < 2) return false;
    *value = static_cast<uint16_t>(data_[position_] | data_[position_ + 1] << 8);
    position_ += 2;
    return true;
  }
  // A field that is empty (0), an ordinal (0xFFFF and a number) or a string.
  bool SkipNameOrOrdinal() {
    std::wstring ignored;
    return NameOrOrdinal(&ignored);
  }
  bool NameOrOrdinal(std::wstring* text) {
    uint16_t first = 0;
    if (!Word(&first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return Skip(2);
    text->push_back(static_cast<wchar_t>(first));
    for (uint16_t unit = 0;;) {
      if (!Word(&unit)) return false;
      if (unit == 0) return true;
      text->push_back(static_cast<wchar_t>(unit));
    }
  }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t position_ = 0;
};

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], length, nullptr, nullptr);
  return ansi;
}

bool IsTabStop(HWND control) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  return (style & WS_TABSTOP) != 0 && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The dialog's tab stops in tab order, looking into the windows that hold
// controls of their own (the sheet) as the dialog manager does.
void CollectTabStops(HWND parent, std::vector<HWND>* stops) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if ((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0) {
      CollectTabStops(child, stops);
    } else if ((GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0) {
      stops->push_back(child);
    }
  }
}

// The tab stop of `dialog` after (or before) `item`; null when there is none.
HWND NeighbourTabStop(HWND dialog, HWND item, bool backwards) {
  std::vector<HWND> stops;
  CollectTabStops(dialog, &stops);
  const size_t count = stops.size();
  for (size_t i = 0; i < count; ++i) {
    if (stops[i] != item) continue;
    if (count < 2) return nullptr;
    return stops[backwards ? (i + count - 1) % count : (i + 1) % count];
  }
  return nullptr;
}

}  // namespace

std::string DialogTemplateCaption(const void* resource, size_t size) {
  if (resource == nullptr) return std::string();
  TemplateReader reader(resource, size);
  uint16_t version = 0;
  uint16_t signature = 0;
  if (!reader.Word(&version) || !reader.Word(&signature)) return std::string();
  // DLGTEMPLATEEX: version 1, signature 0xFFFF, help id, extended style,
  // style, item count, x, y, cx, cy. DLGTEMPLATE: style, extended style, item
  // count, x, y, cx, cy.
  const bool extended = version == 1 && signature == 0xFFFF;
  const size_t rest = extended ? 4 + 4 + 4 + 2 + 8 : 4 + 2 + 8;
  std::wstring caption;
  if (!reader.Skip(rest) || !reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() ||
      !reader.NameOrOrdinal(&caption)) {
    return std::string();
  }
  return ToAnsi(caption);
}

std::string DialogTemplateCaption(int templateId) {
  HINSTANCE module = ModuleInstance();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
  if (found == nullptr) return std::string();
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return std::string();
  return DialogTemplateCaption(LockResource(loaded), SizeofResource(module, found));
}

CTabPage::CTabPage(int templateId, int captionStringId) : Dialog(templateId) {
  if (captionStringId != 0) {
    char text[256] = {};
    LoadStringA(ModuleInstance(), static_cast<UINT>(captionStringId), text, sizeof text);
    title_ = text;
  } else {
    title_ = DialogTemplateCaption(templateId);
  }
}

bool CTabPage::EnsureCreated(HWND sheet) { return hwnd_ != nullptr || Create(sheet); }

void CTabPage::StripPageFrame() {
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  style = (style & ~WS_CAPTION) | WS_GROUP | WS_TABSTOP;
  SetWindowLongA(hwnd_, GWL_STYLE, style);
  SetWindowLongA(hwnd_, GWL_EXSTYLE, GetWindowLongA(hwnd_, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top - GetSystemMetrics(SM_CYCAPTION),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CTabPage::OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  StripPageFrame();
  return Dialog::OnInitDialog(message, wParam, lParam, handled);
}

LRESULT CTabPage::OnDialogCommand(WORD code, WORD id, HWND control, BOOL& handled) {
  // OK and Cancel belong to the configuration dialog, the page's grandparent;
  // the page itself does nothing with them.
  SendMessageA(GetParent(GetParent(hwnd_)), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
  handled = TRUE;
  return 0;
}

HWND CTabPage::EdgeTabStop(bool last) const {
  HWND found = nullptr;
  for (HWND control = GetWindow(hwnd_, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    if (!IsTabStop(control)) continue;
    found = control;
    if (!last) break;
  }
  return found;
}

// Tab on the last control goes on to the dialog's controls after the page;
// Shift+Tab on the first goes back to the ones before it.
bool CTabPage::LeavesPage(const MSG& message) const {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || KeyDown(VK_CONTROL)) return false;
  const bool backwards = KeyDown(VK_SHIFT);
  HWND edge = EdgeTabStop(!backwards);
  if (edge == nullptr || (message.hwnd != edge && !IsChild(edge, message.hwnd))) return false;
  HWND dialog = GetAncestor(hwnd_, GA_ROOT);
  HWND next = NeighbourTabStop(dialog, hwnd_, backwards);
  if (next == nullptr) return false;
  PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  return true;
}

bool CTabPage::PreTranslateMessage(MSG& message) {
  if (LeavesPage(message)) return true;
  return IsDialogMessageA(hwnd_, &message) != FALSE;
}

}  // namespace avex::ui
