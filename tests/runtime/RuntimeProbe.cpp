// RuntimeProbe.dll: code that needs the run-time helpers of Microsoft's
// target, built as the product is, for the tests of runtime/.
#include <windows.h>

#include <stdint.h>
#include <string.h>

extern "C" uintptr_t __security_cookie;

#define PROBE extern "C"  // exported by RuntimeProbe.def

// 64-bit division and remainder: on x86 calls of __alldiv and its kin.
PROBE long long ProbeDivide(long long a, long long b) { return a / b; }
PROBE long long ProbeRemainder(long long a, long long b) { return a % b; }
PROBE unsigned long long ProbeDivideUnsigned(unsigned long long a, unsigned long long b) { return a / b; }
PROBE unsigned long long ProbeRemainderUnsigned(unsigned long long a, unsigned long long b) { return a % b; }

// A frame of several pages: a call of __chkstk first. Answers the sum of
// what it wrote, so every page was reached. The frame is reached only
// through a pointer the compiler cannot see through, so it stays whole.
PROBE int ProbeLargeFrame(int value)
{
    char frame[5 * 4096 + 100];
    char* volatile bytes = frame;
    for (size_t i = 0; i < sizeof(frame); i += 512)
        bytes[i] = static_cast<char>(value);
    int sum = 0;
    for (size_t i = 0; i < sizeof(frame); i += 512)
        sum += bytes[i];
    return sum;
}

PROBE uintptr_t ProbeCookie()
{
    return __security_cookie;
}

// Copies the command line into a buffer of 8: a longer one overruns the
// frame, which the cookie check ends. Started by rundll32.
PROBE void CALLBACK ProbeOverrun(HWND, HINSTANCE, LPSTR commandLine, int)
{
    char buffer[8];
    strcpy(buffer, commandLine);
    ::OutputDebugStringA(buffer);
}
