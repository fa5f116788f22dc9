// The unit configuration dialog (template 2020), driven through the real
// dialog under Wine: type variants, loading, validation and writing, the
// spinners and the wheel, and the carried-over record of a series.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "DlgConfig.h"
#include "ModuleFixture.h"
#include "resource.h"

namespace {

const int kInputsI2I3[] = {32777, 32791, 32821, 32780, 32781, 32784, 32785,
                           32807, 32808, 32811, 32812, 32826, 32827};

// Czech list texts, as the dialog holds them (code page 1250).
const char kParityNone[] = "\x8E\xE1" "dn\xE1 (NO)";
const char kParityOdd[] = "Lich\xE1 (ODD)";
const char kParityEven[] = "Sud\xE1 (EVEN)";

class ConfigDialogTest : public CModuleFixture
{
protected:
    void SetUp() override
    {
        CModuleFixture::SetUp();
        m_pDialog = new CConfigDialog(m_hHost, m_module.Handle());
        m_pDialog->SetOwner(m_pOwner);
    }

    void TearDown() override
    {
        delete m_pDialog;
        CModuleFixture::TearDown();
    }

    // Connects unit, reads its EEPROM as the series procedure does, and opens
    // the dialog with its type; action drives it. Answers the dialog's result.
    int Open(const BenchUnit& unit, COperator::Action action)
    {
        CBench::Get().Put(unit);
        CBench::Get().Connect(unit.strName);
        m_pOwner->CheckEEPROM(m_hHost, 0, 0);
        m_pDialog->SetUnitType(unit.strType.c_str());
        m_op.Expect("configuration", std::move(action));
        return m_pDialog->Show(-1);
    }

    // Expects a message box with message id's text; the operator answers OK.
    void ExpectBox(unsigned int id)
    {
        const std::string text = Message(id);
        m_op.Expect("message box " + std::to_string(id), [text](CDialogView& box) {
            EXPECT_EQ("TAVO-01", box.Title());
            EXPECT_EQ(text, box.MessageText());
            box.Click(IDOK);
        });
    }

    // Fills every control with the worked example's values.
    static void TypeWorkedExample(CDialogView& view)
    {
        view.SetText(IDC_ADDRESS, "5");
        view.SetChecked(IDC_NO_ANSWER, false);
        view.SetText(IDC_ANSWER_DELAY, "10");
        view.Select(IDC_BAUD_RATE, 4);
        view.Select(IDC_PARITY, 2);
        view.SetChecked(IDC_TIMEOUT_CHECK, true);
        view.SetText(IDC_TIMEOUT, "600");
        view.SetChecked(IDC_QUADRATURE_I0_I1, false);
        view.SetChecked(IDC_QUADRATURE_I2_I3, false);
        view.Select(IDC_CURRENT_I0_I1, 0);
        view.Select(IDC_CURRENT_I2_I3, 0);
        for (int i = 0; i < 4; ++i) {
            view.SetUpDown(IDC_MIN_PULSE_SPIN_I0 + i, 1);
            view.SetUpDown(IDC_MAX_PULSE_SPIN_I0 + i, 255);
        }
    }

