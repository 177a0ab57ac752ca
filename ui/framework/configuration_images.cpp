#include "ui/framework/configuration_images.h"

#include "resources/resource_ids.h"
#include "ui/framework/module_instance.h"

namespace avex::ui {

namespace {

constexpr int kImageWidth = 16;
constexpr int kGrowStep = 120;
constexpr COLORREF kMaskColour = RGB(0, 255, 0);

const ConfigurationImages* current = nullptr;

}  // namespace

ConfigurationImages::ConfigurationImages() {
  list_ = ImageList_LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDB_CONFIGURATION_IMAGES), kImageWidth,
                               kGrowStep, kMaskColour, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  const int count = list_ != nullptr ? ImageList_GetImageCount(list_) : 0;
  for (int index = 0; index < count; ++index) icons_.push_back(ImageList_GetIcon(list_, index, ILD_NORMAL));
  current = this;
}

ConfigurationImages::~ConfigurationImages() {
  if (current == this) current = nullptr;
  for (HICON icon : icons_) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  if (list_ != nullptr) ImageList_Destroy(list_);
}

HICON ConfigurationImages::Icon(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= icons_.size()) return nullptr;
  return icons_[static_cast<size_t>(index)];
}

const ConfigurationImages* ConfigurationImages::Current() { return current; }

}  // namespace avex::ui
