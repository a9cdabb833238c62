// The application icon (the power leaf on the window's dark body), drawn at the sizes Windows asks
// for. The leaf's colour tells the companion's states apart.
#pragma once

#include "skins/generator/resource_library.h"
#include "skins/generator/style.h"

namespace zor::skins {

void AddAppIcon(ResourceLibrary& lib, int id, Rgb leaf);

}  // namespace zor::skins