    CConfigDialog* m_pDialog = nullptr;
};

// ---- Type variants ---------------------------------------------------------

TEST_F(ConfigDialogTest, TypeVariantsDisableOrHideTheirGroups)
{
    const struct
    {
        const char* pszType;
        bool bInputsVisible, bInputsEnabled, bTimeoutVisible;
    } variants[] = {
        {"QX2210.00", true, false, false},
        {"QX2250.00", false, true, true},
        {"QX2250.10", false, true, true},
        {"QX2250.20", false, true, true},
        {"QX2250.10 ", true, true, false},  // a trailing blank is another type
        {"qx2250.10", true, true, false},   // so is another letter case
        {"QX2210.0", true, true, false},
        {"TAVO-02", true, true, false},
        {"", true, true, false},
    };
    for (const auto& variant : variants) {
        const int result = Open(MakeUnit("A", variant.pszType), [&](CDialogView& view) {
            for (int id : kInputsI2I3) {
                EXPECT_EQ(variant.bInputsVisible, view.IsVisible(id)) << variant.pszType << " control " << id;
                EXPECT_EQ(variant.bInputsEnabled, view.IsEnabled(id)) << variant.pszType << " control " << id;
            }
            EXPECT_EQ(variant.bTimeoutVisible, view.IsVisible(IDC_TIMEOUT_CHECK)) << variant.pszType;
            EXPECT_EQ(variant.bTimeoutVisible, view.IsVisible(IDC_TIMEOUT)) << variant.pszType;
            EXPECT_TRUE(view.IsVisible(IDC_QUADRATURE_I0_I1)) << "the I0/I1 controls always stay";
            view.Click(IDCANCEL);
        });
        EXPECT_EQ(-1, result) << "Cancel ends the dialog with -1";
    }
}

// ---- Opening and loading ----------------------------------------------------

TEST_F(ConfigDialogTest, OpensWithListsRangesPictureAndTexts)
{
    Open(MakeUnit("A", "TAVO-02"), [&](CDialogView& view) {
        EXPECT_EQ("TAVO configuration", view.Title());
        EXPECT_EQ("Address:", view.Text(IDC_ADDRESS_LABEL));
        EXPECT_EQ("Communication timeout [ms]", view.Text(IDC_TIMEOUT_CHECK));
        EXPECT_EQ("Write and test", view.Text(IDC_WRITE_AND_TEST));
        EXPECT_EQ("Cancel", view.Text(IDCANCEL));
        EXPECT_EQ("configuration unit series", view.Text(IDC_SERIES));
        EXPECT_EQ("I3 - time between pulses [ms]:", view.Text(IDC_PULSE_I3_LABEL));
        EXPECT_EQ("neodpov\xED" "dat", view.Text(IDC_NO_ANSWER)) << "the checkboxes keep their template texts";
        EXPECT_EQ("I0 a I1", view.Text(IDC_QUADRATURE_I0_I1));

        const struct
        {
            int nId;
            std::vector<std::pair<std::string, LRESULT>> entries;
        } lists[] = {
            {IDC_BAUD_RATE, {{"600", 6}, {"1200", 12}, {"2400", 24}, {"4800", 48}, {"9600", 96}}},
            {IDC_PARITY, {{kParityNone, 0}, {kParityOdd, 1}, {kParityEven, 2}}},
            {IDC_CURRENT_I0_I1, {{"p\xF8ibli\x9En\xEC 50uA", 0}, {"p\xF8ibli\x9En\xEC 100uA", 2}, {"p\xF8ibli\x9En\xEC 150uA", 3}}},
            {IDC_CURRENT_I2_I3, {{"p\xF8ibli\x9En\xEC 50uA", 0}, {"p\xF8ibli\x9En\xEC 100uA", 2}, {"p\xF8ibli\x9En\xEC 150uA", 3}}},
        };
        for (const auto& list : lists) {
            ASSERT_EQ(static_cast<int>(list.entries.size()), view.ItemCount(list.nId)) << list.nId;
            for (size_t i = 0; i < list.entries.size(); ++i) {
                EXPECT_EQ(list.entries[i].first, view.ItemText(list.nId, static_cast<int>(i))) << list.nId;
                EXPECT_EQ(list.entries[i].second, view.ItemData(list.nId, static_cast<int>(i))) << list.nId;
            }
        }
        for (int i = 0; i < 8; ++i) {
            int lower = -1, upper = -1;
            view.UpDownRange(IDC_MIN_PULSE_SPIN_I0 + i, &lower, &upper);
            EXPECT_EQ(0, lower);
            EXPECT_EQ(255, upper);
        }
        EXPECT_NE(0, ::SendMessageA(view.Item(IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0)) << "bitmap 2023 shown";
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, LoadsTheUnitsUserConfiguration)
{
    BenchUnit unit = MakeUnit("A", "TAVO-02");
    const unsigned char config[21] = {0x07, 0x14, 0x0C, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0x03,
                                      0x32, 0x00, 0x03, 0x01, 0x02, 0x10, 0xFF, 0x03, 0x04, 0x99};
    memcpy(unit.abyConfig, config, sizeof(config));
    Open(unit, [&](CDialogView& view) {
        EXPECT_EQ("7", view.Text(IDC_ADDRESS));
        EXPECT_EQ("20", view.Text(IDC_ANSWER_DELAY));
        EXPECT_TRUE(view.IsEnabled(IDC_ANSWER_DELAY));
        EXPECT_FALSE(view.IsChecked(IDC_NO_ANSWER));
        EXPECT_EQ("1200", view.SelectionText(IDC_BAUD_RATE));
        EXPECT_EQ(kParityOdd, view.SelectionText(IDC_PARITY));
        EXPECT_TRUE(view.IsChecked(IDC_QUADRATURE_I0_I1));
        EXPECT_TRUE(view.IsChecked(IDC_QUADRATURE_I2_I3));
        EXPECT_EQ(1, view.Selection(IDC_CURRENT_I0_I1)) << "low nibble 2: about 100 uA";
        EXPECT_EQ(2, view.Selection(IDC_CURRENT_I2_I3)) << "high nibble 3: about 150 uA";
        const char* const texts[8] = {"0.0", "7.5", "2.5", "5.0", "40.0", "637.5", "7.5", "10.0"};
        const int positions[8] = {0, 3, 1, 2, 16, 255, 3, 4};
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(positions[i], view.UpDownPosition(IDC_MIN_PULSE_SPIN_I0 + i)) << "pulse " << i;
            EXPECT_EQ(texts[i], view.Text(IDC_MIN_PULSE_I0 + i)) << "pulse " << i;
        }
        EXPECT_EQ("600", view.Text(IDC_TIMEOUT)) << "timeout 0 shows 600";
        EXPECT_FALSE(view.IsEnabled(IDC_TIMEOUT));
        EXPECT_FALSE(view.IsChecked(IDC_TIMEOUT_CHECK));
        EXPECT_FALSE(view.IsChecked(IDC_SERIES));
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, SpecialStoredValuesOnLoad)
{
    const struct
    {
        unsigned char byDelay, byCurrent, byParity;
        unsigned short wTimeout;
        const char* pszDelayText;
        bool bDelayEnabled, bNoAnswer;
        int nCurrentLow, nCurrentHigh;
        const char* pszParity;
        const char* pszTimeout;
        bool bTimeoutChecked;
    } cases[] = {
        {255, 0x21, 0, 0, "10", false, true, 0, 1, kParityNone, "600", false},
        {254, 0x00, 2, 1, "254", true, false, 0, 0, kParityEven, "1", true},
        {0, 0xF4, 3, 65535, "0", true, false, 0, 0, "", "65535", true},
        {0, 0x13, 200, 600, "0", true, false, 2, 0, "", "600", true},
    };
    for (const auto& c : cases) {
        BenchUnit unit = MakeUnit("A", "QX2250.10");
        unit.abyConfig[1] = c.byDelay;
        unit.abyConfig[3] = c.byParity;
        unit.abyConfig[4] = static_cast<unsigned char>(c.wTimeout & 0xFF);
        unit.abyConfig[5] = static_cast<unsigned char>(c.wTimeout >> 8);
        unit.abyConfig[11] = c.byCurrent;
        Open(unit, [&](CDialogView& view) {
            EXPECT_EQ(c.pszDelayText, view.Text(IDC_ANSWER_DELAY)) << int(c.byDelay);
            EXPECT_EQ(c.bDelayEnabled, view.IsEnabled(IDC_ANSWER_DELAY)) << int(c.byDelay);
            EXPECT_EQ(c.bNoAnswer, view.IsChecked(IDC_NO_ANSWER)) << int(c.byDelay);
            EXPECT_EQ(c.nCurrentLow, view.Selection(IDC_CURRENT_I0_I1)) << std::hex << int(c.byCurrent);
            EXPECT_EQ(c.nCurrentHigh, view.Selection(IDC_CURRENT_I2_I3)) << std::hex << int(c.byCurrent);
            EXPECT_EQ(c.pszParity, view.SelectionText(IDC_PARITY)) << "parity code " << int(c.byParity);
            EXPECT_EQ(c.pszTimeout, view.Text(IDC_TIMEOUT));
            EXPECT_EQ(c.bTimeoutChecked, view.IsChecked(IDC_TIMEOUT_CHECK));
            EXPECT_EQ(c.bTimeoutChecked, view.IsEnabled(IDC_TIMEOUT));
            view.Click(IDCANCEL);
        });
    }
}

TEST_F(ConfigDialogTest, InvalidBaudCodeLoadsTheDefaultBlock)
{
    const struct
    {
        unsigned char byBaudNibble, byParityByte;
        const char* pszBaud;
        const char* pszParity;
    } cases[] = {
        {0x5F, 0x9F, "2400", kParityEven},
        {0x72, 0xBF, "9600", kParityOdd},
        {0x30, 0xC0, "600", kParityNone},
        {0x41, 0x80, "1200", kParityEven},
        {0x6A, 0xA0, "4800", kParityOdd},
        {0xF0, 0x7F, "2400", kParityNone},
    };
    for (const auto& c : cases) {
        BenchUnit unit = MakeUnit("A", "QX2250.10");
        unit.abyConfig[2] = 0x19;         // no baud code
        unit.abyConfig[10] = 0x03;        // the unit's own quadrature is not shown
        unit.defaultBlock[8] = c.byBaudNibble;
        unit.defaultBlock[10] = c.byParityByte;
        unit.defaultBlock[15] = 42;
        unit.defaultBlock[16] = 255;
        Open(unit, [&](CDialogView& view) {
            EXPECT_EQ(c.pszBaud, view.SelectionText(IDC_BAUD_RATE)) << std::hex << int(c.byBaudNibble);
            EXPECT_EQ(c.pszParity, view.SelectionText(IDC_PARITY)) << std::hex << int(c.byParityByte);
            EXPECT_EQ("42", view.Text(IDC_ADDRESS));
            EXPECT_EQ("10", view.Text(IDC_ANSWER_DELAY));
            EXPECT_TRUE(view.IsChecked(IDC_NO_ANSWER));
            EXPECT_FALSE(view.IsEnabled(IDC_ANSWER_DELAY));
            EXPECT_FALSE(view.IsChecked(IDC_QUADRATURE_I0_I1));
            EXPECT_FALSE(view.IsChecked(IDC_QUADRATURE_I2_I3));
            EXPECT_EQ(0, view.Selection(IDC_CURRENT_I0_I1));
            EXPECT_EQ(0, view.Selection(IDC_CURRENT_I2_I3));
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(1, view.UpDownPosition(IDC_MIN_PULSE_SPIN_I0 + i));
                EXPECT_EQ("2.5", view.Text(IDC_MIN_PULSE_I0 + i));
                EXPECT_EQ(255, view.UpDownPosition(IDC_MAX_PULSE_SPIN_I0 + i));
                EXPECT_EQ("637.5", view.Text(IDC_MAX_PULSE_I0 + i));
            }
            EXPECT_EQ("600", view.Text(IDC_TIMEOUT));
            EXPECT_TRUE(view.IsChecked(IDC_TIMEOUT_CHECK));
            EXPECT_TRUE(view.IsEnabled(IDC_TIMEOUT));
            view.Click(IDCANCEL);
        });
    }
}

TEST_F(ConfigDialogTest, DefaultPathWritesItsTimeoutOn600)
{
    BenchUnit unit = MakeUnit("A", "TAVO-02");  // the timeout controls are hidden on this type
    unit.abyConfig[2] = 0;
    unit.defaultBlock[16] = 10;
    const int result = Open(unit, [&](CDialogView& view) { view.Click(IDC_WRITE_AND_TEST); });
    EXPECT_EQ(1, result);
    const BenchUnit written = Unit("A");
    EXPECT_EQ(600, written.abyConfig[4] | written.abyConfig[5] << 8) << "the hidden checkbox carries the default";
    EXPECT_EQ(7, written.abyConfig[0]);
    EXPECT_EQ(96, written.abyConfig[2]);
    EXPECT_EQ(2, written.abyConfig[3]);
}

TEST_F(ConfigDialogTest, NothingToLoadLeavesTheControlsEmpty)
{
    const auto expectEmpty = [](CDialogView& view) {
        EXPECT_EQ(5, view.ItemCount(IDC_BAUD_RATE)) << "the lists are filled";
        for (int id : {IDC_BAUD_RATE, IDC_PARITY, IDC_CURRENT_I0_I1, IDC_CURRENT_I2_I3})
            EXPECT_EQ(-1, view.Selection(id)) << id;
        for (int id : {IDC_ADDRESS, IDC_ANSWER_DELAY, IDC_TIMEOUT, IDC_MIN_PULSE_I0, IDC_MAX_PULSE_I0 + 3})
            EXPECT_EQ("", view.Text(id)) << id;
        for (int id : {IDC_NO_ANSWER, IDC_TIMEOUT_CHECK, IDC_QUADRATURE_I0_I1, IDC_QUADRATURE_I2_I3})
            EXPECT_FALSE(view.IsChecked(id)) << id;
        view.Click(IDCANCEL);
    };
    // No unit connected: the tester has no user configuration.
    m_pDialog->SetUnitType("TAVO-02");
    m_op.Expect("configuration", expectEmpty);
    EXPECT_EQ(-1, m_pDialog->Show(-1));

    // Invalid baud code and no default block.
    BenchUnit unit = MakeUnit("B");
    unit.abyConfig[2] = 0;
    unit.defaultBlock.clear();
    Open(unit, expectEmpty);

    // No owner at all: the template's own texts stay.
    CConfigDialog orphan(m_hHost, m_module.Handle());
    m_op.Expect("configuration without owner", [&](CDialogView& view) {
        EXPECT_EQ("Konfigurace \xE8\xED" "ta\xE8" "e", view.Title());
        EXPECT_EQ("Adresa:", view.Text(IDC_ADDRESS_LABEL));
        expectEmpty(view);
    });
    EXPECT_EQ(-1, orphan.Show(-1));
}

// ---- Validation and writing ---------------------------------------------------

TEST_F(ConfigDialogTest, WorkedExampleReachesTheUnitsEEPROM)
{
    BenchUnit unit = MakeUnit("A", "QX2250.10");
    memset(unit.abyConfig, 0x33, 20);  // everything else than the example
    unit.abyConfig[2] = 24;
    unit.abyConfig[20] = 0x5A;
    const int result = Open(unit, [&](CDialogView& view) {
        TypeWorkedExample(view);
        view.SetChecked(IDC_SERIES, true);
        view.Click(IDC_WRITE_AND_TEST);
    });
    ASSERT_EQ(1, result);
    const unsigned char expected[20] = {0x05, 0x0A, 0x60, 0x02, 0x58, 0x02, 0x73, 0x61, 0x76, 0x65,
                                        0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
    const BenchUnit written = Unit("A");
    EXPECT_EQ(0, memcmp(expected, written.abyConfig, 20)) << "the 20 written bytes";
    EXPECT_EQ(0x5A, written.abyConfig[20]) << "byte 20 never reaches the unit";
    EXPECT_EQ(5, m_pDialog->GetAddress());
    EXPECT_EQ(9600, m_pDialog->GetBaudRate());
    EXPECT_EQ(2, m_pDialog->GetParity());
    EXPECT_EQ(1, m_pDialog->IsSeries());
    const std::vector<ReportLine> reports = {{114, "(null)", Message(31)}};
    EXPECT_EQ(reports, m_reports.Lines());
    EXPECT_EQ(m_hHost, m_reports.Lines().at(0).hWnd) << "reported for the dialog's owner window";
    EXPECT_EQ(1, m_reports.Lines().at(0).nValue);
    EXPECT_EQ(0, m_reports.Lines().at(0).wValue);
}

struct RejectCase
{
    const char* pszName;
    void (*change)(CDialogView&);
    unsigned int nMessage;
    int nFocus;
};

TEST_F(ConfigDialogTest, EachRejectedValueShowsItsMessageAndFocus)
{
    const RejectCase cases[] = {
        {"address 0", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "0"); }, 21, IDC_ADDRESS},
        {"address 126", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "126"); }, 21, IDC_ADDRESS},
        {"address no number", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "1a"); }, 21, IDC_ADDRESS},
        {"delay 255 typed", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "255"); }, 22, IDC_ANSWER_DELAY},
        {"maximum I0 below minimum", [](CDialogView& v) { v.SetUpDown(32805, 10); v.SetUpDown(32809, 9); }, 27, 32782},
        {"maximum I1 below minimum", [](CDialogView& v) { v.SetUpDown(32806, 100); v.SetUpDown(32810, 99); }, 28, 32783},
        {"maximum I3 below minimum", [](CDialogView& v) { v.SetUpDown(32808, 255); v.SetUpDown(32812, 254); }, 30, 32785},
        {"timeout 0", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "0"); }, 46, IDC_TIMEOUT},
        {"timeout 65536", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "65536"); }, 46, IDC_TIMEOUT},
    };
    for (const RejectCase& c : cases) {
        m_reports.Clear();
        const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            TypeWorkedExample(view);
            c.change(view);
            ExpectBox(c.nMessage);
            view.Click(IDC_WRITE_AND_TEST);
            EXPECT_TRUE(view.IsOpen()) << c.pszName << ": the dialog stays open";
            EXPECT_EQ(c.nFocus, view.FocusId()) << c.pszName;
            int start = -1, end = -1;
            view.Selection(c.nFocus, &start, &end);
            EXPECT_EQ(0, start) << c.pszName;
            EXPECT_EQ(static_cast<int>(view.Text(c.nFocus).size()), end) << c.pszName << ": whole text selected";
            view.Click(IDCANCEL);
        });
        EXPECT_EQ(-1, result) << c.pszName;
        EXPECT_TRUE(m_reports.Lines().empty()) << c.pszName << ": no host report for a rejected value";
        EXPECT_EQ(0x01, Unit("A").abyConfig[12]) << c.pszName << ": nothing written";
    }
}

