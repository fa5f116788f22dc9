// Names in this file: TAVO_PUBLISHED_SLOTS, the published table of a test
// object after its slot 0 (the scalar deleting destructor), named once for
// the host side: the development host calls the module through it (ITest)
// and the gate reads the built module's table against it.
//
// X(MEMBER, RESULT, PARAMETERS, CLASS, SIGNATURE32, SIGNATURE64): CLASS is the
// one whose version fills the slot; the signatures are the rest of the
// member's name as Microsoft's compiler decorates it for 32-bit x86 and x64.
#pragma once

// clang-format off
#define TAVO_PUBLISHED_SLOTS(X) \
    X(GetProductName, int, (void* buffer, void* reserved, unsigned int size), CTAVOTester, \
      "UAEHPAX0I@Z", "UEAAHPEAX0I@Z") \
    X(GetModuleName, const char*, (), CTestTAVO02, "UAEPBDXZ", "UEAAPEBDXZ") \
    X(IsSupportedTest, int, (const char* name), CTestTAVO02, "UAEHPBD@Z", "UEAAHPEBD@Z") \
    X(GetSupportedTestCount, unsigned int, (), CTestTAVO02, "UAEIXZ", "UEAAIXZ") \
    X(GetSupportedTest, const char*, (unsigned int index), CTestTAVO02, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(GetExtendedInfoCount, unsigned int, (), CTest, "UAEIXZ", "UEAAIXZ") \
    X(GetExtendedInfo, const char*, (unsigned int index), CTest, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(GetExtendedInfoName, const char*, (unsigned int index), CTest, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(Test, int, (unsigned int test, void* window, unsigned short value, void* param), CTAVOTester, \
      "UAEHIPAXG0@Z", "UEAAHIPEAXG0@Z") \
    X(Prepare4Test, int, (unsigned int test, void* window, unsigned short value, void* param), CTest, \
      "UAEHIPAXG0@Z", "UEAAHIPEAXG0@Z") \
    X(AfterTest, int, (unsigned int test, void* window, unsigned short value, void* param), CTest, \
      "UAEHIPAXG0@Z", "UEAAHIPEAXG0@Z") \
    X(GetTestID, unsigned int, (unsigned int index, int kind), CTest, "UAEIIH@Z", "UEAAIIH@Z") \
    X(ShowHelp, int, (void* window, unsigned int command, unsigned long data), CTAVOTester, \
      "UAEHPAXIK@Z", "UEAAHPEAXIK@Z") \
    X(GetFirstLanguage, int, (unsigned int* id), CTAVOTester, "UAEHPAI@Z", "UEAAHPEAI@Z") \
    X(GetNextLanguage, int, (unsigned int* id), CTAVOTester, "UAEHPAI@Z", "UEAAHPEAI@Z") \
    X(GetCurrentLanguageID, unsigned int, (), CTAVOTester, "UAEIXZ", "UEAAIXZ") \
    X(LanguageFileClose, int, (), CTAVOTester, "UAEHXZ", "UEAAHXZ") \
    X(SetCurrentLanguage, int, (unsigned int id), CTAVOTester, "UAEHI@Z", "UEAAHI@Z") \
    X(LanguageFileOpen, int, (), CTAVOTester, "UAEHXZ", "UEAAHXZ") \
    X(GetLanguageFileName, const char*, (unsigned int id), CTAVOTester, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(GetLanguageValue, const char*, (unsigned int id), CTAVOTester, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(InitTestMenu, int, (void* menu), CTAVOTester, "UAEHPAX@Z", "UEAAHPEAX@Z") \
    X(LanguageFileGetTag, int, (unsigned long flags, const char* name), CTAVOTester, "UAEHKPBD@Z", "UEAAHKPEBD@Z") \
    X(LanguageFileGetCurrentTagAttribute, const char*, (const char* name), CTAVOTester, \
      "UAEPBDPBD@Z", "UEAAPEBDPEBD@Z") \
    X(LanguageFileGetCurrentTagName, const char*, (), CTAVOTester, "UAEPBDXZ", "UEAAPEBDXZ") \
    X(GetMenuTooltip, const char*, (unsigned int menu, unsigned int item), CTAVOTester, "UAEPBDII@Z", "UEAAPEBDII@Z") \
    X(InitLanguage, int, (), CTAVOTester, "UAEHXZ", "UEAAHXZ") \
    X(SetLanguage, int, (const char* language), CTAVOTester, "UAEHPBD@Z", "UEAAHPEBD@Z") \
    X(SetLanguageFile, int, (const char* path), CTAVOTester, "UAEHPBD@Z", "UEAAHPEBD@Z") \
    X(GetMessageA, const char*, (unsigned int id), CTestTAVO02, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(GetDialogName, const char*, (unsigned int dialogId), CTestTAVO02, "UAEPBDI@Z", "UEAAPEBDI@Z") \
    X(GetDialogControlName, const char*, (unsigned int dialogId, unsigned int controlId), CTestTAVO02, \
      "UAEPBDII@Z", "UEAAPEBDII@Z") \
    X(AutoTest, int, (void* window, unsigned short value), CTAVOTester, "UAEHPAXG@Z", "UEAAHPEAXG@Z") \
    X(CheckEEPROM, int, (void* window, unsigned short value, int mode), CTAVOTester, "UAEHPAXGH@Z", "UEAAHPEAXGH@Z") \
    X(ShowEEPROM, int, (void* window, unsigned short value, int mode), CTAVOTester, "UAEHPAXGH@Z", "UEAAHPEAXGH@Z") \
    X(SaveEEPROMToFile, int, (void* window, unsigned short value), CTAVOTester, "UAEHPAXG@Z", "UEAAHPEAXG@Z") \
    X(ClearEEPROM, int, (void* window, unsigned short value), CTAVOTester, "UAEHPAXG@Z", "UEAAHPEAXG@Z") \
    X(ConfigureThermometer, int, (void* window, unsigned short value, int mode), CTestTAVO02, \
      "UAEHPAXGH@Z", "UEAAHPEAXGH@Z") \
    X(WriteEEPROM, int, (void* window, int mode, unsigned short value), CTAVOTester, "UAEHPAXHG@Z", "UEAAHPEAXHG@Z") \
    X(ShowConfigure, int, (void* window, unsigned short value), CTAVOTester, "UAEHPAXG@Z", "UEAAHPEAXG@Z") \
    X(MeasureTest, int, (void* window, unsigned short value), CTAVOTester, "UAEHPAXG@Z", "UEAAHPEAXG@Z")
// clang-format on
