// The tester stand-in over the simulated bench: the bench file, the connected
// unit's EEPROM, the write protection, the rules by which a unit answers a
// poll, and the bench's record of calls of two threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "Bench.h"
#include "TAVOTester.h"
#include "TempFile.h"

namespace {

// The tester base needs a module's identity to be an object.
class CProbeTester : public CTAVOTester
{
public:
    CProbeTester() : CTAVOTester(nullptr) {}
    const char* GetModuleName() override { return "probe"; }
    int IsSupportedTest(const char*) override { return 0; }
    unsigned int GetSupportedTestCount() override { return 0; }
    const char* GetSupportedTest(unsigned int) override { return nullptr; }
};

const char kUnitA[] =
    "[Unit A]\n"
    "Type=QX2250.10\n"
    "Serial=00012345\n"
    "UserConfig=05 0A 60 02 58 02 73 61 76 65 00 00 01 01 01 01 FF FF FF FF 5A\n"
    "DefaultConfig=00 00 00 00 00 00 00 00 72 00 9F 00 00 00 00 07 0A\n"
    "JP1=WE\n";

// Comments after values, as people write them: a ';' or '#' after blanks.
const char kUnitB[] =
    "[Unit B]   ; write-protected\n"
    "Type=\"  QX2210.00  \"  ; \"blanks\" kept\n"
    "Serial=ABC#1\n"
    "UserConfig=07 00 18 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "JP1=WP\n"
    "JP2=closed\n"
    "AnswersOn=9 1200 1\t# its own setting\n"
    "AnswersAfterPolls=3\n";

std::string BenchText(const std::string& units, const std::string& connected = "A")
{
    return "; test bench\n[Bench]\nConnected=" + connected + "    ; the unit connected at the start\n\n" + units;
}

// One poll of address, its ten out-values in values (filled with a marker first).
void Measure(CProbeTester* tester, unsigned char address, unsigned long (&values)[10])
{
    std::fill(values, values + 10, 0xDEADBEEFul);
    tester->MeasureValue(address, &values[0], &values[1], &values[2], &values[3], &values[4], &values[5], &values[6],
                         &values[7], &values[8], &values[9], nullptr);
}

class BenchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CTempFile file("bench.ini", BenchText(std::string(kUnitA) + kUnitB));
        std::string error;
        ASSERT_TRUE(CBench::Get().Load(file.Path(), &error)) << error;
    }
    void TearDown() override { CBench::Get().Clear(); }

    BenchUnit Unit(const std::string& name)
    {
        BenchUnit unit;
        EXPECT_TRUE(CBench::Get().FindUnit(name, &unit)) << "no unit " << name;
        return unit;
    }

    // Polls once; answers the second out-value and checks all ten were
    // written, the nine others never zero, so that only the second can tell.
    unsigned long Poll(unsigned char address)
    {
        unsigned long values[10];
        Measure(&m_tester, address, values);
        for (int i = 0; i < 10; ++i) {
            EXPECT_NE(0xDEADBEEFul, values[i]) << "out-value " << i << " was not written";
            if (i != 1) {
                EXPECT_NE(0ul, values[i]) << "out-value " << i;
            }
        }
        return values[1];
    }

    // Writes the connected unit's record with bytes changed ({offset,
    // value}), then leaves configuration mode.
    void Write(std::initializer_list<std::pair<int, unsigned char>> changes)
    {
        m_tester.CheckEEPROM(nullptr, 0, 1);
        unsigned char record[21];
        memcpy(record, m_tester.ReadUserConfig(), 21);
        for (const auto& change : changes)
            record[change.first] = change.second;
        ASSERT_EQ(1, m_tester.WriteConfig(0, record, 20));
        m_tester.ExitConfig();
    }

    CProbeTester m_tester;
};

TEST_F(BenchTest, CheckEEPROMReadsTheConnectedUnit)
{
    ASSERT_EQ(1, m_tester.CheckEEPROM(nullptr, 0, 0));
    EXPECT_EQ(0, memcmp("QX2250.10\0", m_tester.m_EEPROMCache.GetEEPROMCacheFrom(40, 1), 10));
    EXPECT_EQ(0, memcmp("00012345", m_tester.m_EEPROMCache.GetEEPROMCacheFrom(80, 1), 8));

    ASSERT_TRUE(CBench::Get().Connect("B"));
    ASSERT_EQ(1, m_tester.CheckEEPROM(nullptr, 0, 1));
    EXPECT_EQ(0, memcmp("  QX2210.00  \0", m_tester.m_EEPROMCache.GetEEPROMCacheFrom(40, 1), 14))
        << "quotes keep the blanks";
    EXPECT_EQ(0, memcmp("ABC#1\0\0\0", m_tester.m_EEPROMCache.GetEEPROMCacheFrom(80, 1), 8));

    ASSERT_TRUE(CBench::Get().Connect(""));
    EXPECT_EQ(0, m_tester.CheckEEPROM(nullptr, 0, 1)) << "nothing connected";
    EXPECT_EQ(nullptr, m_tester.ReadUserConfig());
    EXPECT_FALSE(CBench::Get().Connect("Z")) << "no such unit";
}