struct AcceptCase
{
    const char* pszName;
    void (*change)(CDialogView&);
    int nByte;      // a byte of the written record
    int nExpected;  // its value
};

TEST_F(ConfigDialogTest, BoundaryValuesPass)
{
    const AcceptCase cases[] = {
        {"address 1", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "1"); }, 0, 1},
        {"address 125", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "125"); }, 0, 125},
        {"delay 254", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "254"); }, 1, 254},
        {"no answer, empty delay", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, ""); v.SetChecked(IDC_NO_ANSWER, true); }, 1, 255},
        {"no answer, any delay", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "77"); v.SetChecked(IDC_NO_ANSWER, true); }, 1, 255},
        {"maximum I1 equal to minimum", [](CDialogView& v) { v.SetUpDown(32806, 100); v.SetUpDown(32810, 100); }, 17, 100},
        {"timeout 1", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "1"); }, 4, 1},
        {"timeout 65535", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "65535"); }, 5, 0xFF},
        {"timeout not ticked", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "99999"); v.SetChecked(IDC_TIMEOUT_CHECK, false); }, 4, 0},
        {"quadrature I2/I3", [](CDialogView& v) { v.SetChecked(IDC_QUADRATURE_I2_I3, true); }, 10, 2},
        {"currents", [](CDialogView& v) { v.Select(IDC_CURRENT_I0_I1, 2); v.Select(IDC_CURRENT_I2_I3, 1); }, 11, 0x23},
        {"odd parity", [](CDialogView& v) { v.Select(IDC_PARITY, 1); }, 3, 1},
        {"1200 Bd", [](CDialogView& v) { v.Select(IDC_BAUD_RATE, 1); }, 2, 12},
    };
    for (const AcceptCase& c : cases) {
        const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            TypeWorkedExample(view);
            c.change(view);
            view.Click(IDC_WRITE_AND_TEST);
        });
        EXPECT_EQ(1, result) << c.pszName;
        EXPECT_EQ(c.nExpected, Unit("A").abyConfig[c.nByte]) << c.pszName;
    }
}

