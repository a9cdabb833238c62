// The product's picture libraries, each built from scratch.
#pragma once

#include "skins/generator/canvas.h"
#include "skins/generator/resource_library.h"

namespace zor::skins {

// res.dll: the message box pictures and its OK, Yes and No buttons.
ResourceLibrary BuildMessageLibrary();
// ENG.dll, SC.dll, TC.dll: the main window.
ResourceLibrary BuildMainLibrary(const char* name, Script script);
// AdvEng.dll, AdvSC.dll, AdvTC.dll: the advanced settings dialog.
ResourceLibrary BuildAdvancedLibrary(const char* name, Script script);
// The program's own bitmaps 130 to 138 and its icon 128.
ResourceLibrary BuildProgramResources();
// Zor2Tray.exe's icons 1 to 3.
ResourceLibrary BuildCompanionResources();

}  // namespace zor::skins
