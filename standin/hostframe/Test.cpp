// CTest: the host framework's base of every test module. Its report lines
// and what a module hands it go to the test bench.
#include "Test.h"

#include <string.h>

#include "TestBench.h"

CTest::CTest(void* /*reserved*/) : m_hInstance(nullptr) {}

CTest::~CTest() = default;

void CTest::SetInstance(void* instance)
{
    m_hInstance = static_cast<HINSTANCE>(instance);
    BenchNoteInstance(instance);
}

// Answers the name's place in the table, counted from 1, or 0 when it is not
// listed: a module must pass the answer on, whatever non-zero value it is.
int CTest::TestSupportedTest(const char* name, char** table, int count)
{
    int answer = 0;
    for (int i = 0; name && table && i < count && !answer; ++i) {
        if (table[i] && strcmp(table[i], name) == 0)
            answer = i + 1;
    }
    BenchNoteSupportedTestQuery(name, table, count, answer);
    return answer;
}

int CTest::SendTestResult(void* window, const char* first, const char* second, int value,
                          unsigned char kind, unsigned short value16)
{
    const TEST_REPORT report = {window, first, second, value, kind, value16};
    BenchReport(&report);
    return 1;
}

// The framework's own answers for a module that does not supply an operation:
// no product name, no extended information, no tests to run, no help, no
// languages and no texts of its own.
int CTest::GetProductName(void* buffer, void*, unsigned int size)
{
    if (buffer && size)
        static_cast<char*>(buffer)[0] = '\0';
    return 0;
}
unsigned int CTest::GetExtendedInfoCount() { return 0; }
const char* CTest::GetExtendedInfo(unsigned int) { return nullptr; }
const char* CTest::GetExtendedInfoName(unsigned int) { return nullptr; }
int CTest::Test(unsigned int, void*, unsigned short, void*) { return 0; }
int CTest::Prepare4Test(unsigned int, void*, unsigned short, void*) { return 1; }
int CTest::AfterTest(unsigned int, void*, unsigned short, void*) { return 1; }
unsigned int CTest::GetTestID(unsigned int index, int) { return index; }
int CTest::ShowHelp(void*, unsigned int, unsigned long) { return 0; }
int CTest::GetFirstLanguage(unsigned int*) { return 0; }
int CTest::GetNextLanguage(unsigned int*) { return 0; }
unsigned int CTest::GetCurrentLanguageID() { return 0; }
int CTest::LanguageFileClose() { return 1; }
int CTest::SetCurrentLanguage(unsigned int) { return 0; }
int CTest::LanguageFileOpen() { return 0; }
const char* CTest::GetLanguageFileName(unsigned int) { return nullptr; }
const char* CTest::GetLanguageValue(unsigned int) { return nullptr; }
int CTest::InitTestMenu(void*) { return 0; }
int CTest::LanguageFileGetTag(unsigned long, const char*) { return 0; }
const char* CTest::LanguageFileGetCurrentTagAttribute(const char*) { return nullptr; }
const char* CTest::LanguageFileGetCurrentTagName() { return nullptr; }
const char* CTest::GetMenuTooltip(unsigned int, unsigned int) { return nullptr; }
int CTest::InitLanguage() { return 0; }
int CTest::SetLanguage(const char*) { return 0; }
int CTest::SetLanguageFile(const char*) { return 0; }
const char* CTest::GetMessageA(unsigned int) { return ""; }
const char* CTest::GetDialogName(unsigned int) { return ""; }
const char* CTest::GetDialogControlName(unsigned int, unsigned int) { return ""; }
