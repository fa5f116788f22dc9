// CSimulatedBench: the simulated units and the line the tester reaches them on.
#include "SimulatedBench.h"

#include <algorithm>
#include <cstring>

#include "Lock.h"

namespace {

// How long a held poll waits at most (see BenchPollsHeldTooLong).
const DWORD kHoldLimitMs = 10000;


// The unit's EEPROM image as the tester reads it.
void BuildImage(const BenchUnit& unit, unsigned char* image, int size)
{
    unsigned char bytes[BENCH_IMAGE_SIZE] = {};
    memcpy(&bytes[BENCH_USER_OFFSET], unit.abyConfig, BENCH_CONFIG_SIZE);
    memcpy(&bytes[BENCH_TYPE_OFFSET], unit.strType.data(), std::min<size_t>(unit.strType.size(), BENCH_TYPE_SIZE));
    memcpy(&bytes[BENCH_SERIAL_OFFSET], unit.strSerial.data(),
           std::min<size_t>(unit.strSerial.size(), BENCH_SERIAL_SIZE));
    memcpy(&bytes[BENCH_DEFAULT_OFFSET], unit.defaultBlock.data(),
           std::min<size_t>(unit.defaultBlock.size(), BENCH_DEFAULT_MAX));
    memcpy(image, bytes, std::min(size, static_cast<int>(BENCH_IMAGE_SIZE)));
}

}  // namespace

// One unit operation under way: tells the bench when it begins and ends, so
// operations of two threads at once are seen.
class CSimulatedBench::CCall
{
public:
    CCall(CSimulatedBench& bench, const char* operation) : m_bench(bench) { m_bench.Enter(operation); }
    ~CCall() { m_bench.Leave(); }
    CCall(const CCall&) = delete;
    CCall& operator=(const CCall&) = delete;

private:
    CSimulatedBench& m_bench;
};

CSimulatedBench& CSimulatedBench::Get()
{
    static CSimulatedBench bench;
    return bench;
}

