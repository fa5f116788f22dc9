// The module boundary as the production host meets it: the file loads, the two
// plain-named exports, every slot of the published table called in Microsoft's
// layout, the exported class members, the library entry and the single
// object's life.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "ModuleFixture.h"

namespace {

const char kModule[] = "TestTAVO02.test";

// The exported table of supported tests, under its Microsoft-decorated name.
#ifdef _WIN64
const char kTableExport[] = "?m_szSupportedTest@CTestTAVO02@@2PAPEADA";
#else
const char kTableExport[] = "?m_szSupportedTest@CTestTAVO02@@2PAPADA";
#endif

typedef BOOL(WINAPI* EntryPoint)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryOf(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<EntryPoint>(base + nt->OptionalHeader.AddressOfEntryPoint);
}

// Calls a function of no arguments with the return register filled with
// ones first, and answers its 32 bits afterwards: a function that sets only
// part of it leaves ones above.
unsigned int ReturnRegisterOf(void* function)
{
    unsigned int result;
#ifdef _WIN64
    asm volatile("movq $-1, %%rax\n\tsubq $40, %%rsp\n\tcallq *%1\n\taddq $40, %%rsp"
                 : "=&a"(result) : "r"(function) : "rcx", "rdx", "r8", "r9", "r10", "r11", "memory", "cc");
#else
    asm volatile("movl $-1, %%eax\n\tcall *%1" : "=&a"(result) : "r"(function) : "ecx", "edx", "memory", "cc");
#endif
    return result;
}

class ModuleTest : public CModuleFixture
{
protected:
    int InstanceCalls(void** last = nullptr) const { return BenchInstanceCalls(last); }
};

TEST_F(ModuleTest, ExportsTheIdentifierAndOneInstance)
{
    EXPECT_EQ(19796, m_module.Id());
    EXPECT_EQ(19796u, ReturnRegisterOf(m_module.Export<void*>("_GetTestInstanceID")))
        << "the identifier fills the whole return register, as Microsoft's compiler returns it";
    ITest* first = m_module.Instance();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, m_module.Instance()) << "every call answers the same object";
    EXPECT_EQ(nullptr, m_module.Export<void (*)()>("GetTestInstance")) << "only the underscore names are exported";
}

// A host built with Microsoft's compiler asks the object its type through the
// C runtime (typeid, dynamic_cast); the type descriptors it passes are its
// own, matched by their decorated names.
TEST_F(ModuleTest, HostReadsTheObjectsTypeThroughRtti)
{
    struct TypeDescriptor
    {
        const void* pVirtualTable;
        void* pSpare;
        char szName[24];
    };
    HMODULE runtime = ::LoadLibraryA("msvcrt.dll");
    const auto typeOf = reinterpret_cast<const TypeDescriptor* (*)(void*)>(
        reinterpret_cast<void*>(::GetProcAddress(runtime, "__RTtypeid")));
    const auto cast = reinterpret_cast<void* (*)(void*, long, const void*, const void*, int)>(
        reinterpret_cast<void*>(::GetProcAddress(runtime, "__RTDynamicCast")));
    ASSERT_TRUE(typeOf && cast);
    const TypeDescriptor* type = typeOf(m_pTest);
    ASSERT_NE(nullptr, type);
    EXPECT_STREQ(".?AVCTestTAVO02@@", type->szName);
    const TypeDescriptor test = {type->pVirtualTable, nullptr, ".?AVCTest@@"};
    const struct
    {
        const char* pszTarget;
        bool bIsA;
    } targets[] = {{".?AVCTestTAVO02@@", true}, {".?AVCTAVOTester@@", true}, {".?AVCTest@@", true},
                   {".?AVCMyDialog@@", false}};
    for (const auto& target : targets) {
        TypeDescriptor descriptor = {type->pVirtualTable, nullptr, {}};
        strcpy(descriptor.szName, target.pszTarget);
        EXPECT_EQ(target.bIsA ? static_cast<void*>(m_pTest) : nullptr, cast(m_pTest, 0, &test, &descriptor, 0))
            << "dynamic_cast from CTest to " << target.pszTarget;
    }
}