TEST_F(BenchTest, CacheReadsNeverLeaveTheImage)
{
    unsigned char* last = m_tester.m_EEPROMCache.GetEEPROMCacheFrom(255, 1);
    ASSERT_NE(nullptr, last);
    for (int i = 1; i < 32; ++i)
        EXPECT_EQ(0, last[i]) << "zero bytes follow the image";
}

TEST_F(BenchTest, UserAndDefaultConfiguration)
{
    m_tester.CheckEEPROM(nullptr, 0, 0);
    const unsigned char* config = m_tester.ReadUserConfig();
    ASSERT_NE(nullptr, config);
    const unsigned char expected[21] = {0x05, 0x0A, 0x60, 0x02, 0x58, 0x02, 0x73, 0x61, 0x76, 0x65, 0x00,
                                        0x00, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x5A};
    EXPECT_EQ(0, memcmp(expected, config, 21));

    const unsigned char* defaults = m_tester.ReadDefaultConfig(2);
    ASSERT_NE(nullptr, defaults);
    EXPECT_EQ(0x72, defaults[8]);
    EXPECT_EQ(0x9F, defaults[10]);
    EXPECT_EQ(0x07, defaults[15]);
    EXPECT_EQ(0x0A, defaults[16]);
    EXPECT_EQ(nullptr, m_tester.ReadDefaultConfig(1)) << "selector 1 is accepted and answers nothing";

    CBench::Get().Connect("B");
    EXPECT_EQ(nullptr, m_tester.ReadDefaultConfig(2)) << "unit B has no default block";
}

TEST_F(BenchTest, WriteConfigWritesTwentyBytesAtMost)
{
    m_tester.CheckEEPROM(nullptr, 0, 0);
    unsigned char copy[21];
    memcpy(copy, m_tester.ReadUserConfig(), 21);
    copy[0] = 0x11;
    copy[20] = 0x99;
    ASSERT_EQ(1, m_tester.WriteConfig(0, copy, 20));
    const BenchUnit unit = Unit("A");
    EXPECT_EQ(0x11, unit.abyConfig[0]);
    EXPECT_EQ(0x5A, unit.abyConfig[20]) << "byte 20 is never written";
    EXPECT_EQ(0x11, m_tester.ReadUserConfig()[0]);

    EXPECT_EQ(0, m_tester.WriteConfig(0, copy, 21)) << "byte 20 is out of reach";
    EXPECT_EQ(0, m_tester.WriteConfig(1, copy, 20));
    EXPECT_EQ(0, m_tester.WriteConfig(0, nullptr, 20));

    CBench::Get().Connect("B");
    EXPECT_EQ(0, m_tester.WriteConfig(0, copy, 20)) << "JP1 on WP protects the unit";
    EXPECT_EQ(0x07, Unit("B").abyConfig[0]);

    CBench::Get().Connect("");
    EXPECT_EQ(0, m_tester.WriteConfig(0, copy, 20)) << "nothing connected";
}

TEST_F(BenchTest, UnitAnswersOnlyOnItsSettingOutOfConfigurationMode)
{
    m_tester.CheckEEPROM(nullptr, 0, 0);  // unit A: address 5, 9600 Bd, even parity
    ASSERT_EQ(1, m_tester.Reconnect(9600, 8, 2));
    EXPECT_EQ(0ul, Poll(5)) << "still in configuration mode";
    m_tester.ExitConfig();
    EXPECT_NE(0ul, Poll(5));
    EXPECT_EQ(0ul, Poll(6)) << "another address";
    m_tester.Reconnect(4800, 8, 2);
    EXPECT_EQ(0ul, Poll(5)) << "another baud rate";
    m_tester.Reconnect(9600, 8, 1);
    EXPECT_EQ(0ul, Poll(5)) << "another parity";

    EXPECT_EQ(0, m_tester.Reconnect(9601, 8, 2));
    EXPECT_EQ(0, m_tester.Reconnect(9600, 7, 2));
    EXPECT_EQ(1, m_tester.Reconnect(9600, 8, 4)) << "Windows' parity codes: space";
    EXPECT_EQ(0, m_tester.Reconnect(9600, 8, 5));

    CBench::Get().Connect("");
    m_tester.Reconnect(9600, 8, 2);
    EXPECT_EQ(0ul, Poll(5)) << "nothing connected";
}

