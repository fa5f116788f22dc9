// ReportInvariant: a broken invariant, told to the debugger output.
#include "Invariant.h"

#include <windows.h>

// The sites pass their own short literals, so the line fits the buffer.
void ReportInvariant(const char* condition, const char* source, int line)
{
    char text[256];
    ::wsprintfA(text, "Invariant failed: %s (%s, line %d)\n", condition, source, line);
    ::OutputDebugStringA(text);
}
