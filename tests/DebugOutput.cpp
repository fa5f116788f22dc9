// CDebugOutput: the DBWIN_BUFFER protocol's reading side.
#include "DebugOutput.h"

#include <cstdio>
#include <ostream>

namespace {

const DWORD kBufferSize = 4096;

}  // namespace

std::ostream& operator<<(std::ostream& out, const InvariantReport& report)
{
    return out << "{" << report.strCondition << ", " << report.strSource << ", " << report.nLine << "}";
}

CDebugOutput::CDebugOutput()
{
    m_hBuffer = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, "DBWIN_BUFFER");
    m_hBufferReady = ::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    m_hDataReady = ::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    m_hStop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hMarkerSeen = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (m_hBuffer)
        m_pView = static_cast<const char*>(::MapViewOfFile(m_hBuffer, FILE_MAP_READ, 0, 0, kBufferSize));
    if (m_pView && m_hBufferReady && m_hDataReady)
        m_hThread = ::CreateThread(nullptr, 0, &CDebugOutput::Reader, this, 0, nullptr);
}

CDebugOutput::~CDebugOutput()
{
    if (m_hThread) {
        ::SetEvent(m_hStop);
        ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
    }
    if (m_pView)
        ::UnmapViewOfFile(m_pView);
    for (HANDLE handle : {m_hBuffer, m_hBufferReady, m_hDataReady, m_hStop, m_hMarkerSeen}) {
        if (handle)
            ::CloseHandle(handle);
    }
}

DWORD WINAPI CDebugOutput::Reader(LPVOID self)
{
    static_cast<CDebugOutput*>(self)->Read();
    return 0;
}

// The writer waits for "buffer ready", fills the buffer (its process ID, then
// the text) and signals "data ready".
void CDebugOutput::Read()
{
    const HANDLE events[] = {m_hDataReady, m_hStop};
    ::SetEvent(m_hBufferReady);
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
        DWORD process = 0;
        memcpy(&process, m_pView, sizeof(process));
        const std::string text(m_pView + sizeof(DWORD), strnlen(m_pView + sizeof(DWORD), kBufferSize - sizeof(DWORD)));
        if (process == ::GetCurrentProcessId()) {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!m_strMarker.empty() && text == m_strMarker)
                ::SetEvent(m_hMarkerSeen);
            else
                m_texts.push_back(text);
        }
        ::SetEvent(m_hBufferReady);
    }
}

// A marker written now arrives after everything written before it.
std::vector<std::string> CDebugOutput::Texts()
{
    if (m_hThread) {
        char marker[64];
        snprintf(marker, sizeof(marker), "debug output marker %d\n", ++m_nMarkers);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_strMarker = marker;
        }
        ::OutputDebugStringA(marker);
        ::WaitForSingleObject(m_hMarkerSeen, 10000);
    }
    std::lock_guard<std::mutex> lock(m_lock);
    return m_texts;
}

std::vector<InvariantReport> CDebugOutput::Invariants()
{
    std::vector<InvariantReport> reports;
    for (const std::string& text : Texts()) {
        char condition[64] = "", source[64] = "";
        int line = 0;
        if (sscanf(text.c_str(), "Invariant failed: %63s (%63[^,], line %d)", condition, source, &line) == 3)
            reports.push_back({condition, source, line});
    }
    return reports;
}

void CDebugOutput::Clear()
{
    Texts();  // everything written so far has arrived
    std::lock_guard<std::mutex> lock(m_lock);
    m_texts.clear();
}
