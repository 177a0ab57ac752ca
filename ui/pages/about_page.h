// CAboutPage: the product line, the product picture and the notices of the
// maker and of the engine's vendor. It has no settings.
#pragma once

#include "resources/resource_ids.h"
#include "ui/framework/tab_page.h"

namespace avex::ui {

class CAboutPage : public CTabPage {
 public:
  static constexpr int kIcon = 5;

  CAboutPage() : CTabPage(IDD_ABOUT) { SetIcon(kIcon); }

  bool Apply() { return true; }
};

}  // namespace avex::ui
