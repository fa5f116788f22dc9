// The C interface of the test bench.
#include "TestBench.h"

#include <cstdio>
#include <new>
#include <string>

#include "LanguageFile.h"
#include "Lock.h"
#include "SimulatedBench.h"

namespace {

// Copies text into a caller's buffer of size bytes, always NUL-terminated.
void CopyOut(const std::string& text, char* buffer, int size)
{
    if (buffer && size > 0)
        snprintf(buffer, static_cast<size_t>(size), "%s", text.c_str());
}

// What the host framework stand-in notes; written and read under the lock.
struct FrameworkNotes
{
    CRITICAL_SECTION lock;
    TEST_REPORT_SINK sink = nullptr;
    void* context = nullptr;
    int nInstanceCalls = 0;
    void* pLastInstance = nullptr;
    bool bQueried = false;
    const char* pszQueryName = nullptr;
    char** ppQueryTable = nullptr;
    int nQueryCount = 0;
    int nQueryAnswer = 0;

    FrameworkNotes() { ::InitializeCriticalSection(&lock); }
    ~FrameworkNotes() { ::DeleteCriticalSection(&lock); }
};

FrameworkNotes g_notes;

std::string g_languageError;

CSimulatedBench& Bench()
{
    return CSimulatedBench::Get();
}

}  // namespace

// ---- The host's report ---------------------------------------------------------

void BenchSetReportSink(TEST_REPORT_SINK sink, void* context)
{
    CLock lock(g_notes.lock);
    g_notes.sink = sink;
    g_notes.context = context;
}

void BenchReport(const TEST_REPORT* report)
{
    TEST_REPORT_SINK sink;
    void* context;
    {
        CLock lock(g_notes.lock);
        sink = g_notes.sink;
        context = g_notes.context;
    }
    if (!report)
        return;
    if (sink) {
        sink(context, report);
        return;
    }
    char line[512];
    snprintf(line, sizeof(line), "[%u] %s%s%s\n", report->byKind, report->pszFirst ? report->pszFirst : "",
             report->pszFirst && report->pszSecond ? " " : "", report->pszSecond ? report->pszSecond : "");
    ::OutputDebugStringA(line);
}

// ---- What the host framework was handed -------------------------------------------

void BenchNoteInstance(void* instance)
{
    CLock lock(g_notes.lock);
    ++g_notes.nInstanceCalls;
    g_notes.pLastInstance = instance;
}

void BenchNoteSupportedTestQuery(const char* name, char** table, int count, int answer)
{
    CLock lock(g_notes.lock);
    g_notes.bQueried = true;
    g_notes.pszQueryName = name;
    g_notes.ppQueryTable = table;
    g_notes.nQueryCount = count;
    g_notes.nQueryAnswer = answer;
}

int BenchInstanceCalls(void** lastInstance)
{
    CLock lock(g_notes.lock);
    if (lastInstance)
        *lastInstance = g_notes.pLastInstance;
    return g_notes.nInstanceCalls;
}

int BenchLastSupportedTestQuery(const char** name, char*** table, int* count, int* answer)
{
    CLock lock(g_notes.lock);
    if (name)
        *name = g_notes.pszQueryName;
    if (table)
        *table = g_notes.ppQueryTable;
    if (count)
        *count = g_notes.nQueryCount;
    if (answer)
        *answer = g_notes.nQueryAnswer;
    return g_notes.bQueried ? 1 : 0;
}

// ---- The simulated units -------------------------------------------------------------

int BenchLoad(const char* path, char* error, int errorSize)
{
    std::string why;
    const int loaded = path ? Bench().Load(path, &why) : 0;
    CopyOut(path ? why : "no bench file given", error, errorSize);
    return loaded;
}

int BenchSave(const char* path, char* error, int errorSize)
{
    std::string why;
    const int saved = path ? Bench().Save(path, &why) : 0;
    CopyOut(path ? why : "no bench file given", error, errorSize);
    return saved;
}

void BenchClear(void)
{
    Bench().Clear();
    CLock lock(g_notes.lock);
    g_notes.nInstanceCalls = 0;
    g_notes.pLastInstance = nullptr;
    g_notes.bQueried = false;
}

int BenchConnect(const char* name)
{
    return Bench().Connect(name ? name : "");
}

int BenchConnected(char* name, int size)
{
    const std::string connected = Bench().Connected();
    CopyOut(connected, name, size);
    return connected.empty() ? 0 : 1;
}