// Each slot is called where the published order puts it, one destructor slot
// first, and answers what the module or the base library it belongs to
// answers there; a table one slot off answers something else.
TEST_F(ModuleTest, EverySlotAnswersInThePublishedOrder)
{
    char product[32] = "";
    EXPECT_EQ(1, m_pTest->GetProductName(product, nullptr, sizeof(product)));
    EXPECT_STREQ("TAVO tester", product) << "the tester library's slot 1";
    EXPECT_STREQ("TAVO-01", m_pTest->GetModuleName());
    EXPECT_EQ(2, m_pTest->IsSupportedTest("TAVO-02")) << "the framework's answer, passed on";
    EXPECT_EQ(3u, m_pTest->GetSupportedTestCount());
    EXPECT_STREQ("TAV-02", m_pTest->GetSupportedTest(2));
    // The host framework's own slots.
    EXPECT_EQ(0u, m_pTest->GetExtendedInfoCount());
    EXPECT_EQ(nullptr, m_pTest->GetExtendedInfo(0));
    EXPECT_EQ(nullptr, m_pTest->GetExtendedInfoName(0));
    EXPECT_EQ(0, m_pTest->Test(0, nullptr, 0, nullptr)) << "the tester's: no tests of its own";
    EXPECT_EQ(1, m_pTest->Prepare4Test(0, nullptr, 0, nullptr));
    EXPECT_EQ(1, m_pTest->AfterTest(0, nullptr, 0, nullptr));
    EXPECT_EQ(7u, m_pTest->GetTestID(7, 0));
    EXPECT_EQ(0, m_pTest->ShowHelp(nullptr, 0, 0));
    EXPECT_EQ(0, m_pTest->InitTestMenu(nullptr));
    EXPECT_EQ(nullptr, m_pTest->GetMenuTooltip(0, 0));

    // The language slots, over the Czech file.
    unsigned int language = 0;
    EXPECT_EQ(0, m_pTest->GetFirstLanguage(&language)) << "no file set yet";
    EXPECT_EQ(1, m_pTest->SetLanguageFile("lang\\cs.xml"));
    EXPECT_EQ(1, m_pTest->GetFirstLanguage(&language));
    EXPECT_EQ(1u, language);
    EXPECT_EQ(0, m_pTest->GetNextLanguage(&language));
    EXPECT_STREQ("lang\\cs.xml", m_pTest->GetLanguageFileName(1));
    EXPECT_EQ(0u, m_pTest->GetCurrentLanguageID()) << "not open yet";
    EXPECT_EQ(1, m_pTest->LanguageFileOpen());
    EXPECT_EQ(1u, m_pTest->GetCurrentLanguageID());
    EXPECT_STREQ("\xC8" "e\x9Atina", m_pTest->GetLanguageValue(1)) << "the root's Language attribute";
    EXPECT_EQ(1, m_pTest->LanguageFileGetTag(1, "TesterLanguage"));
    EXPECT_STREQ("TesterLanguage", m_pTest->LanguageFileGetCurrentTagName());
    EXPECT_STREQ("\xC8" "e\x9Atina", m_pTest->LanguageFileGetCurrentTagAttribute("Language"));
    EXPECT_EQ(1, m_pTest->LanguageFileClose());
    EXPECT_EQ(0u, m_pTest->GetCurrentLanguageID());
    EXPECT_EQ(1, m_pTest->InitLanguage()) << "opens the file set";
    EXPECT_EQ(0, m_pTest->SetCurrentLanguage(2));
    EXPECT_EQ(1, m_pTest->SetLanguage("lang\\de.xml"));
    EXPECT_STREQ("Deutsch", m_pTest->GetLanguageValue(1));
    m_pTest->LanguageFileClose();

    // The module's text slots.
    EXPECT_STREQ("TAVO configuration", m_pTest->GetMessageA(34));
    EXPECT_STREQ("Configuration of next unit ...", m_pTest->GetDialogName(2022));
    EXPECT_STREQ("Connect next unit for configration", m_pTest->GetDialogControlName(2022, 32795));

    // The tester's unit slots around the module's ConfigureThermometer.
    EXPECT_EQ(0, m_pTest->AutoTest(nullptr, 0));
    EXPECT_EQ(0, m_pTest->CheckEEPROM(nullptr, 0, 5)) << "no unit connected";
    EXPECT_EQ(0, m_pTest->ShowEEPROM(nullptr, 0, 6));
    EXPECT_EQ(0, m_pTest->SaveEEPROMToFile(nullptr, 0));
    EXPECT_EQ(0, m_pTest->ClearEEPROM(nullptr, 0));
    EXPECT_EQ(2, m_pTest->ConfigureThermometer(nullptr, 0, 9)) << "no unit connected";
    EXPECT_EQ(Lines{Opening()}, m_reports.Lines()) << "the module's procedure ran";
    EXPECT_EQ(0, m_pTest->WriteEEPROM(nullptr, 0, 0));
    EXPECT_EQ(0, m_pTest->ShowConfigure(nullptr, 0));
    EXPECT_EQ(0, m_pTest->MeasureTest(nullptr, 0));
    EXPECT_EQ((std::vector<std::string>{"CheckEEPROM 5", "CheckEEPROM 9"}), CBench::Get().CallLog())
        << "only CheckEEPROM reached the bench, once by the host and once by the procedure";
}

