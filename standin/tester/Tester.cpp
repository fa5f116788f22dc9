// CTAVOTester: the tester library's base of the TAVO test modules.
//
// This is the skeleton of the stand-in: every operation the module calls is
// linked and answers. The language file and the simulated bench are not built
// yet, so the lookups find no tag, no unit is ever connected and the unit
// operations answer failure, as a tester with nothing plugged in would.
#include "TAVOTester.h"

#include <initializer_list>

CTAVOTester::CTAVOTester(void* reserved) : CTest(reserved) {}

CTAVOTester::~CTAVOTester() = default;

int CTAVOTester::GetProductName(void* buffer, void* reserved, unsigned int size)
{
    return CTest::GetProductName(buffer, reserved, size);
}

int CTAVOTester::Test(unsigned int, void*, unsigned short, void*) { return 0; }
int CTAVOTester::ShowHelp(void*, unsigned int, unsigned long) { return 0; }

// Languages: no language file is supported yet.
int CTAVOTester::GetFirstLanguage(unsigned int*) { return 0; }
int CTAVOTester::GetNextLanguage(unsigned int*) { return 0; }
unsigned int CTAVOTester::GetCurrentLanguageID() { return 0; }
int CTAVOTester::LanguageFileClose() { return 1; }
int CTAVOTester::SetCurrentLanguage(unsigned int) { return 0; }
int CTAVOTester::LanguageFileOpen() { return 0; }
const char* CTAVOTester::GetLanguageFileName(unsigned int) { return nullptr; }
const char* CTAVOTester::GetLanguageValue(unsigned int) { return nullptr; }
int CTAVOTester::InitTestMenu(void*) { return 0; }
int CTAVOTester::LanguageFileGetTag(unsigned long, const char*) { return 0; }
const char* CTAVOTester::LanguageFileGetCurrentTagAttribute(const char*) { return nullptr; }
const char* CTAVOTester::LanguageFileGetCurrentTagName() { return nullptr; }
const char* CTAVOTester::GetMenuTooltip(unsigned int, unsigned int) { return nullptr; }
int CTAVOTester::InitLanguage() { return 0; }
int CTAVOTester::SetLanguage(const char*) { return 0; }
int CTAVOTester::SetLanguageFile(const char*) { return 0; }
const char* CTAVOTester::GetMessageA(unsigned int id) { return CTest::GetMessageA(id); }
const char* CTAVOTester::GetDialogName(unsigned int id) { return CTest::GetDialogName(id); }
const char* CTAVOTester::GetDialogControlName(unsigned int dialogId, unsigned int controlId)
{
    return CTest::GetDialogControlName(dialogId, controlId);
}

// Tests of the tester itself: not supported by this stand-in.
int CTAVOTester::AutoTest(void*, unsigned short) { return 0; }
int CTAVOTester::ShowEEPROM(void*, unsigned short, int) { return 0; }
int CTAVOTester::SaveEEPROMToFile(void*, unsigned short) { return 0; }
int CTAVOTester::ClearEEPROM(void*, unsigned short) { return 0; }
int CTAVOTester::ConfigureThermometer(void*, unsigned short, int) { return 0; }
int CTAVOTester::WriteEEPROM(void*, int, unsigned short) { return 0; }
int CTAVOTester::ShowConfigure(void*, unsigned short) { return 0; }
int CTAVOTester::MeasureTest(void*, unsigned short) { return 0; }

// The unit: none is connected yet.
int CTAVOTester::CheckEEPROM(void*, unsigned short, int) { return 0; }
unsigned char* CTAVOTester::ReadUserConfig() { return nullptr; }
unsigned char* CTAVOTester::ReadDefaultConfig(unsigned char) { return nullptr; }
int CTAVOTester::WriteConfig(unsigned short, unsigned char*, unsigned char) { return 0; }
int CTAVOTester::ExitConfig() { return 0; }
int CTAVOTester::Reconnect(int, int, int) { return 0; }

int CTAVOTester::MeasureValue(unsigned char, unsigned long* v0, unsigned long* v1,
                              unsigned long* v2, unsigned long* v3, unsigned long* v4,
                              unsigned long* v5, unsigned long* v6, unsigned long* v7,
                              unsigned long* v8, unsigned long* v9, unsigned char*)
{
    for (unsigned long* value : {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9}) {
        if (value)
            *value = 0;
    }
    return 0;
}
