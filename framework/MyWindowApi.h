// Import/export switch of the window library.
#pragma once

#ifdef MYWINDOW_BUILD
#define MYWINDOW_API __declspec(dllexport)
#else
#define MYWINDOW_API __declspec(dllimport)
#endif
