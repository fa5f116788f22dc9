/* TestBench.dll: the test bench on a development machine, behind a plain C
 * interface. It holds what stands around the module there: the receiver of
 * the host's report lines, the simulated units on the table and the line the
 * tester reaches them on, and the reader of the host's language file. The
 * stand-ins of the closed libraries use it for their inner working, and the
 * development host and the tests use it to set the bench up and look at it.
 *
 * Only C functions and plain structs of fixed-size fields cross this line, so
 * either compiler's code may stand on either side. Texts are 8-bit, in the
 * ANSI code page. A function that fills a caller's buffer never writes more
 * than the size it was given and always ends the text with a NUL. */
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
/* The bench file's reader builds natively too, for its fuzzer: the three
 * Windows names this interface uses. */
#include <stdint.h>
typedef int64_t LONGLONG;
typedef uint32_t DWORD;
#define CALLBACK
#endif

#if !defined(_WIN32)
#define TESTBENCH_API
#elif defined(TESTBENCH_BUILD)
#define TESTBENCH_API __declspec(dllexport)
#else
#define TESTBENCH_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The host's report ------------------------------------------------ */

/* Kinds of report lines. */
enum
{
    TEST_REPORT_PROGRESS = 112,
    TEST_REPORT_FAILURE = 113, /* failure or user break */
    TEST_REPORT_SUCCESS = 114,
    TEST_REPORT_DETAIL = 117
};

/* One line as the module handed it to SendTestResult; the texts are valid
 * only during the sink call. */
typedef struct TEST_REPORT
{
    void* hWnd;
    const char* pszFirst;
    const char* pszSecond;
    int nValue;
    unsigned char byKind;
    unsigned short wValue;
} TEST_REPORT;

typedef void(CALLBACK* TEST_REPORT_SINK)(void* context, const TEST_REPORT* report);

/* The host installs its sink (null removes it); without one a line goes to
 * the debugger output. */
TESTBENCH_API void BenchSetReportSink(TEST_REPORT_SINK sink, void* context);
/* Delivers one line: the host framework's SendTestResult. */
TESTBENCH_API void BenchReport(const TEST_REPORT* report);

/* ---- What the host framework was handed -------------------------------- */

/* The framework notes every SetInstance and TestSupportedTest call here. */
TESTBENCH_API void BenchNoteInstance(void* instance);
TESTBENCH_API void BenchNoteSupportedTestQuery(const char* name, char** table, int count, int answer);
/* How many SetInstance calls came since the bench was cleared, and the last
 * handle given. */
TESTBENCH_API int BenchInstanceCalls(void** lastInstance);
/* The arguments and answer of the latest TestSupportedTest call; 0 when there
 * was none since the bench was cleared. */
TESTBENCH_API int BenchLastSupportedTestQuery(const char** name, char*** table, int* count, int* answer);

/* ---- The simulated units ------------------------------------------------ */

/* Where the blocks sit in a unit's EEPROM image. */
enum
{
    BENCH_IMAGE_SIZE = 256,
    BENCH_USER_OFFSET = 0,
    BENCH_TYPE_OFFSET = 40,
    BENCH_SERIAL_OFFSET = 80,
    BENCH_DEFAULT_OFFSET = 128,
    BENCH_CONFIG_SIZE = 21,
    BENCH_TYPE_SIZE = 16,
    BENCH_SERIAL_SIZE = 8,
    BENCH_DEFAULT_MIN = 17,
    BENCH_DEFAULT_MAX = 32,
    BENCH_NAME_SIZE = 32
};

/* One unit on the bench. Type and serial are raw bytes with their lengths
 * (a type may hold a NUL). */
typedef struct BENCH_UNIT
{
    char szName[BENCH_NAME_SIZE];
    unsigned char abyType[BENCH_TYPE_SIZE];
    int nTypeLength;
    unsigned char abySerial[BENCH_SERIAL_SIZE];
    int nSerialLength;
    unsigned char abyConfig[BENCH_CONFIG_SIZE];
    unsigned char abyDefault[BENCH_DEFAULT_MAX];
    int nDefaultLength;         /* 0: the unit has no default block */
    int bWriteEnabled;          /* JP1 on WE (0: WP) */
    int bJP2Closed;
    /* The setting it answers on out of configuration mode. */
    int nAnswerAddress;
    int nAnswerBaud;
    int nAnswerParity;
    int nAnswerDelay;           /* 255: it never answers */
    /* Test behaviour. */
    int nAnswerAfterPolls;
    int bNeverAnswers;
    int nPollMs;                /* how long one poll takes */
    /* State while on the bench. */
    int bConfigMode;
    int nPolls;                 /* polls since it left configuration mode */
} BENCH_UNIT;

/* Loads a bench file; on any mistake nothing changes and error names the
 * file, line, unit and key. Answers 1 when loaded. Saving replaces the file
 * only with a whole new one. Both paths are UTF-8 and neither opens a
 * device. */
TESTBENCH_API int BenchLoad(const char* path, char* error, int errorSize);
TESTBENCH_API int BenchSave(const char* path, char* error, int errorSize);
/* Takes every unit off the bench and clears the line, the faults, the call
 * log and the framework's notes. */
TESTBENCH_API void BenchClear(void);
/* Connects the named unit (null or empty disconnects); 0 for an unknown name. */
TESTBENCH_API int BenchConnect(const char* name);
/* 1 and the connected unit's name, or 0 and an empty name. */
TESTBENCH_API int BenchConnected(char* name, int size);
TESTBENCH_API int BenchUnitCount(void);
TESTBENCH_API int BenchGetUnit(int index, BENCH_UNIT* unit);
/* Puts a unit on the bench, replacing one of the same name. */
TESTBENCH_API void BenchPutUnit(const BENCH_UNIT* unit);

