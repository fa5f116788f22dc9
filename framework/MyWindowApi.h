// Import/export switch of the window library.
#pragma once

#if defined(TAVO_STATIC_LIBRARIES)
#define MYWINDOW_API
#elif defined(MYWINDOW_BUILD)
#define MYWINDOW_API __declspec(dllexport)
#else
#define MYWINDOW_API __declspec(dllimport)
#endif
