// TestTAVO02: the library entry, the two exported functions and the identity
// of the single test object.
#include "TestTAVO02.h"

namespace {

const char kModuleName[] = "TAVO-01";

char s_szTAVO01[] = "TAVO-01";
char s_szTAVO02[] = "TAVO-02";
char s_szTAV02[] = "TAV-02";

}  // namespace

char* CTestTAVO02::m_szSupportedTest[3] = {s_szTAVO01, s_szTAVO02, s_szTAV02};

// The one test object; the runtime constructs it before DllMain sees the
// process attach and destroys it after the detach.
static CTestTAVO02 g_TestTAVO02(nullptr);

CTestTAVO02::CTestTAVO02(void* reserved) : CTAVOTester(reserved) {}

CTestTAVO02::~CTestTAVO02() = default;

const char* CTestTAVO02::GetModuleName()
{
    return kModuleName;
}

int CTestTAVO02::IsSupportedTest(const char* name)
{
    return TestSupportedTest(name, m_szSupportedTest, 3);
}

unsigned int CTestTAVO02::GetSupportedTestCount()
{
    return 3;
}

const char* CTestTAVO02::GetSupportedTest(unsigned int index)
{
    return index < 3 ? m_szSupportedTest[index] : nullptr;
}

// Exported as _GetTestInstance and _GetTestInstanceID (see TestTAVO02.def).
extern "C" CTest* GetTestInstance()
{
    return &g_TestTAVO02;
}

// The 16-bit identifier in the whole return register, as Microsoft's compiler
// returns it, so a host that declared the function wider reads it right too.
extern "C" unsigned int GetTestInstanceID()
{
    return TESTTAVO02_ID;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_TestTAVO02.SetInstance(instance);
    return TRUE;
}
