// Classes in this file: CTestTAVO02, the single test object of the TAVO
// configuration module, exported with its class.
#pragma once

#include "ConfigList.h"
#include "TAVOTester.h"

#if defined(TAVO_STATIC_LIBRARIES)
#define TESTTAVO02_API
#elif defined(TESTTAVO02_BUILD)
#define TESTTAVO02_API __declspec(dllexport)
#else
#define TESTTAVO02_API __declspec(dllimport)
#endif

class TESTTAVO02_API CTestTAVO02 : public CTAVOTester
{
public:
    explicit CTestTAVO02(void* reserved);
    ~CTestTAVO02() override;

    const char* GetModuleName() override;
    int IsSupportedTest(const char* name) override;
    unsigned int GetSupportedTestCount() override;
    const char* GetSupportedTest(unsigned int index) override;
    const char* GetMessageA(unsigned int id) override;
    const char* GetDialogName(unsigned int dialogId) override;
    const char* GetDialogControlName(unsigned int dialogId, unsigned int controlId) override;
    // Configures the units the operator connects, one after another.
    int ConfigureThermometer(void* hostWindow, unsigned short hostValue, int checkMode) override;

    static char* m_szSupportedTest[3];

    CConfigList m_ConfigList;
};

// The module identifier that _GetTestInstanceID answers.
const unsigned short TESTTAVO02_ID = 19796;
