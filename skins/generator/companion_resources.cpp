// Zor2Tray's icons: saving on (1), saving off (2), and figures that stopped changing (3).
#include "skins/generator/app_icon.h"
#include "skins/generator/skins.h"

namespace zor::skins {

ResourceLibrary BuildCompanionResources() {
  ResourceLibrary lib("companion");
  AddAppIcon(lib, 1, color::kGreen);
  AddAppIcon(lib, 2, color::kOffAccent);
  AddAppIcon(lib, 3, color::kAmber);
  return lib;
}

}  // namespace zor::skins
