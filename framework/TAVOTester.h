// Classes in this file: CEEPROMCache (the image of a unit's EEPROM) and
// CTAVOTester, the tester library's base of the TAVO test modules.
#pragma once

#include "Test.h"

#if defined(TAVO_STATIC_LIBRARIES)
#define TAVOTESTER_API
#elif defined(TAVOTESTER_BUILD)
#define TAVOTESTER_API __declspec(dllexport)
#else
#define TAVOTESTER_API __declspec(dllimport)
#endif

// The image of the connected unit's EEPROM, as the tester last read it.
class TAVOTESTER_API CEEPROMCache
{
public:
    CEEPROMCache();

    // Pointer into the image at offset; never null. Zero bytes follow the
    // image, so a short field read at the last offsets stays inside.
    unsigned char* GetEEPROMCacheFrom(unsigned char offset, int bank);

private:
    unsigned char m_abyImage[256 + 32];
};

class TAVOTESTER_API CTAVOTester : public CTest
{
public:
    explicit CTAVOTester(void* reserved);
    ~CTAVOTester() override;
    CTAVOTester(const CTAVOTester&) = delete;
    CTAVOTester& operator=(const CTAVOTester&) = delete;

    int GetProductName(void* buffer, void* reserved, unsigned int size) override;
    int Test(unsigned int test, void* window, unsigned short value, void* param) override;
    int ShowHelp(void* window, unsigned int command, unsigned long data) override;
    int GetFirstLanguage(unsigned int* id) override;
    int GetNextLanguage(unsigned int* id) override;
    unsigned int GetCurrentLanguageID() override;
    int LanguageFileClose() override;
    int SetCurrentLanguage(unsigned int id) override;
    int LanguageFileOpen() override;
    const char* GetLanguageFileName(unsigned int id) override;
    const char* GetLanguageValue(unsigned int id) override;
    int InitTestMenu(void* menu) override;
    int LanguageFileGetTag(unsigned long flags, const char* name) override;
    const char* LanguageFileGetCurrentTagAttribute(const char* name) override;
    const char* LanguageFileGetCurrentTagName() override;
    const char* GetMenuTooltip(unsigned int menu, unsigned int item) override;
    int InitLanguage() override;
    int SetLanguage(const char* language) override;
    int SetLanguageFile(const char* path) override;
    const char* GetMessageA(unsigned int id) override;
    const char* GetDialogName(unsigned int dialogId) override;
    const char* GetDialogControlName(unsigned int dialogId, unsigned int controlId) override;
    virtual int AutoTest(void* window, unsigned short value);
    virtual int CheckEEPROM(void* window, unsigned short value, int mode);
    virtual int ShowEEPROM(void* window, unsigned short value, int mode);
    virtual int SaveEEPROMToFile(void* window, unsigned short value);
    virtual int ClearEEPROM(void* window, unsigned short value);
    virtual int ConfigureThermometer(void* window, unsigned short value, int mode);
    virtual int WriteEEPROM(void* window, int mode, unsigned short value);
    virtual int ShowConfigure(void* window, unsigned short value);
    virtual int MeasureTest(void* window, unsigned short value);

    // The connected unit's user configuration (21 bytes or more), or null.
    unsigned char* ReadUserConfig();
    // Selector 2: the unit's factory default block, or null. Selector 1 only
    // refreshes the tester's copy and answers null.
    unsigned char* ReadDefaultConfig(unsigned char selector);
    // Writes count bytes of the configuration record; non-zero when written.
    int WriteConfig(unsigned short offset, unsigned char* record, unsigned char count);
    // Takes the unit out of configuration mode.
    int ExitConfig();
    // Reopens the line at baud Bd with dataBits and parity (0 none, 1 odd, 2 even).
    int Reconnect(int baud, int dataBits, int parity);
    // Polls the unit at address; writes all ten out-values, the second non-zero
    // when the unit answered.
    int MeasureValue(unsigned char address, unsigned long* v0, unsigned long* v1,
                     unsigned long* v2, unsigned long* v3, unsigned long* v4,
                     unsigned long* v5, unsigned long* v6, unsigned long* v7,
                     unsigned long* v8, unsigned long* v9, unsigned char* status);

    CEEPROMCache m_EEPROMCache;

private:
    const char* KeepText(const char* text);
    void CloseLanguageFile();

    char* m_pszLanguagePath;                 // the file the host set, or null
    struct BENCH_LANGUAGE* m_pLanguageFile;  // the file opened, or null
    struct TesterText* m_pKeptTexts;         // the tester's own texts handed out
};
