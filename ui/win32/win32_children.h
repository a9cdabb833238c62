// Child windows of the Win32 host: custom child windows bound to portable Windows, skinned system
// combo boxes, owner-draw reflection and the dialog keys of the modal loop.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/window.h"

namespace zor::ui {

// Makes child a WS_CHILD window of parent with a host of its own (freed with the window).
bool CreateWin32Child(WindowHost& parentHost, HWND parent, Window& child, int id, const Rect& rect);

// A system drop-down list combo box of parent, owner-drawn through skin.
std::unique_ptr<ComboBox> CreateWin32ComboBox(HWND parent, ComboSkin& skin, int id,
                                              const Rect& rect);

// The parent's side of owner-draw (WM_DRAWITEM, WM_MEASUREITEM): hands them to the skinned
// control that asked. True with *result set when the message was one of its controls'.
bool ReflectOwnerDraw(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The dialog keys of a window with child controls, for a key press msg of dialog or of one of its
// children: Tab and Shift+Tab move the focus, Enter and Escape act on window, unless the focused
// child wants the key. True when the key was used and must not be dispatched.
bool TranslateDialogKey(Window& window, HWND dialog, const MSG& msg);

// The host's answers for a window's id and keys.
int ControlIdOf(HWND hwnd);
void PostToParentOf(HWND hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace zor::ui
