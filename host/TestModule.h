// Classes in this file: CTestModule, a test module loaded the way the
// production host loads it (LoadLibrary, then the two plain-named exports).
#pragma once

#include <windows.h>

#include <string>

#include "TestInterface.h"

class CTestModule
{
public:
    typedef ITest* (*GetTestInstanceFn)();
    typedef unsigned short (*GetTestInstanceIDFn)();

    CTestModule() = default;
    ~CTestModule() { Unload(); }
    CTestModule(const CTestModule&) = delete;
    CTestModule& operator=(const CTestModule&) = delete;

    // Loads path (UTF-8) and finds both exports; on failure Error() says why in one line.
    bool Load(const std::string& path);
    void Unload();

    bool IsLoaded() const { return m_hModule != nullptr; }
    HMODULE Handle() const { return m_hModule; }
    ITest* Instance() const { return m_pGetInstance(); }
    unsigned short Id() const { return m_pGetId(); }
    const std::string& Error() const { return m_strError; }

    // An export of the module by name, or null.
    template <typename Function>
    Function Export(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, name)));
    }

private:
    HMODULE m_hModule = nullptr;
    GetTestInstanceFn m_pGetInstance = nullptr;
    GetTestInstanceIDFn m_pGetId = nullptr;
    std::string m_strError;
};