TEST_F(ModuleTest, SupportedTestTableIsExportedInOrder)
{
    auto table = m_module.Export<char**>(kTableExport);
    ASSERT_NE(nullptr, table);
    EXPECT_STREQ("TAVO-01", table[0]);
    EXPECT_STREQ("TAVO-02", table[1]);
    EXPECT_STREQ("TAV-02", table[2]);
    for (unsigned int i = 0; i < 3; ++i)
        EXPECT_EQ(table[i], m_pTest->GetSupportedTest(i)) << "GetSupportedTest answers the table's entry " << i;
    EXPECT_EQ(nullptr, m_pTest->GetSupportedTest(3));
    EXPECT_EQ(nullptr, m_pTest->GetSupportedTest(UINT_MAX)) << "the index is compared unsigned";
}

TEST_F(ModuleTest, IsSupportedTestHandsEveryNameToTheFrameworkUnchanged)
{
    auto table = m_module.Export<char**>(kTableExport);
    const char* const names[] = {"TAVO-01", "TAVO-02", "TAV-02", "tavo-01", "TAVO-0", "TAVO-012", "", "X", nullptr};
    for (const char* name : names) {
        const int answer = m_pTest->IsSupportedTest(name);
        const char* passedName = "not called";
        char** passedTable = nullptr;
        int passedCount = 0, frameworkAnswer = -1;
        ASSERT_EQ(1, BenchLastSupportedTestQuery(&passedName, &passedTable, &passedCount, &frameworkAnswer));
        const std::string label = name ? name : "(null)";
        EXPECT_EQ(name, passedName) << label << ": the very same text is passed on";
        EXPECT_EQ(table, passedTable) << label;
        EXPECT_EQ(3, passedCount) << label;
        EXPECT_EQ(frameworkAnswer, answer) << label << ": answer unchanged";
    }
    EXPECT_EQ(3, m_pTest->IsSupportedTest("TAV-02")) << "the framework answers the place in the table";
    EXPECT_EQ(0, m_pTest->IsSupportedTest("TAVO-03"));
}

DWORD WINAPI DoNothing(LPVOID)
{
    return 0;
}

TEST_F(ModuleTest, ThreadAttachAndDetachLeaveTheObjectUntouched)
{
    HANDLE thread = ::CreateThread(nullptr, 0, &DoNothing, nullptr, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_EQ(1, InstanceCalls()) << "no SetInstance for a thread's attach or detach";
}

TEST_F(ModuleTest, EntryRoutineAnswersOneToEveryOtherReason)
{
    const EntryPoint entry = EntryOf(m_module.Handle());
    HINSTANCE other = reinterpret_cast<HINSTANCE>(0x12340000);
    const DWORD reasons[] = {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, 4, 0x7FFFFFFF};
    for (DWORD reason : reasons) {
        EXPECT_EQ(TRUE, entry(other, reason, nullptr)) << "reason " << reason;
        void* instance = nullptr;
        EXPECT_EQ(1, InstanceCalls(&instance)) << "SetInstance once, at process attach; not for reason " << reason;
        EXPECT_EQ(m_module.Handle(), instance);
    }
}

TEST(ModuleLifetime, UnloadAndReloadConstructTheObjectAnew)
{
    CBench::Get().Clear();
    for (int round = 1; round <= 3; ++round) {
        CTestModule module;
        ASSERT_TRUE(module.Load(kModule)) << module.Error();
        void* instance = nullptr;
        EXPECT_EQ(round, BenchInstanceCalls(&instance)) << "one attach a load";
        EXPECT_EQ(module.Handle(), instance);
        EXPECT_STREQ("TAVO-01", module.Instance()->GetModuleName());
        module.Unload();
        EXPECT_EQ(nullptr, ::GetModuleHandleA(kModule)) << "the module left the process";
    }
    CBench::Get().Clear();
}

TEST(ModuleLoading, ANonModuleIsRefusedWithAReason)
{
    CTestModule module;
    EXPECT_FALSE(module.Load("no-such.test"));
    EXPECT_EQ("module 'no-such.test' not found", module.Error());
    EXPECT_FALSE(module.Load("MyWindow.dll"));
    EXPECT_NE(std::string::npos, module.Error().find("is not a test module")) << module.Error();
    EXPECT_FALSE(module.IsLoaded());
}

}  // namespace