CSimulatedBench::CSimulatedBench()
    : m_nConnected(-1), m_nLineBaud(0), m_nLineParity(0), m_nPolls(0), m_llFirstAnswer(0), m_dwBusyThread(0),
      m_pszBusyOperation(nullptr), m_nOverlaps(0), m_hPollRelease(::CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      m_nHoldWhich(BENCH_HOLD_NONE),
      m_pCheckWindow(nullptr),
      m_wCheckValue(0),
      m_bChecked(false),
      m_nHeldPolls(0),
      m_nHeldTooLong(0)
{
    ::InitializeCriticalSection(&m_lock);
}

CSimulatedBench::~CSimulatedBench()
{
    ForgetCallers();
    ::CloseHandle(m_hPollRelease);
    ::DeleteCriticalSection(&m_lock);
}

// ---- Overlaps and callers ----------------------------------------------------

void CSimulatedBench::Enter(const char* operation)
{
    CLock lock(m_lock);
    const DWORD thread = ::GetCurrentThreadId();
    if (m_dwBusyThread && m_dwBusyThread != thread) {
        if (m_nOverlaps++ == 0)
            m_strFirstOverlap = std::string(operation) + " began during " + m_pszBusyOperation;
    } else {
        m_dwBusyThread = thread;
        m_pszBusyOperation = operation;
    }
    const bool known = std::any_of(m_callers.begin(), m_callers.end(),
                                   [thread](const std::pair<DWORD, HANDLE>& caller) { return caller.first == thread; });
    if (!known)
        m_callers.emplace_back(thread, ::OpenThread(SYNCHRONIZE, FALSE, thread));
}

void CSimulatedBench::Leave()
{
    CLock lock(m_lock);
    if (m_dwBusyThread == ::GetCurrentThreadId()) {
        m_dwBusyThread = 0;
        m_pszBusyOperation = nullptr;
    }
}

// Called with the lock held.
void CSimulatedBench::ForgetCallers()
{
    for (const auto& caller : m_callers) {
        if (caller.second)
            ::CloseHandle(caller.second);
    }
    m_callers.clear();
}

int CSimulatedBench::Overlaps(std::string* first) const
{
    CLock lock(m_lock);
    if (first)
        *first = m_strFirstOverlap;
    return m_nOverlaps;
}

int CSimulatedBench::CallersRunning(DWORD exceptThreadId) const
{
    CLock lock(m_lock);
    int running = 0;
    for (const auto& caller : m_callers) {
        if (caller.first != exceptThreadId && caller.second && ::WaitForSingleObject(caller.second, 0) == WAIT_TIMEOUT)
            ++running;
    }
    return running;
}

// ---- Call log ------------------------------------------------------------------

std::vector<std::string> CSimulatedBench::CallLog() const
{
    CLock lock(m_lock);
    return m_calls;
}

LONGLONG CSimulatedBench::CallTime(size_t index) const
{
    CLock lock(m_lock);
    return index < m_callTimes.size() ? m_callTimes[index] : 0;
}

int CSimulatedBench::PollCount() const
{
    CLock lock(m_lock);
    return m_nPolls;
}

void CSimulatedBench::ClearCallLog()
{
    CLock lock(m_lock);
    ResetCallLog();
}

// Called with the lock held: forgets the calls, the overlaps and the callers.
void CSimulatedBench::ResetCallLog()
{
    std::vector<std::string>().swap(m_calls);  // and its memory
    std::vector<LONGLONG>().swap(m_callTimes);
    m_nPolls = 0;
    m_llFirstAnswer = 0;
    m_nOverlaps = 0;
    m_strFirstOverlap.clear();
    ForgetCallers();
}

LONGLONG CSimulatedBench::FirstAnswerTime() const
{
    CLock lock(m_lock);
    return m_llFirstAnswer;
}

// Called with the lock held. A never answering unit is polled about a
// thousand times a second, so the log keeps only the newer half of a long run.
void CSimulatedBench::Record(const std::string& call)
{
    if (m_calls.size() >= 100000) {
        m_calls.erase(m_calls.begin(), m_calls.begin() + 50000);
        m_callTimes.erase(m_callTimes.begin(), m_callTimes.begin() + 50000);
    }
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    m_calls.push_back(call);
    m_callTimes.push_back(now.QuadPart);
}

// ---- Faults ----------------------------------------------------------------------

int CSimulatedBench::FailCall(const std::string& operation, int nth, int answer)
{
    static const char* const kOperations[] = {"CheckEEPROM", "ReadUserConfig", "ReadDefaultConfig", "WriteConfig",
                                              "ExitConfig", "Reconnect", "MeasureValue"};
    const bool known = std::any_of(std::begin(kOperations), std::end(kOperations),
                                   [&operation](const char* name) { return operation == name; });
    if (!known || nth < 1)
        return 0;
    CLock lock(m_lock);
    m_faults.push_back({operation, nth, answer});
    return 1;
}

void CSimulatedBench::ClearFaults()
{
    CLock lock(m_lock);
    m_faults.clear();
}

// Called with the lock held: counts a call of operation; true when it is to
// fail, with its answer.
bool CSimulatedBench::Fault(const std::string& operation, int* answer)
{
    bool fails = false;
    for (auto fault = m_faults.begin(); fault != m_faults.end();) {
        if (fault->strOperation == operation && --fault->nCountdown == 0) {
            fails = true;
            if (answer)
                *answer = fault->nAnswer;
            Record(operation + " fails");
            fault = m_faults.erase(fault);
        } else {
            ++fault;
        }
    }
    return fails;
}

void CSimulatedBench::HoldPolls(int which)
{
    {
        CLock lock(m_lock);
        m_nHoldWhich = which;
    }
    if (which == BENCH_HOLD_NONE)
        ::SetEvent(m_hPollRelease);
    else
        ::ResetEvent(m_hPollRelease);
}

int CSimulatedBench::HeldPolls() const
{
    CLock lock(m_lock);
    return m_nHeldPolls;
}

int CSimulatedBench::PollsHeldTooLong() const
{
    CLock lock(m_lock);
    return m_nHeldTooLong;
}

// ---- Units -------------------------------------------------------------------------

void CSimulatedBench::Clear()
{
    ::SetEvent(m_hPollRelease);
    CLock lock(m_lock);
    m_nHoldWhich = BENCH_HOLD_NONE;
    m_nHeldTooLong = 0;
    m_pCheckWindow = nullptr;
    m_wCheckValue = 0;
    m_bChecked = false;
    m_units.clear();
    m_faults.clear();
    ResetCallLog();
    m_nConnected = -1;
    m_nLineBaud = 0;
    m_nLineParity = 0;
}

int CSimulatedBench::Connect(const std::string& name)
{
    CLock lock(m_lock);
    if (name.empty()) {
        m_nConnected = -1;
        return 1;
    }
    for (size_t i = 0; i < m_units.size(); ++i) {
        if (m_units[i].strName == name) {
            m_nConnected = static_cast<int>(i);
            return 1;
        }
    }
    return 0;
}

std::string CSimulatedBench::Connected() const
{
    CLock lock(m_lock);
    return m_nConnected >= 0 ? m_units[m_nConnected].strName : std::string();
}

std::vector<BenchUnit> CSimulatedBench::Units() const
{
    CLock lock(m_lock);
    return m_units;
}

void CSimulatedBench::Put(const BenchUnit& unit)
{
    CLock lock(m_lock);
    for (BenchUnit& existing : m_units) {
        if (existing.strName == unit.strName) {
            existing = unit;
            return;
        }
    }
    m_units.push_back(unit);
}

BenchUnit* CSimulatedBench::ConnectedUnit()
{
    return m_nConnected >= 0 ? &m_units[m_nConnected] : nullptr;
}

// ---- The tester's operations ----------------------------------------------------------

int CSimulatedBench::LastCheckCaller(void** window, unsigned short* value) const
{
    CLock lock(m_lock);
    *window = m_pCheckWindow;
    *value = m_wCheckValue;
    return m_bChecked ? 1 : 0;
}

// Reading the EEPROM talks to the unit on its configuration channel, which
// puts it into configuration mode.
int CSimulatedBench::CheckEEPROM(void* window, unsigned short value, int mode, unsigned char* image, int size)
{
    CCall call(*this, "CheckEEPROM");
    CLock lock(m_lock);
    Record("CheckEEPROM " + std::to_string(mode));
    m_pCheckWindow = window;
    m_wCheckValue = value;
    m_bChecked = true;
    int answer = 0;
    if (Fault("CheckEEPROM", &answer))
        return answer;
    BenchUnit* unit = ConnectedUnit();
    if (!unit || !image)
        return 0;
    BuildImage(*unit, image, size);
    unit->bConfigMode = true;
    return 1;
}

int CSimulatedBench::ReadUserConfig(unsigned char* config, int size)
{
    CCall call(*this, "ReadUserConfig");
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    if (Fault("ReadUserConfig") || !unit || !config)
        return 0;
    memcpy(config, unit->abyConfig, std::min(size, static_cast<int>(BENCH_CONFIG_SIZE)));
    return 1;
}

int CSimulatedBench::ReadDefaultConfig(unsigned char* block, int size)
{
    CCall call(*this, "ReadDefaultConfig");
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    if (Fault("ReadDefaultConfig") || !unit || !block || unit->defaultBlock.empty())
        return 0;
    const int length = std::min(size, static_cast<int>(unit->defaultBlock.size()));
    memcpy(block, unit->defaultBlock.data(), length);
    return length;
}

// Only the 20 significant bytes of the configuration can be written; byte 20
// and the rest of the EEPROM are out of reach. JP1 on WP refuses every write.
int CSimulatedBench::WriteConfig(unsigned short offset, const unsigned char* record, int count)
{
    CCall call(*this, "WriteConfig");
    CLock lock(m_lock);
    if (Fault("WriteConfig"))
        return 0;
    BenchUnit* unit = ConnectedUnit();
    const bool writable = unit && unit->bWriteEnabled && record && count >= 0 &&
                          offset + count <= BENCH_CONFIG_SIZE - 1;
    Record("WriteConfig " + std::to_string(offset) + " " + std::to_string(count) + " " +
           std::to_string(writable ? 1 : 0));
    if (!writable)
        return 0;
    memcpy(unit->abyConfig + offset, record, count);
    return 1;
}

// Out of configuration mode the unit answers on its stored configuration.
int CSimulatedBench::ExitConfig()
{
    CCall call(*this, "ExitConfig");
    CLock lock(m_lock);
    if (Fault("ExitConfig"))
        return 0;
    Record("ExitConfig");
    BenchUnit* unit = ConnectedUnit();
    if (!unit)
        return 0;
    if (unit->bConfigMode) {
        unit->bConfigMode = false;
        unit->nPolls = 0;
        unit->byAnswerAddress = unit->abyConfig[0];
        unit->nAnswerBaud = unit->abyConfig[2] * 100;
        unit->byAnswerParity = unit->abyConfig[3];
        unit->byAnswerDelay = unit->abyConfig[1];
    }
    return 1;
}

// The line takes Windows' parity codes: none, odd, even, mark, space.
int CSimulatedBench::Reconnect(int baud, int dataBits, int parity)
{
    CCall call(*this, "Reconnect");
    const bool valid = IsValidBaud(baud) && dataBits == 8 && parity >= 0 && parity <= 4;
    CLock lock(m_lock);
    if (Fault("Reconnect"))
        return 0;
    Record("Reconnect " + std::to_string(baud) + " " + std::to_string(dataBits) + " " + std::to_string(parity) +
           " " + std::to_string(valid ? 1 : 0));
    if (!valid)
        return 0;
    m_nLineBaud = baud;
    m_nLineParity = parity;
    return 1;
}

int CSimulatedBench::Poll(unsigned char address)
{
    CCall call(*this, "MeasureValue");
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    DWORD pollMs = 0;
    int answered = 0;
    bool held = false;
    {
        CLock lock(m_lock);
        if (Fault("MeasureValue"))
            return 0;
        BenchUnit* unit = ConnectedUnit();
        if (unit) {
            pollMs = unit->dwPollMs;
            if (!unit->bConfigMode) {
                ++unit->nPolls;
                answered = unit->nPolls > unit->nAnswerAfterPolls &&
                           unit->AnswersAt(address, m_nLineBaud, m_nLineParity);
            }
        }
        ++m_nPolls;
        Record("Poll " + std::to_string(address) + " " + std::to_string(answered));
        if (answered && !m_llFirstAnswer)
            m_llFirstAnswer = start.QuadPart;
        held = m_nHoldWhich == BENCH_HOLD_EVERY || (answered && m_nHoldWhich == BENCH_HOLD_ANSWERING);
        if (held)
            ++m_nHeldPolls;
    }
    if (pollMs)
        ::Sleep(pollMs);  // the line is busy; others may use the bench meanwhile
    if (held) {
        const bool released = ::WaitForSingleObject(m_hPollRelease, kHoldLimitMs) == WAIT_OBJECT_0;
        CLock lock(m_lock);
        --m_nHeldPolls;
        m_nHeldTooLong += released ? 0 : 1;
    }
    return answered;
}