/* ---- Faults, for tests ---------------------------------------------------- */

/* The nth call (1 = the next) of operation (CheckEEPROM, ReadUserConfig,
 * ReadDefaultConfig, WriteConfig, ExitConfig, Reconnect, MeasureValue) fails:
 * CheckEEPROM answers answer (anything but 1 is a failure to a module), the
 * reads find nothing, the others answer 0 and MeasureValue no answer.
 * Answers 0 for an unknown operation. */
TESTBENCH_API int BenchFailCall(const char* operation, int nth, int answer);
TESTBENCH_API void BenchClearFaults(void);
/* While held, a poll waits before it returns until the hold is released
 * (BENCH_HOLD_NONE): every poll, or only those the unit answers. A latch for
 * ordering a test's steps against the worker's; BenchHeldPolls tells how many
 * wait now. */
enum { BENCH_HOLD_NONE = 0, BENCH_HOLD_ANSWERING = 1, BENCH_HOLD_EVERY = 2 };
TESTBENCH_API void BenchHoldPolls(int which);
/* A poll held for 10 s goes on by itself, so that a module that waits for
 * its worker cannot hang a test that never releases it; this counts them
 * (a test's failure, never its way to pass). */
TESTBENCH_API int BenchPollsHeldTooLong(void);
TESTBENCH_API int BenchHeldPolls(void);

/* ---- What the tester asked of the bench ------------------------------------ */

/* Every unit operation, oldest first: "CheckEEPROM 1", "ExitConfig",
 * "Reconnect 9600 8 2 1", "Poll 5 0", "WriteConfig 0 20 1", "X fails". */
TESTBENCH_API int BenchCallCount(void);
TESTBENCH_API int BenchGetCall(int index, char* text, int size);
/* When (QueryPerformanceCounter) the call at index began; 0 for none. */
TESTBENCH_API LONGLONG BenchCallTime(int index);
/* Polls so far (answered or not) since the log was cleared. */
TESTBENCH_API int BenchPollCount(void);
/* Clears the log, the overlaps and the callers below. */
TESTBENCH_API void BenchClearCallLog(void);
/* When (QueryPerformanceCounter) the first answered poll began; 0 for none. */
TESTBENCH_API LONGLONG BenchFirstAnswerTime(void);
/* Unit operations that began while another thread's was still under way
 * (the tester library serves one thread at a time); the first is described. */
TESTBENCH_API int BenchOverlaps(char* first, int size);
/* Threads other than except that made a unit operation and still run. */
TESTBENCH_API int BenchCallersRunning(DWORD exceptThreadId);

/* ---- The tester's operations on the connected unit ------------------------------ */

/* Reads the whole EEPROM image (BENCH_IMAGE_SIZE bytes) and puts the unit
 * into configuration mode; 1 when a unit is connected. The host's window and
 * value come along as the module passed them; BenchLastCheckCaller tells the
 * last ones (0 before any check). */
TESTBENCH_API int BenchCheckEEPROM(void* window, unsigned short value, int mode, unsigned char* image, int size);
TESTBENCH_API int BenchLastCheckCaller(void** window, unsigned short* value);
/* Copies the user configuration (BENCH_CONFIG_SIZE bytes); 1 when read. */
TESTBENCH_API int BenchReadUserConfig(unsigned char* config, int size);
/* Copies the default block; its length, or 0 when there is none. */
TESTBENCH_API int BenchReadDefaultConfig(unsigned char* block, int size);
/* Writes count bytes at offset of the user configuration; byte 20 and
 * beyond are out of reach and JP1 on WP refuses every write. */
TESTBENCH_API int BenchWriteConfig(unsigned short offset, const unsigned char* record, int count);
TESTBENCH_API int BenchExitConfig(void);
TESTBENCH_API int BenchReconnect(int baud, int dataBits, int parity);
/* 1 when the connected unit answers a poll at address on the current line. */
TESTBENCH_API int BenchPoll(unsigned char address);

/* ---- The host's language file ------------------------------------------------ */

/* Cursor moves of BenchLanguageGetTag. */
enum
{
    BENCH_TAG_ROOT = 1,         /* the root element, if it has that name */
    BENCH_TAG_FIRST_CHILD = 16, /* the first child element of that name */
    BENCH_TAG_NEXT = 256        /* the next element of that name at the same level */
};

typedef struct BENCH_LANGUAGE BENCH_LANGUAGE;

/* Reads the whole file at once, named as the module names it (the ANSI code
 * page); null when it is missing, not well-formed,
 * has a DTD or another root than TesterLanguage (BenchLanguageError says why). */
TESTBENCH_API BENCH_LANGUAGE* BenchLanguageOpen(const char* path);
TESTBENCH_API void BenchLanguageClose(BENCH_LANGUAGE* file);
/* Why the latest open failed; empty after one that succeeded. */
TESTBENCH_API const char* BenchLanguageError(void);
/* Moves the cursor; 1 when an element was found. A failed move leaves the
 * cursor nowhere, so every later move fails until the next root move. */
TESTBENCH_API int BenchLanguageGetTag(BENCH_LANGUAGE* file, unsigned long flags, const char* name);
/* The attribute of the cursor's element, or null; valid until the file is closed. */
TESTBENCH_API const char* BenchLanguageAttribute(BENCH_LANGUAGE* file, const char* name);
TESTBENCH_API const char* BenchLanguageTagName(BENCH_LANGUAGE* file);

#ifdef __cplusplus
}
#endif
