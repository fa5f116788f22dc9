// CTestModule: loading a test module.
#include "TestModule.h"

namespace {

std::string SystemMessage(DWORD error)
{
    char text[256] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     text, sizeof(text), nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "unknown error" : message;
}

}  // namespace

bool CTestModule::Load(const std::string& path)
{
    Unload();
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        m_strError = "module '" + path + "' not found";
        return false;
    }
    // A module named with its folder binds its libraries from that folder
    // first, as it does in the host's own folder on the line.
    const bool inFolder = path.find_first_of("\\/") != std::string::npos;
    m_hModule = ::LoadLibraryExA(path.c_str(), nullptr, inFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    if (!m_hModule) {
        const DWORD error = ::GetLastError();
        m_strError = "cannot load module '" + path + "': " + SystemMessage(error) + " (error " +
                     std::to_string(error) + ")";
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
