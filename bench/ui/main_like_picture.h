// A stand-in for the main window's background: 600 x 545, the size of "Main_on", with magenta
// round corners, a notched edge and a few magenta holes, so the region scan meets many short runs
// as on the real skin.
#pragma once

#include "ui/image.h"

namespace zor::bench {

ui::Image MainLikePicture();

}  // namespace zor::bench