TEST_F(BenchTest, ExitConfigTakesTheWrittenSetting)
{
    Write({{0, 77}, {2, 12}, {3, 1}});  // address 77, 1200 Bd, odd parity
    m_tester.Reconnect(1200, 8, 1);
    EXPECT_NE(0ul, Poll(77));
    const BenchUnit unit = Unit("A");
    EXPECT_EQ(77, unit.byAnswerAddress);
    EXPECT_EQ(1200, unit.nAnswerBaud);

    Write({{1, 255}});  // answer delay 255: the unit never answers
    EXPECT_EQ(0ul, Poll(77));
}

TEST_F(BenchTest, AnswersAfterTheGivenNumberOfPolls)
{
    CBench::Get().Connect("B");  // answers on 9 1200 odd after 3 polls
    m_tester.Reconnect(1200, 8, 1);
    for (int poll = 1; poll <= 3; ++poll)
        EXPECT_EQ(0ul, Poll(9)) << "poll " << poll;
    m_tester.ExitConfig();  // repeated while out of configuration mode: no new start
    EXPECT_NE(0ul, Poll(9)) << "poll 4";
}

// A ';' or '#' ends a value only after a blank, or begins a line of its own;
// elsewhere it is part of the value, quoted or not.
TEST_F(BenchTest, CommentsNeedABlankBeforeThem)
{
    CTempFile file("comments.ini", "# the bench\n[Bench]\n[Unit A]\n  # unit A\nType=\"A\"#x ;y\" ;z\nSerial=S#1;2 ;x\n"
                                   "UserConfig=05 0A 60 02 58 02 73 61 76 65 00 00 01 01 01 01 FF FF FF FF 00\n");
    std::string error;
    ASSERT_TRUE(CBench::Get().Load(file.Path(), &error)) << error;
    const BenchUnit unit = Unit("A");
    EXPECT_EQ("A\"#x ;y", unit.strType) << "a quote that the value goes on after does not end it";
    EXPECT_EQ("S#1;2", unit.strSerial);
}

TEST_F(BenchTest, SaveAndReloadKeepEveryUnit)
{
    Write({{0, 100}});
    // A record with codes no line uses makes its unit answer on them; the
    // saved bench keeps that and loads again (found by the bench file's fuzzer).
    BenchUnit odd = Unit("B");
    odd.strName = "Z";
    odd.abyConfig[2] = 100;
    odd.abyConfig[3] = 7;
    odd.nAnswerBaud = 10000;
    odd.byAnswerParity = 7;
    CBench::Get().Put(odd);
    CTempFile saved("saved.ini", "");
    std::string error;
    ASSERT_TRUE(CBench::Get().Save(saved.Path(), &error)) << error;
    const auto before = CBench::Get().Units();
    CBench::Get().Clear();
    ASSERT_TRUE(CBench::Get().Load(saved.Path(), &error)) << error;
    const auto after = CBench::Get().Units();
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].strName, after[i].strName);
        EXPECT_EQ(before[i].strType, after[i].strType);
        EXPECT_EQ(before[i].strSerial, after[i].strSerial);
        EXPECT_EQ(0, memcmp(before[i].abyConfig, after[i].abyConfig, 21)) << before[i].strName;
        EXPECT_EQ(before[i].defaultBlock, after[i].defaultBlock);
        EXPECT_EQ(before[i].bWriteEnabled, after[i].bWriteEnabled);
        EXPECT_EQ(before[i].bJP2Closed, after[i].bJP2Closed);
        EXPECT_EQ(before[i].byAnswerAddress, after[i].byAnswerAddress);
        EXPECT_EQ(before[i].nAnswerBaud, after[i].nAnswerBaud);
        EXPECT_EQ(before[i].byAnswerParity, after[i].byAnswerParity);
        EXPECT_EQ(before[i].nAnswerAfterPolls, after[i].nAnswerAfterPolls);
    }
    EXPECT_EQ(100, after[0].abyConfig[0]);
    EXPECT_EQ("A", CBench::Get().Connected());
}

