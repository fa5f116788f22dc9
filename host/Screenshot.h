// Functions in this file: SaveWindowPng, a picture of a window as it is on
// screen, written through the Windows Imaging Component.
#pragma once

#include <windows.h>

#include <string>

// Answers false with error when the picture could not be taken or written.
bool SaveWindowPng(HWND window, const std::string& path, std::string* error);
