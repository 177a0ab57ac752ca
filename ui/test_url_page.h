// CTestUrlPage: how a URL would be treated with the settings as edited.
// Shown greyed out for now; it changes no setting.
#pragma once

#include "resources/resource_ids.h"
#include "ui/placeholder_page.h"

namespace avex::ui {

class CTestUrlPage : public CPlaceholderPage {
 public:
  static constexpr int kIcon = 12;

  CTestUrlPage() : CPlaceholderPage(IDD_TEST_URL, kIcon) {}
};

}  // namespace avex::ui
