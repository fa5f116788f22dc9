// The module boundary: the file loads like the production host loads it, the
// two plain-named exports, the identity operations called through the virtual
// table, the library entry and the single object's life.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "TestModule.h"
#include "TestTAVO02.h"

// The host's view of a test object: nothing but the published order of the
// virtual operations, declared independently of the framework headers. It has
// external linkage on purpose: inside an anonymous namespace the compiler may
// assume no object of it can exist and fold the calls away.
struct IHostSlots
{
    virtual ~IHostSlots() {}
    virtual int GetProductName(void*, void*, unsigned int) = 0;
    virtual const char* GetModuleName() = 0;
    virtual int IsSupportedTest(const char*) = 0;
    virtual unsigned int GetSupportedTestCount() = 0;
    virtual const char* GetSupportedTest(unsigned int) = 0;
};

namespace {

const char kModule[] = "TestTAVO02.test";

IHostSlots* Slots(CTest* test)
{
    return reinterpret_cast<IHostSlots*>(test);
}

typedef BOOL(WINAPI* EntryPoint)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryOf(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<EntryPoint>(base + nt->OptionalHeader.AddressOfEntryPoint);
}

class ModuleTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_module.Load(kModule)) << m_module.Error(); }

    CTestTAVO02* Object() const { return static_cast<CTestTAVO02*>(m_module.Instance()); }

    CTestModule m_module;
};

TEST_F(ModuleTest, ExportsTheIdentifierAndOneInstance)
{
    EXPECT_EQ(19796, m_module.Id());
    EXPECT_EQ(0x4D54, m_module.Id());
    CTest* first = m_module.Instance();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, m_module.Instance()) << "every call answers the same object";
    EXPECT_EQ(nullptr, m_module.Export<void (*)()>("GetTestInstance")) << "only the underscore names are exported";
}

TEST_F(ModuleTest, IdentitySlotsAnswerThroughTheVirtualTable)
{
    IHostSlots* slots = Slots(m_module.Instance());
    EXPECT_STREQ("TAVO-01", slots->GetModuleName());
    EXPECT_EQ(3u, slots->GetSupportedTestCount());
    const char* const expected[] = {"TAVO-01", "TAVO-02", "TAV-02"};
    for (unsigned int i = 0; i < 3; ++i)
        EXPECT_STREQ(expected[i], slots->GetSupportedTest(i)) << "index " << i;
    EXPECT_EQ(nullptr, slots->GetSupportedTest(3));
    EXPECT_EQ(nullptr, slots->GetSupportedTest(UINT_MAX)) << "the index is compared unsigned";
}

TEST_F(ModuleTest, SupportedTestTableIsExportedInOrder)
{
    auto table = m_module.Export<char**>("_ZN11CTestTAVO0217m_szSupportedTestE");
    ASSERT_NE(nullptr, table);
    EXPECT_STREQ("TAVO-01", table[0]);
    EXPECT_STREQ("TAVO-02", table[1]);
    EXPECT_STREQ("TAV-02", table[2]);
    EXPECT_EQ(table[0], m_module.Instance()->GetSupportedTest(0)) << "GetSupportedTest answers the table's entries";
}

TEST_F(ModuleTest, IsSupportedTestHandsEveryNameToTheFrameworkUnchanged)
{
    auto table = m_module.Export<char**>("_ZN11CTestTAVO0217m_szSupportedTestE");
    const char* const names[] = {"TAVO-01", "TAVO-02", "TAV-02", "tavo-01", "TAVO-0", "TAVO-012", "", "X", nullptr};
    IHostSlots* slots = Slots(m_module.Instance());
    for (const char* name : names) {
        const int answer = slots->IsSupportedTest(name);
        const char* passedName = "not called";
        char** passedTable = nullptr;
        int passedCount = 0;
        HostFrameGetLastSupportedTestQuery(&passedName, &passedTable, &passedCount);
        const std::string label = name ? name : "(null)";
        EXPECT_EQ(name, passedName) << label << ": the very same text is passed on";
        EXPECT_EQ(table, passedTable) << label;
        EXPECT_EQ(3, passedCount) << label;
        EXPECT_EQ(m_module.Instance()->TestSupportedTest(name, table, 3), answer) << label << ": answer unchanged";
    }
    EXPECT_EQ(1, slots->IsSupportedTest("TAV-02"));
    EXPECT_EQ(0, slots->IsSupportedTest("TAVO-03"));
}

TEST_F(ModuleTest, ProcessAttachHandsTheInstanceHandleToTheObject)
{
    EXPECT_EQ(m_module.Handle(), m_module.Instance()->m_hInstance);
    EXPECT_EQ(nullptr, Object()->m_ConfigList.GetFirst()) << "the list starts empty";
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
    EXPECT_EQ(m_module.Handle(), m_module.Instance()->m_hInstance);
}

TEST_F(ModuleTest, EntryRoutineAnswersOneToEveryOtherReason)
{
    const EntryPoint entry = EntryOf(m_module.Handle());
    HINSTANCE other = reinterpret_cast<HINSTANCE>(0x12340000);
    const DWORD reasons[] = {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, 4, 0x7FFFFFFF};
    for (DWORD reason : reasons) {
        EXPECT_EQ(TRUE, entry(other, reason, nullptr)) << "reason " << reason;
        EXPECT_EQ(m_module.Handle(), m_module.Instance()->m_hInstance)
            << "reason " << reason << " must not hand over the instance";
    }
}

TEST(ModuleLifetime, UnloadAndReloadConstructTheObjectAnew)
{
    for (int round = 0; round < 3; ++round) {
        CTestModule module;
        ASSERT_TRUE(module.Load(kModule)) << module.Error();
        auto* object = static_cast<CTestTAVO02*>(module.Instance());
        EXPECT_EQ(module.Handle(), object->m_hInstance) << "round " << round;
        EXPECT_EQ(nullptr, object->m_ConfigList.GetFirst()) << "round " << round;
        EXPECT_STREQ("TAVO-01", object->GetModuleName());
        module.Unload();
        EXPECT_EQ(nullptr, ::GetModuleHandleA(kModule)) << "the module left the process";
    }
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
