// Classes in this file: BenchUnit (one simulated unit) and CBench, the
// simulated bench behind the tester stand-in: the units on the table, the one
// connected to the tester, and the line the tester polls them on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TAVOTester.h"

struct TAVOTESTER_API BenchUnit
{
    enum { CONFIG_SIZE = 21, DEFAULT_MIN = 17, DEFAULT_MAX = 32, TYPE_SIZE = 16, SERIAL_SIZE = 8 };
    // Where the blocks sit in the unit's EEPROM image.
    enum { USER_OFFSET = 0, TYPE_OFFSET = 40, SERIAL_OFFSET = 80, DEFAULT_OFFSET = 128 };

    std::string strName;
    std::string strType;              // up to 16 characters
    std::string strSerial;            // up to 8 characters
    unsigned char abyConfig[CONFIG_SIZE] = {};
    std::vector<unsigned char> defaultBlock;  // empty: the unit has none
    bool bWriteEnabled = true;        // JP1 on WE (false: WP)
    bool bJP2Closed = false;
    // The setting the unit answers on out of configuration mode.
    unsigned char byAnswerAddress = 0;
    int nAnswerBaud = 0;
    unsigned char byAnswerParity = 0;
    unsigned char byAnswerDelay = 0;  // 255: it never answers
    // Test behaviour.
    int nAnswerAfterPolls = 0;
    bool bNeverAnswers = false;
    DWORD dwPollMs = 0;

    // State while on the bench.
    bool bConfigMode = false;
    int nPolls = 0;                   // polls since it left configuration mode

    // The unit's EEPROM image as the tester reads it.
    void BuildImage(unsigned char* image, int size) const;
    // Whether, out of configuration mode, it answers a poll at address on a
    // line of baud and parity (the test behaviours aside).
    bool AnswersAt(unsigned char address, int baud, int parity) const;
};

class TAVOTESTER_API CBench
{
public:
    static CBench& Get();

    // Loads a bench file; on any mistake nothing changes and error names the
    // file, line, unit and key. Answers 1 when loaded.
    int Load(const std::string& path, std::string* error);
    int Save(const std::string& path, std::string* error) const;
    void Clear();

    // Connects the named unit (an empty name disconnects); 0 for an unknown name.
    int Connect(const std::string& name);
    std::string Connected() const;
    std::vector<BenchUnit> Units() const;
    // Puts a unit on the bench (replacing one of the same name).
    void Put(const BenchUnit& unit);

    // What the tester does with the connected unit; see CTAVOTester.
    int ReadImage(CEEPROMCache& cache);
    int ReadUserConfig(CEEPROMCache& cache);
    int ReadDefaultConfig(CEEPROMCache& cache);
    int WriteConfig(unsigned short offset, const unsigned char* record, unsigned char count, CEEPROMCache& cache);
    int ExitConfig();
    int Reconnect(int baud, int dataBits, int parity);
    // 1 when the connected unit answers at address on the current line.
    int Poll(unsigned char address);

    // Fault switches for tests: the nth call (1 = the next) of operation
    // (CheckEEPROM, ReadUserConfig, ReadDefaultConfig, WriteConfig, ExitConfig,
    // Reconnect, MeasureValue) fails: CheckEEPROM answers answer (0 when not
    // given; anything but 1 is a failure to the module), the reads answer
    // null, the others 0 and MeasureValue no answer. Answers 0 for an unknown
    // operation.
    int FailCall(const std::string& operation, int nth, int answer = 0);
    void ClearFaults();
    // Counts a call of operation; true when it is to fail, with its answer.
    bool Fault(const std::string& operation, int* answer = nullptr);

    // Every unit operation the tester made, oldest first ("CheckEEPROM 1",
    // "ExitConfig", "Reconnect 9600 8 2", "Poll 5 0", "WriteConfig 0 20 1", ...),
    // so a host or a test can see what a module asked of the bench.
    std::vector<std::string> CallLog() const;
    void ClearCallLog();
    // When (QueryPerformanceCounter) the first poll that a unit answered began
    // since the call log was cleared; 0 for none.
    LONGLONG FirstAnswerTime() const;
    void Log(const std::string& call);

private:
    CBench();
    ~CBench();
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    BenchUnit* ConnectedUnit();
    void Record(const std::string& call);

    mutable CRITICAL_SECTION m_lock;
    std::vector<BenchUnit> m_units;
    std::vector<std::string> m_calls;
    LONGLONG m_llFirstAnswer = 0;
    struct FaultSwitch
    {
        std::string strOperation;
        int nCountdown;
        int nAnswer;
    };
    std::vector<FaultSwitch> m_faults;
    int m_nConnected;       // index into m_units, -1 for none
    int m_nLineBaud;        // the tester's line; 0 until Reconnect
    int m_nLineParity;
};