TEST_F(ConfigDialogTest, CurrentCodesAreLimitedAndBaudKeptWithoutSelection)
{
    const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        TypeWorkedExample(view);
        ::SendDlgItemMessageA(view.Handle(), IDC_CURRENT_I0_I1, CB_SETITEMDATA, 0, 5);
        ::SendDlgItemMessageA(view.Handle(), IDC_CURRENT_I2_I3, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SendDlgItemMessageA(view.Handle(), IDC_BAUD_RATE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        view.Click(IDC_WRITE_AND_TEST);
    });
    ASSERT_EQ(1, result);
    EXPECT_EQ(0x03, Unit("A").abyConfig[11]) << "item data 5 gives code 3; no selection gives 0";
    EXPECT_EQ(0x60, Unit("A").abyConfig[2]) << "the loaded baud code stays";
}

TEST_F(ConfigDialogTest, FailedWriteKeepsTheDialogOpen)
{
    BenchUnit unit = MakeUnit("A", "QX2250.10");
    unit.bWriteEnabled = false;  // JP1 on WP
    const int result = Open(unit, [&](CDialogView& view) {
        TypeWorkedExample(view);
        view.SetText(IDC_ADDRESS, "9");
        view.SetChecked(IDC_SERIES, true);
        m_op.Expect("write error box", [&](CDialogView& box) {
            EXPECT_EQ("TAVO-01", box.Title());
            EXPECT_EQ(Message(33), box.MessageText());
            box.Click(IDOK);
        });
        view.Click(IDC_WRITE_AND_TEST);
        EXPECT_TRUE(view.IsOpen());
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(-1, result);
    const std::vector<ReportLine> reports = {{113, "(null)", Message(32)}};
    EXPECT_EQ(reports, m_reports.Lines());
    EXPECT_EQ(0, m_pDialog->IsSeries()) << "the series flag changes only with a successful write";

    // The carried-over record stayed empty: the next opening shows the unit's own address.
    Open(MakeUnit("B", "QX2250.10"), [&](CDialogView& view) {
        EXPECT_EQ("5", view.Text(IDC_ADDRESS));
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, WriteButtonFollowsTheMandatoryFields)
{
    Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        view.SetText(IDC_ADDRESS, "");
        EXPECT_FALSE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "no address";
        view.SetText(IDC_ADDRESS, "5");
        EXPECT_TRUE(view.IsEnabled(IDC_WRITE_AND_TEST));
        view.SetText(IDC_ANSWER_DELAY, "");
        EXPECT_FALSE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "address but no delay";
        view.SetChecked(IDC_NO_ANSWER, true);
        EXPECT_TRUE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "no delay needed when the unit does not answer";
        EXPECT_FALSE(view.IsEnabled(IDC_ANSWER_DELAY));
        view.SetChecked(IDC_NO_ANSWER, false);
        EXPECT_FALSE(view.IsEnabled(IDC_WRITE_AND_TEST));
        EXPECT_TRUE(view.IsEnabled(IDC_ANSWER_DELAY));

        view.SetChecked(IDC_TIMEOUT_CHECK, false);
        EXPECT_FALSE(view.IsEnabled(IDC_TIMEOUT));
        view.SetChecked(IDC_TIMEOUT_CHECK, true);
        EXPECT_TRUE(view.IsEnabled(IDC_TIMEOUT));
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, OtherCommandsChangeNothing)
{
    Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        view.SetText(IDC_ANSWER_DELAY, "");
        ::EnableWindow(view.Item(IDC_WRITE_AND_TEST), TRUE);  // out of step on purpose
        ::EnableWindow(view.Item(IDC_TIMEOUT), FALSE);
        for (int id : {IDC_TIMEOUT, IDC_BAUD_RATE, IDC_PARITY, IDC_CURRENT_I0_I1, IDC_QUADRATURE_I0_I1,
                       IDC_QUADRATURE_I2_I3, IDC_SERIES, IDOK, 4242})
            view.Command(id);
        EXPECT_TRUE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "no command but the listed ones updates the button";
        EXPECT_FALSE(view.IsEnabled(IDC_TIMEOUT));
        EXPECT_TRUE(view.IsOpen());
        view.Command(IDCANCEL, 0x1234);  // any notification code: only the low 16 bits count
    });
}

// ---- Spinners and wheel ----------------------------------------------------------

TEST_F(ConfigDialogTest, AnyUpDownRefreshesAllEightTexts)
{
    Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        for (int i = 0; i < 8; ++i)
            ::SendMessageA(view.Item(IDC_MIN_PULSE_SPIN_I0 + i), UDM_SETPOS32, 0, 10 * i);
        view.SetUpDown(IDC_MAX_PULSE_SPIN_I0 + 3, 3);
        const char* const texts[8] = {"0.0", "25.0", "50.0", "75.0", "100.0", "125.0", "150.0", "7.5"};
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(texts[i], view.Text(IDC_MIN_PULSE_I0 + i)) << "pulse " << i;
        view.Click(IDCANCEL);
    });
}

