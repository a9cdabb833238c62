// A library of bitmaps: a resource-only DLL loaded by full path, or the program's own resources.
#pragma once

#include <memory>
#include <string>

#include "ui/image.h"

namespace zor::ui {

class ResourceLibrary {
 public:
  virtual ~ResourceLibrary() = default;
  // Null when the library has no bitmap of that name or id.
  virtual Bitmap GetBitmap(const std::string& name) const = 0;
  virtual Bitmap GetBitmap(int id) const = 0;
};

}  // namespace zor::ui
