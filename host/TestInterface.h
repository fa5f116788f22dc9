// Classes in this file: ITest, a test module's object as the production host
// calls it: nothing but the published table of virtual operations.
#pragma once

// The object comes from a module built with Microsoft's compiler, so the
// table is laid out as that compiler lays it out: one slot for the virtual
// destructor (the scalar deleting destructor, which takes the delete flags),
// then every operation in the published order, each called with the object
// as `this` (__thiscall on 32-bit x86, which this compiler uses for members
// there too). Declared here from the published order alone, never from the
// module's or the libraries' headers, so a slot out of place on either side
// shows as a wrong answer. No data members: a host reads none.
struct ITest
{
    // Slot 0. Destroys the object and frees it when flags bit 0 is set; the
    // host never calls it on a module's static object.
    virtual void* ScalarDeletingDestructor(unsigned int flags) = 0;
    virtual int GetProductName(void* buffer, void* reserved, unsigned int size) = 0;
    virtual const char* GetModuleName() = 0;
    virtual int IsSupportedTest(const char* name) = 0;
    virtual unsigned int GetSupportedTestCount() = 0;
    virtual const char* GetSupportedTest(unsigned int index) = 0;
    virtual unsigned int GetExtendedInfoCount() = 0;
    virtual const char* GetExtendedInfo(unsigned int index) = 0;
    virtual const char* GetExtendedInfoName(unsigned int index) = 0;
    virtual int Test(unsigned int test, void* window, unsigned short value, void* param) = 0;
    virtual int Prepare4Test(unsigned int test, void* window, unsigned short value, void* param) = 0;
    virtual int AfterTest(unsigned int test, void* window, unsigned short value, void* param) = 0;
    virtual unsigned int GetTestID(unsigned int index, int kind) = 0;
    virtual int ShowHelp(void* window, unsigned int command, unsigned long data) = 0;
    virtual int GetFirstLanguage(unsigned int* id) = 0;
    virtual int GetNextLanguage(unsigned int* id) = 0;
    virtual unsigned int GetCurrentLanguageID() = 0;
    virtual int LanguageFileClose() = 0;
    virtual int SetCurrentLanguage(unsigned int id) = 0;
    virtual int LanguageFileOpen() = 0;
    virtual const char* GetLanguageFileName(unsigned int id) = 0;
    virtual const char* GetLanguageValue(unsigned int id) = 0;
    virtual int InitTestMenu(void* menu) = 0;
    virtual int LanguageFileGetTag(unsigned long flags, const char* name) = 0;
    virtual const char* LanguageFileGetCurrentTagAttribute(const char* name) = 0;
    virtual const char* LanguageFileGetCurrentTagName() = 0;
    virtual const char* GetMenuTooltip(unsigned int menu, unsigned int item) = 0;
    virtual int InitLanguage() = 0;
    virtual int SetLanguage(const char* language) = 0;
    virtual int SetLanguageFile(const char* path) = 0;
    virtual const char* GetMessageA(unsigned int id) = 0;
    virtual const char* GetDialogName(unsigned int dialogId) = 0;
    virtual const char* GetDialogControlName(unsigned int dialogId, unsigned int controlId) = 0;
    virtual int AutoTest(void* window, unsigned short value) = 0;
    virtual int CheckEEPROM(void* window, unsigned short value, int mode) = 0;
    virtual int ShowEEPROM(void* window, unsigned short value, int mode) = 0;
    virtual int SaveEEPROMToFile(void* window, unsigned short value) = 0;
    virtual int ClearEEPROM(void* window, unsigned short value) = 0;
    virtual int ConfigureThermometer(void* window, unsigned short value, int mode) = 0;
    virtual int WriteEEPROM(void* window, int mode, unsigned short value) = 0;
    virtual int ShowConfigure(void* window, unsigned short value) = 0;
    virtual int MeasureTest(void* window, unsigned short value) = 0;

protected:
    ~ITest() = default;  // the module owns the object
};