int BenchUnitCount(void)
{
    return static_cast<int>(Bench().Units().size());
}

int BenchGetUnit(int index, BENCH_UNIT* unit)
{
    const std::vector<BenchUnit> units = Bench().Units();
    if (!unit || index < 0 || index >= static_cast<int>(units.size()))
        return 0;
    *unit = units[index].ToPlain();
    return 1;
}

void BenchPutUnit(const BENCH_UNIT* unit)
{
    if (unit)
        Bench().Put(BenchUnit::FromPlain(*unit));
}

// ---- Faults ---------------------------------------------------------------------------

int BenchFailCall(const char* operation, int nth, int answer)
{
    return operation ? Bench().FailCall(operation, nth, answer) : 0;
}

void BenchClearFaults(void)
{
    Bench().ClearFaults();
}

void BenchHoldPolls(int which)
{
    Bench().HoldPolls(which);
}

int BenchHeldPolls(void)
{
    return Bench().HeldPolls();
}

int BenchPollsHeldTooLong(void)
{
    return Bench().PollsHeldTooLong();
}

// ---- What the tester asked ------------------------------------------------------------

int BenchCallCount(void)
{
    return static_cast<int>(Bench().CallLog().size());
}

int BenchGetCall(int index, char* text, int size)
{
    const std::vector<std::string> calls = Bench().CallLog();
    const bool found = index >= 0 && index < static_cast<int>(calls.size());
    CopyOut(found ? calls[index] : std::string(), text, size);
    return found ? 1 : 0;
}

LONGLONG BenchCallTime(int index)
{
    return index >= 0 ? Bench().CallTime(static_cast<size_t>(index)) : 0;
}

int BenchPollCount(void)
{
    return Bench().PollCount();
}

void BenchClearCallLog(void)
{
    Bench().ClearCallLog();
}

LONGLONG BenchFirstAnswerTime(void)
{
    return Bench().FirstAnswerTime();
}

int BenchOverlaps(char* first, int size)
{
    std::string description;
    const int overlaps = Bench().Overlaps(&description);
    CopyOut(description, first, size);
    return overlaps;
}

int BenchCallersRunning(DWORD exceptThreadId)
{
    return Bench().CallersRunning(exceptThreadId);
}

// ---- The tester's operations -----------------------------------------------------------

int BenchCheckEEPROM(void* window, unsigned short value, int mode, unsigned char* image, int size)
{
    return Bench().CheckEEPROM(window, value, mode, image, size);
}

int BenchLastCheckCaller(void** window, unsigned short* value)
{
    return Bench().LastCheckCaller(window, value);
}

int BenchReadUserConfig(unsigned char* config, int size)
{
    return Bench().ReadUserConfig(config, size);
}

int BenchReadDefaultConfig(unsigned char* block, int size)
{
    return Bench().ReadDefaultConfig(block, size);
}

int BenchWriteConfig(unsigned short offset, const unsigned char* record, int count)
{
    return Bench().WriteConfig(offset, record, count);
}

int BenchExitConfig(void)
{
    return Bench().ExitConfig();
}

int BenchReconnect(int baud, int dataBits, int parity)
{
    return Bench().Reconnect(baud, dataBits, parity);
}

int BenchPoll(unsigned char address)
{
    return Bench().Poll(address);
}

// ---- The language file ---------------------------------------------------------------------

struct BENCH_LANGUAGE
{
    CLanguageFile file;
};

BENCH_LANGUAGE* BenchLanguageOpen(const char* path)
{
    if (!path) {
        g_languageError = "no language file given";
        return nullptr;
    }
    BENCH_LANGUAGE* language = new (std::nothrow) BENCH_LANGUAGE;
    if (!language) {
        g_languageError = "out of memory";
        return nullptr;
    }
    if (language->file.Open(path, &g_languageError))
        return language;
    delete language;
    return nullptr;
}

void BenchLanguageClose(BENCH_LANGUAGE* file)
{
    delete file;
}

const char* BenchLanguageError(void)
{
    return g_languageError.c_str();
}

int BenchLanguageGetTag(BENCH_LANGUAGE* file, unsigned long flags, const char* name)
{
    return file ? file->file.GetTag(flags, name) : 0;
}

const char* BenchLanguageAttribute(BENCH_LANGUAGE* file, const char* name)
{
    return file ? file->file.GetAttribute(name) : nullptr;
}

const char* BenchLanguageTagName(BENCH_LANGUAGE* file)
{
    return file ? file->file.GetTagName() : nullptr;
}
