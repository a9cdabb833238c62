// Resource modules on Windows: a DLL loaded by full path, or the program itself.
#pragma once

#include <memory>
#include <string>

#include "ui/resources.h"

namespace zor::ui {

class Win32ResourceLibrary : public ResourceLibrary {
 public:
  // Null when the module cannot be loaded. path should be a full path.
  static std::unique_ptr<Win32ResourceLibrary> Load(const std::string& path);
  static std::unique_ptr<Win32ResourceLibrary> Program();
  ~Win32ResourceLibrary() override;
  Win32ResourceLibrary(const Win32ResourceLibrary&) = delete;
  Win32ResourceLibrary& operator=(const Win32ResourceLibrary&) = delete;

  Bitmap GetBitmap(const std::string& name) const override;
  Bitmap GetBitmap(int id) const override;

 private:
  Win32ResourceLibrary(void* module, bool owned) : m_module(module), m_owned(owned) {}
  void* m_module;
  bool m_owned;
};

}  // namespace zor::ui