struct WheelCase
{
    const char* pszName;
    void (*prepare)(CDialogView&);
    int nFocus;
    int nDelta;
    int nReadId;         // an edit's text, or an up-down's position (see bPosition)
    bool bPosition;
    const char* pszExpected;
};

TEST_F(ConfigDialogTest, WheelStepsTheFocusedValue)
{
    const WheelCase cases[] = {
        {"address 125 up", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "125"); }, IDC_ADDRESS, 120, IDC_ADDRESS, false, "125"},
        {"address 1 down", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "1"); }, IDC_ADDRESS, -120, IDC_ADDRESS, false, "1"},
        {"address empty up", [](CDialogView& v) { v.SetText(IDC_ADDRESS, ""); }, IDC_ADDRESS, 120, IDC_ADDRESS, false, "1"},
        {"address empty down", [](CDialogView& v) { v.SetText(IDC_ADDRESS, ""); }, IDC_ADDRESS, -120, IDC_ADDRESS, false, "1"},
        {"address 50 up", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "50"); }, IDC_ADDRESS, 120, IDC_ADDRESS, false, "51"},
        {"address zero delta", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "50"); }, IDC_ADDRESS, 0, IDC_ADDRESS, false, "49"},
        {"delay 252 up", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "252"); }, IDC_ANSWER_DELAY, 120, IDC_ANSWER_DELAY, false, "254"},
        {"delay 3 down", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "3"); }, IDC_ANSWER_DELAY, -120, IDC_ANSWER_DELAY, false, "0"},
        {"delay 100 down", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "100"); }, IDC_ANSWER_DELAY, -240, IDC_ANSWER_DELAY, false, "95"},
        {"pulse 253 up on its edit", [](CDialogView& v) { v.SetUpDown(32806, 253); }, 32779, 120, 32806, true, "255"},
        {"pulse 2 down on its up-down", [](CDialogView& v) { v.SetUpDown(32811, 2); }, 32811, -120, 32811, true, "0"},
        {"pulse 100 up on its up-down", [](CDialogView& v) { v.SetUpDown(32805, 100); }, 32805, 120, 32805, true, "105"},
        {"focus on a list", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "50"); }, IDC_PARITY, 120, IDC_ADDRESS, false, "50"},
        {"focus on a checkbox", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "50"); }, IDC_SERIES, 120, IDC_ADDRESS, false, "50"},
        {"focus on a button", [](CDialogView& v) { v.SetUpDown(32805, 100); }, IDCANCEL, 120, 32805, true, "100"},
    };
    for (const WheelCase& c : cases) {
        Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            c.prepare(view);
            view.Focus(c.nFocus);
            view.Wheel(c.nDelta);
            if (c.bPosition) {
                EXPECT_EQ(atoi(c.pszExpected), view.UpDownPosition(c.nReadId)) << c.pszName;
                char expectedText[16];
                snprintf(expectedText, sizeof(expectedText), "%2.1f", atoi(c.pszExpected) * 2.5);
                EXPECT_EQ(expectedText, view.Text(c.nReadId - IDC_MIN_PULSE_SPIN_I0 + IDC_MIN_PULSE_I0)) << c.pszName;
            } else {
                EXPECT_EQ(c.pszExpected, view.Text(c.nReadId)) << c.pszName;
            }
            view.Click(IDCANCEL);
        });
    }
}