TEST_F(BenchTest, MistakesAreNamedAndNothingIsLoadedHalf)
{
    const struct
    {
        std::string text;
        const char* pszExpected;
    } cases[] = {
        {BenchText("[Unit A]\nType=X\nSerial=1\nUserConfig=05 0A\n"),
         ", line 8, [Unit A], key UserConfig: expected 21 bytes"},
        {BenchText("[Unit A]\nType=X\nSerial=1\n"),
         "[Unit A], key UserConfig: expected 21 bytes in hexadecimal, e.g. 05 0A 60 02 ... (the key is missing)"},
        {BenchText(std::string(kUnitA) + "JP2=maybe\n"), "[Unit A], key JP2: expected open or closed"},
        {BenchText(std::string(kUnitA) + "Colour=red\n"), "[Unit A], key Colour: unknown key"},
        {BenchText(std::string(kUnitA) + "JP1=WP\n"), "[Unit A], key JP1: the key is given twice"},
        {BenchText(std::string(kUnitA) + "AnswersOn=5 9601 2\n"), "key AnswersOn: expected ADDRESS BAUD PARITY"},
        {BenchText(std::string(kUnitA) + "PollTime=-1\n"), "key PollTime: expected milliseconds"},
        {BenchText("[Unit A]\nType=12345678901234567\nSerial=1\n"), "key Type: expected a type text of at most 16"},
        {BenchText(std::string(kUnitA) + kUnitA), "[Unit A]: a second unit of this name"},
        {BenchText(kUnitA, "Q"), "[Bench], key Connected: no unit named 'Q'"},
        {"Type=X\n", ", line 1: a key before the first section"},
        {"[Bench\n", ", line 1: a section header must end with ']'"},
        {"[Shelf]\n", "[Shelf]: unknown section"},
        {"[Bench]\nnonsense\n", ", line 2: expected KEY=VALUE or [SECTION]"},
    };
    for (const auto& c : cases) {
        CTempFile file("broken.ini", c.text);
        std::string error;
        EXPECT_FALSE(CBench::Get().Load(file.Path(), &error)) << c.text;
        EXPECT_EQ(0u, error.find(file.Path())) << "the error names the file: " << error;
        EXPECT_NE(std::string::npos, error.find(c.pszExpected)) << error;
        EXPECT_EQ(2u, CBench::Get().Units().size()) << "the bench before the failed load stays";
        EXPECT_EQ("A", CBench::Get().Connected());
    }
    std::string error;
    EXPECT_FALSE(CBench::Get().Load("no-such-bench.ini", &error));
    EXPECT_EQ("'no-such-bench.ini' cannot be opened", error);
}

DWORD WINAPI PollOnce(LPVOID tester)
{
    unsigned long values[10];
    Measure(static_cast<CProbeTester*>(tester), 5, values);
    return values[1];
}

// The tester serves one thread at a time: a call while another thread's is
// under way is recorded, and so is every thread that called until it ends.
TEST_F(BenchTest, CallsOfTwoThreadsAtOnceAreRecorded)
{
    m_tester.CheckEEPROM(nullptr, 0, 0);
    m_tester.ExitConfig();
    m_tester.Reconnect(9600, 8, 2);
    EXPECT_NE(0ul, Poll(5));
    EXPECT_EQ(0, CBench::Get().Overlaps()) << "one thread after the other";

    CBench::Get().HoldPolls(BENCH_HOLD_ANSWERING);
    HANDLE worker = ::CreateThread(nullptr, 0, &PollOnce, &m_tester, 0, nullptr);
    while (CBench::Get().HeldPolls() == 0)
        ASSERT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(worker, 1)) << "the worker's poll returned without being held";
    EXPECT_EQ(1, CBench::Get().OtherCallersRunning()) << "the worker is inside its poll";
    m_tester.CheckEEPROM(nullptr, 0, 1);
    CBench::Get().HoldPolls(BENCH_HOLD_NONE);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(worker, 10000));
    DWORD answered = 0;
    ::GetExitCodeThread(worker, &answered);
    ::CloseHandle(worker);
    EXPECT_EQ(1u, answered) << "the held poll answers once released";
    std::string first;
    EXPECT_EQ(1, CBench::Get().Overlaps(&first));
    EXPECT_EQ("CheckEEPROM began during MeasureValue", first);
    EXPECT_EQ(0, CBench::Get().OtherCallersRunning()) << "the worker has ended";
}

}  // namespace
