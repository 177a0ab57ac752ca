// The configuration images: 16-pixel images cut from the image strip bitmap
// (pure green is transparent) for the navigation tree, the page headers and
// the user list, and the icons extracted from them one by one for drawing a
// page's icon. The configuration dialog creates them for its run; the
// process-wide holder lets the sheet and the pages reach them meanwhile.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace avex::ui {

class ConfigurationImages {
 public:
  // Loads the strip from this module's resources and becomes the holder's
  // current set.
  ConfigurationImages();
  // Destroys the icons and the image list, and clears the holder.
  ~ConfigurationImages();
  ConfigurationImages(const ConfigurationImages&) = delete;
  ConfigurationImages& operator=(const ConfigurationImages&) = delete;

  HIMAGELIST List() const { return list_; }
  // The icon of image `index`, null when there is none.
  HICON Icon(int index) const;

  // The set of the dialog that is open, or null.
  static const ConfigurationImages* Current();

 private:
  HIMAGELIST list_ = nullptr;
  std::vector<HICON> icons_;
};

}  // namespace avex::ui