TEST_F(ConfigDialogTest, WheelChangesOnlyTheFocusedPair)
{
    Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        for (int i = 0; i < 8; ++i)
            view.SetUpDown(IDC_MIN_PULSE_SPIN_I0 + i, 100);
        view.Focus(32784);  // maximum I2's edit
        view.Wheel(-120);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(i == 6 ? 95 : 100, view.UpDownPosition(IDC_MIN_PULSE_SPIN_I0 + i)) << "pulse " << i;
        view.SetText(IDC_ADDRESS, "");
        EXPECT_FALSE(view.IsEnabled(IDC_WRITE_AND_TEST));
        view.Focus(IDC_ADDRESS);
        view.Wheel(120);
        EXPECT_TRUE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "a wheel change is an ordinary text change";
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, DisabledDelayCannotBeStepped)
{
    Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        view.SetChecked(IDC_NO_ANSWER, true);
        view.Focus(IDC_ANSWER_DELAY);
        EXPECT_NE(IDC_ANSWER_DELAY, view.FocusId()) << "a disabled edit takes no focus";
        const std::string before = view.Text(IDC_ANSWER_DELAY);
        view.Wheel(120);
        EXPECT_EQ(before, view.Text(IDC_ANSWER_DELAY));
        view.Click(IDCANCEL);
    });
}

