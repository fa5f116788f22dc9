// Functions in this file: SaveWindowPng, a picture of a window as it is on
// screen, and WritePng, which writes pixels through the Windows Imaging
// Component.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Answers false with error when the picture could not be taken or written.
bool SaveWindowPng(HWND window, const std::string& path, std::string* error);
// Writes top-down BGRA pixels to path (UTF-8) as a PNG file, whole or not at all.
bool WritePng(int width, int height, const std::vector<BYTE>& pixels, const std::string& path, std::string* error);
