// CBench: the simulated units and the line the tester reaches them on.
#include "Bench.h"

#include <algorithm>
#include <cstring>

namespace {

// Holds the bench's lock for a scope: the test worker polls while the user
// interface thread may connect units.
class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
    ~CLock() { ::LeaveCriticalSection(&m_lock); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

}  // namespace

void BenchUnit::BuildImage(unsigned char* image, int size) const
{
    std::vector<unsigned char> bytes(CEEPROMCache::IMAGE_SIZE, 0);
    memcpy(&bytes[USER_OFFSET], abyConfig, CONFIG_SIZE);
    memcpy(&bytes[TYPE_OFFSET], strType.data(), std::min<size_t>(strType.size(), TYPE_SIZE));
    memcpy(&bytes[SERIAL_OFFSET], strSerial.data(), std::min<size_t>(strSerial.size(), SERIAL_SIZE));
    if (!defaultBlock.empty())
        memcpy(&bytes[DEFAULT_OFFSET], defaultBlock.data(), defaultBlock.size());
    memcpy(image, bytes.data(), std::min<int>(size, CEEPROMCache::IMAGE_SIZE));
}

bool BenchUnit::AnswersAt(unsigned char address, int baud, int parity) const
{
    return !bConfigMode && !bNeverAnswers && byAnswerDelay != 255 && byAnswerAddress == address &&
           nAnswerBaud == baud && byAnswerParity == parity;
}

CBench& CBench::Get()
{
    static CBench bench;
    return bench;
}

CBench::CBench() : m_nConnected(-1), m_nLineBaud(0), m_nLineParity(0)
{
    ::InitializeCriticalSection(&m_lock);
}

CBench::~CBench()
{
    ::DeleteCriticalSection(&m_lock);
}

std::vector<std::string> CBench::CallLog() const
{
    CLock lock(m_lock);
    return m_calls;
}

void CBench::ClearCallLog()
{
    CLock lock(m_lock);
    std::vector<std::string>().swap(m_calls);  // and its memory
    m_llFirstAnswer = 0;
}

LONGLONG CBench::FirstAnswerTime() const
{
    CLock lock(m_lock);
    return m_llFirstAnswer;
}

void CBench::Log(const std::string& call)
{
    CLock lock(m_lock);
    Record(call);
}

// Called with the lock held. A never answering unit is polled about a
// thousand times a second, so the log keeps only the newer half of a long run.
void CBench::Record(const std::string& call)
{
    if (m_calls.size() >= 100000)
        m_calls.erase(m_calls.begin(), m_calls.begin() + 50000);
    m_calls.push_back(call);
}

int CBench::FailCall(const std::string& operation, int nth, int answer)
{
    static const char* const kOperations[] = {"CheckEEPROM", "ReadUserConfig", "ReadDefaultConfig", "WriteConfig",
                                              "ExitConfig", "Reconnect", "MeasureValue"};
    bool known = false;
    for (const char* name : kOperations)
        known = known || operation == name;
    if (!known || nth < 1)
        return 0;
    CLock lock(m_lock);
    m_faults.push_back({operation, nth, answer});
    return 1;
}

void CBench::ClearFaults()
{
    CLock lock(m_lock);
    m_faults.clear();
}

bool CBench::Fault(const std::string& operation, int* answer)
{
    CLock lock(m_lock);
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

void CBench::Clear()
{
    CLock lock(m_lock);
    m_units.clear();
    m_calls.clear();
    m_faults.clear();
    m_nConnected = -1;
    m_nLineBaud = 0;
    m_nLineParity = 0;
}

int CBench::Connect(const std::string& name)
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

std::string CBench::Connected() const
{
    CLock lock(m_lock);
    return m_nConnected >= 0 ? m_units[m_nConnected].strName : std::string();
}

std::vector<BenchUnit> CBench::Units() const
{
    CLock lock(m_lock);
    return m_units;
}

void CBench::Put(const BenchUnit& unit)
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

BenchUnit* CBench::ConnectedUnit()
{
    return m_nConnected >= 0 ? &m_units[m_nConnected] : nullptr;
}

// Reading the EEPROM talks to the unit on its configuration channel, which
// puts it into configuration mode.
int CBench::ReadImage(CEEPROMCache& cache)
{
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    if (!unit)
        return 0;
    unsigned char image[CEEPROMCache::IMAGE_SIZE];
    unit->BuildImage(image, sizeof(image));
    cache.Load(image, sizeof(image));
    unit->bConfigMode = true;
    return 1;
}

int CBench::ReadUserConfig(CEEPROMCache& cache)
{
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    if (!unit)
        return 0;
    memcpy(cache.GetEEPROMCacheFrom(BenchUnit::USER_OFFSET, 1), unit->abyConfig, BenchUnit::CONFIG_SIZE);
    return 1;
}

int CBench::ReadDefaultConfig(CEEPROMCache& cache)
{
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    if (!unit || unit->defaultBlock.empty())
        return 0;
    memcpy(cache.GetEEPROMCacheFrom(BenchUnit::DEFAULT_OFFSET, 1), unit->defaultBlock.data(),
           unit->defaultBlock.size());
    return 1;
}

// Only the 20 significant bytes of the configuration can be written; byte 20
// and the rest of the EEPROM are out of reach. JP1 on WP refuses every write.
int CBench::WriteConfig(unsigned short offset, const unsigned char* record, unsigned char count,
                        CEEPROMCache& cache)
{
    CLock lock(m_lock);
    BenchUnit* unit = ConnectedUnit();
    const bool writable = unit && unit->bWriteEnabled && record && offset + count <= BenchUnit::CONFIG_SIZE - 1;
    Record("WriteConfig " + std::to_string(offset) + " " + std::to_string(count) + " " +
                      std::to_string(writable ? 1 : 0));
    if (!writable)
        return 0;
    memcpy(unit->abyConfig + offset, record, count);
    memcpy(cache.GetEEPROMCacheFrom(static_cast<unsigned char>(BenchUnit::USER_OFFSET + offset), 1), record, count);
    return 1;
}

// Out of configuration mode the unit answers on its stored configuration.
int CBench::ExitConfig()
{
    CLock lock(m_lock);
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

int CBench::Reconnect(int baud, int dataBits, int parity)
{
    const bool valid = (baud == 600 || baud == 1200 || baud == 2400 || baud == 4800 || baud == 9600) &&
                       dataBits == 8 && parity >= 0 && parity <= 2;
    CLock lock(m_lock);
    Record("Reconnect " + std::to_string(baud) + " " + std::to_string(dataBits) + " " +
                      std::to_string(parity) + " " + std::to_string(valid ? 1 : 0));
    if (!valid)
        return 0;
    m_nLineBaud = baud;
    m_nLineParity = parity;
    return 1;
}

int CBench::Poll(unsigned char address)
{
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    DWORD pollMs = 0;
    int answered = 0;
    {
        CLock lock(m_lock);
        BenchUnit* unit = ConnectedUnit();
        if (unit) {
            pollMs = unit->dwPollMs;
            if (!unit->bConfigMode) {
                ++unit->nPolls;
                answered = unit->nPolls > unit->nAnswerAfterPolls &&
                           unit->AnswersAt(address, m_nLineBaud, m_nLineParity);
            }
        }
        Record("Poll " + std::to_string(address) + " " + std::to_string(answered));
        if (answered && !m_llFirstAnswer)
            m_llFirstAnswer = start.QuadPart;
    }
    if (pollMs)
        ::Sleep(pollMs);  // the line is busy; others may use the bench meanwhile
    return answered;
}