// ---- The carried-over record of a series ---------------------------------------------

TEST_F(ConfigDialogTest, SeriesCarriesTheCommunicationSettingsToTheNextUnit)
{
    ASSERT_EQ(1, Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        TypeWorkedExample(view);
        view.SetText(IDC_ADDRESS, "7");
        view.SetText(IDC_ANSWER_DELAY, "20");
        view.Select(IDC_BAUD_RATE, 1);
        view.Select(IDC_PARITY, 1);
        view.SetChecked(IDC_SERIES, true);
        view.Click(IDC_WRITE_AND_TEST);
    }));
    m_pDialog->AdvanceAddress();

    BenchUnit next = MakeUnit("B", "QX2250.10", "00000002");
    const unsigned char own[21] = {0x30, 0x00, 0x60, 0x00, 0x2C, 0x01, 0, 0, 0, 0, 0x01,
                                   0x30, 0x04, 0x04, 0x04, 0x04, 0x08, 0x08, 0x08, 0x08, 0x77};
    memcpy(next.abyConfig, own, sizeof(own));
    Open(next, [&](CDialogView& view) {
        EXPECT_EQ("8", view.Text(IDC_ADDRESS)) << "the previous unit's address, advanced";
        EXPECT_EQ("20", view.Text(IDC_ANSWER_DELAY));
        EXPECT_EQ("1200", view.SelectionText(IDC_BAUD_RATE));
        EXPECT_EQ(kParityOdd, view.SelectionText(IDC_PARITY));
        EXPECT_TRUE(view.IsChecked(IDC_SERIES));
        EXPECT_TRUE(view.IsChecked(IDC_QUADRATURE_I0_I1)) << "the unit's own quadrature";
        EXPECT_EQ(2, view.Selection(IDC_CURRENT_I2_I3)) << "the unit's own currents";
        EXPECT_EQ("10.0", view.Text(IDC_MIN_PULSE_I0)) << "the unit's own pulse times";
        EXPECT_EQ("300", view.Text(IDC_TIMEOUT)) << "the unit's own timeout";
        view.Click(IDCANCEL);
    });
    // A cancelled dialog leaves the carried-over record in place.
    Open(next, [&](CDialogView& view) {
        EXPECT_EQ("8", view.Text(IDC_ADDRESS));
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, AdvanceAddressWrapsAfter125WithOneWarning)
{
    ASSERT_EQ(1, Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        TypeWorkedExample(view);
        view.SetText(IDC_ADDRESS, "124");
        view.Click(IDC_WRITE_AND_TEST);
    }));
    m_pDialog->AdvanceAddress();  // 125: no message box (the operator fails on any)
    EXPECT_TRUE(m_op.Seen().size() == 1) << "no warning on the way to 125";

    const std::string warning = Message(20);
    m_op.Expect("address wrap warning", [&](CDialogView& box) {
        EXPECT_EQ("TAVO-01", box.Title());
        EXPECT_EQ(warning, box.MessageText());
        EXPECT_EQ(m_hHost, ::GetWindow(box.Handle(), GW_OWNER)) << "owned by the host window";
        box.Click(IDOK);
    });
    m_pDialog->AdvanceAddress();  // 126 becomes 1
    Open(MakeUnit("B", "QX2250.10"), [&](CDialogView& view) {
        EXPECT_EQ("1", view.Text(IDC_ADDRESS));
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(3u, m_op.Seen().size()) << "exactly one warning";
}

TEST_F(ConfigDialogTest, BaudRateOfUnknownCodesIs2400)
{
    for (unsigned char code : {0, 1, 23, 25, 255}) {
        Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            TypeWorkedExample(view);
            ::SendDlgItemMessageA(view.Handle(), IDC_BAUD_RATE, CB_SETITEMDATA, 4, code);
            view.Click(IDC_WRITE_AND_TEST);
        });
        EXPECT_EQ(2400, m_pDialog->GetBaudRate()) << int(code);
    }
}

TEST_F(ConfigDialogTest, NullInstanceAnswersMinusTwoAndReportsLine74)
{
    CConfigDialog dialog(m_hHost, nullptr);
    dialog.SetOwner(m_pOwner);
    EXPECT_EQ(-2, dialog.Show(-1));
    ASSERT_EQ(1, MyGetInvariantReportCount());
    MY_INVARIANT_REPORT report;
    MyGetInvariantReport(0, &report);
    EXPECT_STREQ("DlgConfig", report.szSource);
    EXPECT_EQ(74, report.nLine);
}

}  // namespace
