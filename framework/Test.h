// Classes in this file: CTest, the host framework's base of every test module.
#pragma once

#include <windows.h>

#include "DynString.h"

#if defined(TAVO_STATIC_LIBRARIES)
#define HOSTFRAME_API
#elif defined(HOSTFRAME_BUILD)
#define HOSTFRAME_API __declspec(dllexport)
#else
#define HOSTFRAME_API __declspec(dllimport)
#endif

// The virtual operations are declared in the order of the host's table; test
// modules and the tester library override them by slot.
class HOSTFRAME_API CTest
{
public:
    explicit CTest(void* reserved);
    virtual ~CTest();

    virtual int GetProductName(void* buffer, void* reserved, unsigned int size);
    virtual const char* GetModuleName() = 0;
    virtual int IsSupportedTest(const char* name) = 0;
    virtual unsigned int GetSupportedTestCount() = 0;
    virtual const char* GetSupportedTest(unsigned int index) = 0;
    virtual unsigned int GetExtendedInfoCount();
    virtual const char* GetExtendedInfo(unsigned int index);
    virtual const char* GetExtendedInfoName(unsigned int index);
    virtual int Test(unsigned int test, void* window, unsigned short value, void* param);
    virtual int Prepare4Test(unsigned int test, void* window, unsigned short value, void* param);
    virtual int AfterTest(unsigned int test, void* window, unsigned short value, void* param);
    virtual unsigned int GetTestID(unsigned int index, int kind);
    virtual int ShowHelp(void* window, unsigned int command, unsigned long data);
    virtual int GetFirstLanguage(unsigned int* id);
    virtual int GetNextLanguage(unsigned int* id);
    virtual unsigned int GetCurrentLanguageID();
    virtual int LanguageFileClose();
    virtual int SetCurrentLanguage(unsigned int id);
    virtual int LanguageFileOpen();
    virtual const char* GetLanguageFileName(unsigned int id);
    virtual const char* GetLanguageValue(unsigned int id);
    virtual int InitTestMenu(void* menu);
    virtual int LanguageFileGetTag(unsigned long flags, const char* name);
    virtual const char* LanguageFileGetCurrentTagAttribute(const char* name);
    virtual const char* LanguageFileGetCurrentTagName();
    virtual const char* GetMenuTooltip(unsigned int menu, unsigned int item);
    virtual int InitLanguage();
    virtual int SetLanguage(const char* language);
    virtual int SetLanguageFile(const char* path);
    virtual const char* GetMessageA(unsigned int id);
    virtual const char* GetDialogName(unsigned int dialogId);
    virtual const char* GetDialogControlName(unsigned int dialogId, unsigned int controlId);

    // Keeps the module's instance handle (called at process attach).
    void SetInstance(void* instance);
    // Non-zero when name is one of the count entries of table.
    int TestSupportedTest(const char* name, char** table, int count);
    // Adds a line to the host's report.
    int SendTestResult(void* window, const char* first, const char* second, int value,
                       unsigned char kind, unsigned short value16);

    HINSTANCE m_hInstance;
    CDynString m_strScratch;
};
