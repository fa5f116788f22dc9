// Classes in this file: BenchUnit, one simulated unit as C++ code on either
// side of the bench's C interface holds it, with its conversions to and from
// the plain BENCH_UNIT that crosses.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "TestBench.h"

// The baud rates a unit and the tester's line know.
inline bool IsValidBaud(int baud)
{
    return baud == 600 || baud == 1200 || baud == 2400 || baud == 4800 || baud == 9600;
}

struct BenchUnit
{
    enum { CONFIG_SIZE = BENCH_CONFIG_SIZE, TYPE_SIZE = BENCH_TYPE_SIZE, SERIAL_SIZE = BENCH_SERIAL_SIZE };

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
    unsigned long dwPollMs = 0;
    // State while on the bench.
    bool bConfigMode = false;
    int nPolls = 0;                   // polls since it left configuration mode

    // Whether, out of configuration mode, it answers a poll at address on a
    // line of baud and parity (the test behaviours aside).
    bool AnswersAt(unsigned char address, int baud, int parity) const
    {
        return !bConfigMode && !bNeverAnswers && byAnswerDelay != 255 && byAnswerAddress == address &&
               nAnswerBaud == baud && byAnswerParity == parity;
    }

    BENCH_UNIT ToPlain() const
    {
        BENCH_UNIT plain = {};
        strncpy(plain.szName, strName.c_str(), sizeof(plain.szName) - 1);
        plain.nTypeLength = static_cast<int>(std::min<size_t>(strType.size(), TYPE_SIZE));
        memcpy(plain.abyType, strType.data(), plain.nTypeLength);
        plain.nSerialLength = static_cast<int>(std::min<size_t>(strSerial.size(), SERIAL_SIZE));
        memcpy(plain.abySerial, strSerial.data(), plain.nSerialLength);
        memcpy(plain.abyConfig, abyConfig, CONFIG_SIZE);
        plain.nDefaultLength = static_cast<int>(std::min<size_t>(defaultBlock.size(), BENCH_DEFAULT_MAX));
        std::copy_n(defaultBlock.begin(), plain.nDefaultLength, plain.abyDefault);
        plain.bWriteEnabled = bWriteEnabled;
        plain.bJP2Closed = bJP2Closed;
        plain.nAnswerAddress = byAnswerAddress;
        plain.nAnswerBaud = nAnswerBaud;
        plain.nAnswerParity = byAnswerParity;
        plain.nAnswerDelay = byAnswerDelay;
        plain.nAnswerAfterPolls = nAnswerAfterPolls;
        plain.bNeverAnswers = bNeverAnswers;
        plain.nPollMs = static_cast<int>(dwPollMs);
        plain.bConfigMode = bConfigMode;
        plain.nPolls = nPolls;
        return plain;
    }

    static BenchUnit FromPlain(const BENCH_UNIT& plain)
    {
        BenchUnit unit;
        unit.strName.assign(plain.szName, strnlen(plain.szName, sizeof(plain.szName)));
        unit.strType.assign(reinterpret_cast<const char*>(plain.abyType), Bounded(plain.nTypeLength, TYPE_SIZE));
        unit.strSerial.assign(reinterpret_cast<const char*>(plain.abySerial),
                              Bounded(plain.nSerialLength, SERIAL_SIZE));
        memcpy(unit.abyConfig, plain.abyConfig, CONFIG_SIZE);
        unit.defaultBlock.assign(plain.abyDefault, plain.abyDefault + Bounded(plain.nDefaultLength, BENCH_DEFAULT_MAX));
        unit.bWriteEnabled = plain.bWriteEnabled != 0;
        unit.bJP2Closed = plain.bJP2Closed != 0;
        unit.byAnswerAddress = static_cast<unsigned char>(plain.nAnswerAddress);
        unit.nAnswerBaud = plain.nAnswerBaud;
        unit.byAnswerParity = static_cast<unsigned char>(plain.nAnswerParity);
        unit.byAnswerDelay = static_cast<unsigned char>(plain.nAnswerDelay);
        unit.nAnswerAfterPolls = plain.nAnswerAfterPolls;
        unit.bNeverAnswers = plain.bNeverAnswers != 0;
        unit.dwPollMs = static_cast<unsigned long>(std::max(plain.nPollMs, 0));
        unit.bConfigMode = plain.bConfigMode != 0;
        unit.nPolls = plain.nPolls;
        return unit;
    }

private:
    static size_t Bounded(int length, int limit) { return static_cast<size_t>(std::min(std::max(length, 0), limit)); }
};
