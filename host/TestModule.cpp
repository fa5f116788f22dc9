// CTestModule: loading a test module.
#include "TestModule.h"

#include "FileDoor.h"
#include "TextConvert.h"

bool CTestModule::Load(const std::string& path)
{
    Unload();
    if (IsDeviceName(path)) {
        m_strError = "'" + path + "' names a device, not a module";
        return false;
    }
    if (!PathExists(path)) {
        m_strError = "module '" + path + "' not found";
        return false;
    }
    // A module named with its folder binds its libraries from that folder
    // first, as it does in the host's own folder on the line.
    const bool inFolder = path.find_first_of("\\/") != std::string::npos;
    m_hModule = ::LoadLibraryExW(Widen(path).c_str(), nullptr, inFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (!m_hModule) {
        m_strError = "cannot load module '" + path + "': " + SystemMessage(::GetLastError());
        return false;
    }
    m_pGetInstance = Export<GetTestInstanceFn>("_GetTestInstance");
    m_pGetId = Export<GetTestInstanceIDFn>("_GetTestInstanceID");
    if (!m_pGetInstance || !m_pGetId) {
        m_strError = "'" + path + "' is not a test module (no _GetTestInstance/_GetTestInstanceID export)";
        Unload();
        return false;
    }
    m_strError.clear();
    return true;
}

void CTestModule::Unload()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_pGetInstance = nullptr;
    m_pGetId = nullptr;
}
