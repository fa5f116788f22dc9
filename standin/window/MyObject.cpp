// CMyObject: the root of the window library.
#include "MyObject.h"

CMyObject::CMyObject() = default;

CMyObject::~CMyObject() = default;

void CMyObject::OutputDebugStringA(const char* text) const
{
    if (text)
        ::OutputDebugStringA(text);
}
