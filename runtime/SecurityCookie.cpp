// The stack cookie that code built with -fstack-protector-strong checks on
// return from every function with an array on its frame, as Microsoft's
// compiler does with /GS, and the DLL's entry routine that sets the cookie
// for this process before any such function runs.
#include <windows.h>

#include <stdint.h>

namespace {

// The value Microsoft's run-time gives the cookie before it is set; a cookie
// still holding it was never set.
#if defined(_WIN64)
const uintptr_t kUnsetCookie = 0x00002B992DDFA232ull;
#else
const uintptr_t kUnsetCookie = 0xBB40E64E;
#endif

// Mixes what differs from one process start to the next: the clock, the
// process and thread, the performance counter and where the stack lies.
__attribute__((no_stack_protector)) uintptr_t NewCookie()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    uintptr_t cookie = now.dwLowDateTime ^ now.dwHighDateTime;
    cookie ^= ::GetCurrentThreadId();
    cookie ^= ::GetCurrentProcessId();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
#if defined(_WIN64)
    cookie ^= static_cast<uintptr_t>(counter.QuadPart);
    cookie &= 0x0000FFFFFFFFFFFFull;  // the upper bits stay clear, as Windows' own cookies keep them
#else
    cookie ^= counter.LowPart ^ static_cast<uintptr_t>(counter.HighPart);
#endif
    cookie ^= reinterpret_cast<uintptr_t>(&cookie);
    if (cookie == kUnsetCookie || cookie == 0)
        cookie = kUnsetCookie + 1;
    return cookie;
}

}  // namespace

extern "C" {

uintptr_t __security_cookie = kUnsetCookie;

// Called with the cookie a function saved on entry: a different one means its
// frame was overrun, and the process ends at once rather than run on with a
// return address an attacker may have written.
__attribute__((no_stack_protector)) void __fastcall __security_check_cookie(uintptr_t cookie)
{
    if (cookie == __security_cookie)
        return;
    if (::IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
}

// MinGW's start-up of a DLL: the C runtime, the static objects, then DllMain.
BOOL WINAPI DllMainCRTStartup(HANDLE instance, DWORD reason, LPVOID reserved);

// The image's entry point: sets the cookie at the first attach, before the
// C runtime and the static objects' constructors run, then hands over.
__attribute__((no_stack_protector)) BOOL WINAPI TavoDllStartup(HANDLE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH && __security_cookie == kUnsetCookie)
        __security_cookie = NewCookie();
    return DllMainCRTStartup(instance, reason, reserved);
}

}  // extern "C"
