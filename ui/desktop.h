// The modal host for windows that have no owner window: the first dialog of a program.
#pragma once

#include "ui/window.h"

namespace zor::ui {

ModalHost& Desktop();

}  // namespace zor::ui
