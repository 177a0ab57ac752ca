// CCustomResponsesPage: the block page of each category.
// Shown greyed out for now; it changes no setting.
#pragma once

#include "resources/resource_ids.h"
#include "ui/placeholder_page.h"

namespace avex::ui {

class CCustomResponsesPage : public CPlaceholderPage {
 public:
  static constexpr int kIcon = 6;

  CCustomResponsesPage() : CPlaceholderPage(IDD_CUSTOM_RESPONSES, kIcon) {}

  bool Apply() { return true; }
};

}  // namespace avex::ui
