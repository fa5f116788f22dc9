// Functions in this file: BoundWindow, the window object the library's dialog
// procedure has bound to a window.
#pragma once

#include "MyWindow.h"

// The object bound to hwnd, or null.
CMyWindow* BoundWindow(HWND hwnd);
