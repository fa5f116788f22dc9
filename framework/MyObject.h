// Classes in this file: CMyObject, the root of the window library.
#pragma once

#include <windows.h>

#include "MyWindowApi.h"

class MYWINDOW_API CMyObject
{
public:
    CMyObject();
    virtual ~CMyObject();

    // Writes text to the debugger output.
    void OutputDebugStringA(const char* text) const;
};
