// runtime/ as code built in Microsoft's ABI meets it: the 64-bit arithmetic
// helpers, the stack probe and the stack cookie, in RuntimeProbe.dll.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

template <typename Function>
Function ProbeExport(const char* name)
{
    static HMODULE probe = ::LoadLibraryA("RuntimeProbe.dll");
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(probe, name)));
}

TEST(RuntimeTest, LongDivisionAndRemainderAnswerAsThisCompilerDoes)
{
    const auto divide = ProbeExport<long long (*)(long long, long long)>("ProbeDivide");
    const auto remainder = ProbeExport<long long (*)(long long, long long)>("ProbeRemainder");
    const auto divideU =
        ProbeExport<unsigned long long (*)(unsigned long long, unsigned long long)>("ProbeDivideUnsigned");
    const auto remainderU =
        ProbeExport<unsigned long long (*)(unsigned long long, unsigned long long)>("ProbeRemainderUnsigned");
    ASSERT_TRUE(divide && remainder && divideU && remainderU);
    const struct
    {
        long long a, b;
    } cases[] = {{7, 2}, {-7, 2}, {7, -2}, {0x123456789ABCDEFll, 0x10001}, {-0x7FFFFFFFFFFFFFFFll, 3},
                 {0x100000000ll, 0x100000000ll}, {5, 0x7FFFFFFFFFFFFFFFll}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " and " + std::to_string(c.b));
        EXPECT_EQ(c.a / c.b, divide(c.a, c.b));
        EXPECT_EQ(c.a % c.b, remainder(c.a, c.b));
        const auto ua = static_cast<unsigned long long>(c.a), ub = static_cast<unsigned long long>(c.b);
        EXPECT_EQ(ua / ub, divideU(ua, ub));
        EXPECT_EQ(ua % ub, remainderU(ua, ub));
    }
}

TEST(RuntimeTest, FrameOfSeveralPagesIsProbedAndReturns)
{
    const auto largeFrame = ProbeExport<int (*)(int)>("ProbeLargeFrame");
    ASSERT_TRUE(largeFrame);
    EXPECT_EQ(41 * 3, largeFrame(3)) << "every page of the frame written and read back";
}

// Where a stack overflow is raised, in a touch of __chkstk, the unwinder
// finds the helper's own entry in the exception directory.
TEST(RuntimeTest, StackProbeHasUnwindInformation)
{
#if defined(_M_X64) || defined(__x86_64__)
    const auto* code = reinterpret_cast<const BYTE*>(ProbeExport<int (*)(int)>("ProbeLargeFrame"));
    ASSERT_TRUE(code);
    const BYTE* call = std::find(code, code + 32, 0xE8);  // mov eax, size; call __chkstk
    ASSERT_NE(code + 32, call) << "the large frame calls no helper first";
    INT32 offset = 0;
    memcpy(&offset, call + 1, 4);
    const BYTE* chkstk = call + 5 + offset;
    DWORD64 base = 0;
    const RUNTIME_FUNCTION* entry = ::RtlLookupFunctionEntry(reinterpret_cast<DWORD64>(chkstk), &base, nullptr);
    ASSERT_TRUE(entry) << "__chkstk lies in no range of the exception directory";
    EXPECT_EQ(static_cast<DWORD64>(chkstk - reinterpret_cast<const BYTE*>(base)), entry->BeginAddress);
#else
    GTEST_SKIP() << "32-bit x86 keeps no unwind tables: its handlers are registered on the stack";
#endif
}

TEST(RuntimeTest, CookieIsSetAtLoad)
{
    const auto cookie = ProbeExport<uintptr_t (*)()>("ProbeCookie");
    ASSERT_TRUE(cookie);
    const uintptr_t unset = sizeof(void*) == 8 ? static_cast<uintptr_t>(0x00002B992DDFA232ull) : 0xBB40E64E;
    EXPECT_NE(unset, cookie()) << "the entry routine sets the cookie before anything runs";
    EXPECT_NE(0u, cookie());
}

// An overrun frame ends its process with STATUS_STACK_BUFFER_OVERRUN instead
// of returning through what the overrun wrote.
TEST(RuntimeTest, OverrunEndsTheProcess)
{
    std::string command = "rundll32.exe RuntimeProbe.dll,ProbeOverrun " + std::string(64, 'A');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 30000));
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(0xC0000409u, exitCode);
}

}  // namespace
