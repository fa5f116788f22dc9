// Garbage in a unit's EEPROM: random and crafted images through the series
// procedure's reading of type and serial, and through the configuration
// dialog's loading and a write attempt. Never a crash, never a record written
// that the dialog's own validation would refuse.
//
// TAVO_UNIT_IMAGES sets how many random images run (default 100; the
// reliability run uses 10000).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "DlgConfig.h"
#include "ModuleFixture.h"
#include "resource.h"

namespace {

int ImageCount()
{
    const char* count = getenv("TAVO_UNIT_IMAGES");
    return count && atoi(count) > 0 ? atoi(count) : 100;
}

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

// What the dialog's validation accepts for the 20 written bytes.
std::string RefusedField(const unsigned char* record)
{
    UnitConfig config;
    memcpy(&config, record, 20);
    if (config.byAddress < 1 || config.byAddress > 125)
        return "address";
    if (config.dwMarker != 0x65766173)
        return "marker";
    if (config.byQuadrature & ~3)
        return "quadrature";
    for (int nibble : {config.byInputCurrent & 0x0F, config.byInputCurrent >> 4}) {
        if (nibble != 0 && nibble != 2 && nibble != 3)
            return "input current";
    }
    for (int i = 0; i < 4; ++i) {
        if (config.byMaxPulse[i] < config.byMinPulse[i])
            return "pulse times of input " + std::to_string(i);
    }
    const int baud = config.byBaudCode;
    if (baud != 6 && baud != 12 && baud != 24 && baud != 48 && baud != 96)
        return "baud code";
    return std::string();
}

class BadUnitDataTest : public CModuleFixture
{
};

TEST_F(BadUnitDataTest, ProcedureReadsAnyTypeAndSerial)
{
    std::mt19937 random(20261208);
    const int count = ImageCount();
    for (int index = 0; index < count; ++index) {
        const BenchUnit unit = GarbageUnit(random, index);
        CBench::Get().Put(unit);
        CBench::Get().Connect("G");
        m_reports.Clear();
        COperator robot(5000);
        for (int i = 0; i < 3; ++i)
            robot.Expect("any", [](CDialogView& view) { view.Click(IDCANCEL); });
        EXPECT_EQ(2, m_pOwner->ConfigureThermometer(m_hHost, 0, 0)) << "image " << index;
        ASSERT_FALSE(m_reports.Lines().empty()) << "image " << index;
        const ReportLine& last = m_reports.Lines().back();
        EXPECT_TRUE(last.nKind == 113) << "image " << index << ": " << last;
        ASSERT_TRUE(robot.Failures().empty()) << "image " << index << ": " << ::testing::PrintToString(robot.Failures());
    }
}

TEST_F(BadUnitDataTest, DialogNeverWritesWhatItsValidationRefuses)
{
    std::mt19937 random(8122026);
    const int count = ImageCount();
    int written = 0;
    for (int index = 0; index < count; ++index) {
        const BenchUnit unit = GarbageUnit(random, index);
        CBench::Get().Put(unit);
        CBench::Get().Connect("G");
        m_pOwner->CheckEEPROM(m_hHost, 0, 0);
        CConfigDialog dialog(m_hHost, m_module.Handle());
        dialog.SetOwner(m_pOwner);
        dialog.SetUnitType(unit.strType.c_str());
        COperator robot(5000);
        robot.Expect("configuration", [](CDialogView& view) {
            view.Click(IDC_WRITE_AND_TEST);
            if (view.IsOpen())
                view.Click(IDCANCEL);  // a value was refused (its box answered below)
        });
        robot.Expect("refused value", [](CDialogView& box) { box.Click(IDOK); });
        const int result = dialog.Show(-1);
        if (result == 1) {
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
