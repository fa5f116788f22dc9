// Garbage in a unit's EEPROM: random and crafted images through the series
// procedure's reading of type and serial, and through the configuration
// dialog's loading and a write attempt. Never a crash, the reports the type
// text calls for, and never a record written that the dialog's own
// validation would refuse.
//
// TAVO_UNIT_IMAGES sets how many random images run (default 100; the
// reliability run uses 1000).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "ModuleFixture.h"

namespace {

// A unit whose every field comes from the generator, with crafted values
// mixed in: types without NUL, of blanks or control bytes; serials with
// letters, signs and overlong digits; every baud and parity code; addresses 0
// and 126..255; maxima below minima; default blocks with every nibble.
BenchUnit GarbageUnit(std::mt19937& random, int index)
{
    auto byte = [&random] { return static_cast<unsigned char>(random() & 0xFF); };
    BenchUnit unit = MakeUnit("G");
    static const char* const kTypes[] = {"QX2210.00", "QX2250.10", "QX2250.00", "QX2250.20", "\x01\x02\x7F",
                                         "                ", "QX2250.10\t", "0123456789ABCDEF"};
    static const char* const kSerials[] = {"00012345", "-0000001", "+9999999", "99999999", "ABCDEFGH",
                                           "   12 34", "\x01\x02\x03", "%s%d%s%d"};
    unit.strType.clear();
    const int typeKind = index % 3;
    for (int i = 0; i < 16; ++i)
        unit.strType += static_cast<char>(typeKind == 0 ? byte() : ' ' + byte() % 95);
    if (typeKind == 2)
        unit.strType = kTypes[index / 3 % 8];
    unit.strType = unit.strType.substr(0, unit.strType.find('\0') == std::string::npos ? 16 : unit.strType.find('\0'));
    unit.strSerial.clear();
    for (int i = 0; i < 8; ++i)
        unit.strSerial += static_cast<char>(index % 2 ? '0' + byte() % 10 : byte() | 1);
    if (index % 5 == 0)
        unit.strSerial = kSerials[index / 5 % 8];
    for (unsigned char& b : unit.abyConfig)
        b = byte();
    static const unsigned char kBaudCodes[] = {6, 12, 24, 48, 96};
    if (index % 4 == 0)
        unit.abyConfig[2] = kBaudCodes[index / 4 % 5];
    unit.defaultBlock.resize(17 + byte() % 16);
    for (unsigned char& b : unit.defaultBlock)
        b = byte();
    return unit;
}

// What the dialog's validation accepts for the 20 written bytes: address,
// answer delay, baud code, parity, timeout (2), "save", quadrature, currents,
// minima (4), maxima (4).
std::string RefusedField(const unsigned char* record)
{
    if (record[0] < 1 || record[0] > 125)
        return "address";
    if (memcmp(record + 6, "save", 4) != 0)
        return "marker";
    if (record[10] & ~3)
        return "quadrature";
    for (int nibble : {record[11] & 0x0F, record[11] >> 4}) {
        if (nibble != 0 && nibble != 2 && nibble != 3)
            return "input current";
    }
    for (int i = 0; i < 4; ++i) {
        if (record[16 + i] < record[12 + i])
            return "pulse times of input " + std::to_string(i);
    }
    const int baud = record[2];
    if (baud != 6 && baud != 12 && baud != 24 && baud != 48 && baud != 96)
        return "baud code";
    return std::string();
}

// The type text as the procedure must read it: at most 16 characters, up to a
// NUL, blanks trimmed at both ends.
std::string TrimmedType(const std::string& field)
{
    std::string type = field.substr(0, std::min(field.find('\0'), static_cast<size_t>(16)));
    const char* blanks = " \t\r\n";
    const size_t begin = type.find_first_not_of(blanks);
    return begin == std::string::npos ? std::string() : type.substr(begin, type.find_last_not_of(blanks) - begin + 1);
}

typedef CModuleFixture BadUnitDataTest;

// Every image ends its call with the reports its type text calls for: no
// type, one failure report; any other, the configuration dialog (cancelled).
TEST_F(BadUnitDataTest, ProcedureReadsAnyTypeAndSerial)
{
    std::mt19937 random(20261208);
    const int count = EnvCount("TAVO_UNIT_IMAGES", 100);
    CProgress progress("unit images", count);
    for (int index = 0; index < count; ++index) {
        progress.Done(index);
        const BenchUnit unit = GarbageUnit(random, index);
        CBench::Get().Put(unit);
        CBench::Get().Connect("G");
        m_reports.Clear();
        const bool typed = !TrimmedType(unit.strType).empty();
        COperator robot(5000);
        if (typed)
            robot.Expect("the configuration dialog", IDC_WRITE_AND_TEST,
                         [](CDialogView& view) { view.Click(IDCANCEL); });
        EXPECT_EQ(2, m_pTest->ConfigureThermometer(m_hHost, 0, 0)) << "image " << index;
        const Lines expected =
            typed ? Lines{Opening(), Progress(37), Failure(43)}
                  : Lines{Opening(), ReportLine(TEST_REPORT_FAILURE, "(null)", Message(45) + " " + Message(44))};
        ASSERT_EQ(expected, m_reports.Lines()) << "image " << index << ", type \"" << unit.strType << "\"";
        ASSERT_TRUE(robot.Failures().empty())
            << "image " << index << ": " << ::testing::PrintToString(robot.Failures());
        ASSERT_TRUE(robot.AllDone()) << "image " << index << ": the configuration dialog never opened";
    }
}

// One write attempt per image: a value refused is answered and the dialog
// cancelled; a record written has its test, given up when the unit does not
// answer on it, and the pass again is cancelled.
TEST_F(BadUnitDataTest, DialogNeverWritesWhatItsValidationRefuses)
{
    std::mt19937 random(8122026);
    const int count = EnvCount("TAVO_UNIT_IMAGES", 100);
    int written = 0;
    CProgress progress("unit images", count);
    for (int index = 0; index < count; ++index) {
        progress.Done(index);
        BenchUnit unit = GarbageUnit(random, index);
        unit.strType = "TAVO-02";  // a type that reaches the dialog, every input in the operator's hands
        CBench::Get().Put(unit);
        CBench::Get().Connect("G");
        CBench::Get().ClearCallLog();
        COperator robot(5000);
        ServeAny(robot, 4,
                 {[](CDialogView& view) {
                      // One write attempt; then a value refused, or the pass again, is cancelled.
                      if (CountCalls(CBench::Get().CallLog(), "WriteConfig") == 0 && view.IsEnabled(IDC_WRITE_AND_TEST))
                          view.Click(IDC_WRITE_AND_TEST);
                      if (view.IsOpen())
                          view.Click(IDCANCEL);
                  },
                  [](CDialogView& view) { GiveUp(view, 20, true); }, nullptr, nullptr});
        m_pTest->ConfigureThermometer(m_hHost, 0, 0);
        ASSERT_TRUE(robot.Failures().empty())
            << "image " << index << ": " << ::testing::PrintToString(robot.Failures());
        if (CountCalls(CBench::Get().CallLog(), "WriteConfig 0 20 1") == 1) {
            ++written;
            const std::string refused = RefusedField(Unit("G").abyConfig);
            EXPECT_EQ("", refused) << "image " << index << " wrote a record its validation refuses";
            EXPECT_EQ(unit.abyConfig[20], Unit("G").abyConfig[20]) << "image " << index;
        } else {
            EXPECT_EQ(0, memcmp(unit.abyConfig, Unit("G").abyConfig, 21)) << "image " << index << ": nothing written";
        }
    }
    RecordProperty("written", written);
    EXPECT_GT(written, count / 10) << "the garbage must also reach the write now and then";
}

}  // namespace
