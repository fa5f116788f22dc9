// The unit configuration dialog (template 2020), opened by the shipped
// module's configuration command and driven through the real dialog under
// Wine: type variants, loading, validation and writing, the spinners and the
// wheel, and the carried-over record of a series.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "BuiltInTexts.h"
#include "ModuleFixture.h"
#include "TempFile.h"

namespace {

const int kInputsI2I3[] = {32777, 32791, 32821, 32780, 32781, 32784, 32785,
                           32807, 32808, 32811, 32812, 32826, 32827};

// Czech list texts, as the dialog holds them (code page 1250).
const char kParityNone[] = "\x8E\xE1" "dn\xE1 (NO)";
const char kParityOdd[] = "Lich\xE1 (ODD)";
const char kParityEven[] = "Sud\xE1 (EVEN)";

// A pulse time as its edit shows an up-down position: 2.5 ms steps.
std::string PulseText(int position)
{
    char text[16];
    snprintf(text, sizeof(text), "%2.1f", position * 2.5);
    return text;
}

// What the dialog shows of a record, as one line: address; answer delay,
// "no answer" when its box is ticked, "disabled" when its edit is; baud rate
// and parity entries; the two quadrature boxes (1: ticked) and the two
// current entries (-1: none); the eight pulse times; the timeout, "unticked"
// and "disabled" as for the delay; "series" when that box is ticked. A pulse
// time shown must be its up-down's position.
std::string Shown(CDialogView& view)
{
    const auto flag = [](bool on, const char* text) { return on ? std::string(" ") + text : std::string(); };
    std::string shown = "address " + view.Text(IDC_ADDRESS) + ", delay " + view.Text(IDC_ANSWER_DELAY) +
                        flag(view.IsChecked(IDC_NO_ANSWER), "no answer") +
                        flag(!view.IsEnabled(IDC_ANSWER_DELAY), "disabled") + ", " +
                        view.SelectionText(IDC_BAUD_RATE) + ", " + view.SelectionText(IDC_PARITY) + ", quadrature " +
                        std::to_string(view.IsChecked(IDC_QUADRATURE_I0_I1)) +
                        std::to_string(view.IsChecked(IDC_QUADRATURE_I2_I3)) + ", currents " +
                        std::to_string(view.Selection(IDC_CURRENT_I0_I1)) + " " +
                        std::to_string(view.Selection(IDC_CURRENT_I2_I3)) + ", pulses";
    for (int i = 0; i < 8; ++i) {
        const std::string text = view.Text(IDC_MIN_PULSE_I0 + i);
        shown += " " + text;
        if (!text.empty()) {
            EXPECT_EQ(PulseText(view.UpDownPosition(IDC_MIN_PULSE_SPIN_I0 + i)), text) << "pulse " << i;
        }
    }
    return shown + ", timeout " + view.Text(IDC_TIMEOUT) + flag(!view.IsChecked(IDC_TIMEOUT_CHECK), "unticked") +
           flag(!view.IsEnabled(IDC_TIMEOUT), "disabled") + flag(view.IsChecked(IDC_SERIES), "series");
}

class ConfigDialogTest : public CModuleFixture
{
protected:
    // Connects unit and runs the configuration command; action drives its
    // configuration dialog to its end (a dialog it leaves open is a failure,
    // and is cancelled so that the command returns). Answers the command's
    // result: 2 after a Cancel there, 1 after a write whose test the unit
    // answered.
    int Open(const BenchUnit& unit, COperator::Action action) { return Run(unit, action, false); }
    // As Open, for an action that only reads and sets: the dialog must still
    // be open after it, and the runner cancels it.
    int Look(const BenchUnit& unit, COperator::Action action) { return Run(unit, action, true); }

    int Run(const BenchUnit& unit, COperator::Action action, bool leftOpen)
    {
        m_reports.Clear();
        CBench::Get().ClearCallLog();
        Bench({unit});
        ExpectConfig([action, leftOpen](CDialogView& view) {
            action(view);
            EXPECT_EQ(leftOpen, view.IsOpen()) << (leftOpen ? "the case ended the dialog it was to leave open"
                                                            : "the case left the dialog open");
            if (view.IsOpen())
                view.Click(IDCANCEL);
        });
        return Configure();
    }

    // In a configuration dialog: writes, and lets the test of the new setting run.
    void WriteAndTest(CDialogView& view)
    {
        ExpectTest();
        view.Click(IDC_WRITE_AND_TEST);
    }

    // The command ended at the configuration dialog: its Cancel, nothing written.
    void ExpectCancelledWithoutWrite(int result, const std::string& label = "")
    {
        EXPECT_EQ(2, result) << label;
        ASSERT_FALSE(m_reports.Lines().empty()) << label;
        EXPECT_EQ(Failure(43), m_reports.Lines().back()) << label;
        EXPECT_EQ(0, CountCalls(CBench::Get().CallLog(), "WriteConfig")) << label << ": nothing written";
    }

    // What the test of the new setting was given: "Reconnect BAUD 8 PARITY" and
    // the first address polled.
    std::string TestedLine() const
    {
        for (const std::string& call : CBench::Get().CallLog()) {
            if (call.compare(0, 10, "Reconnect ") == 0)
                return call.substr(10, call.rfind(' ') - 10);
        }
        return "no Reconnect";
    }

    // Fills every control the type lets the operator reach with the typical
    // record's values.
    static void TypeTypicalRecord(CDialogView& view)
    {
        const auto reachable = [&view](int id) { return view.IsVisible(id) && view.IsEnabled(id); };
        view.SetText(IDC_ADDRESS, "5");
        view.SetChecked(IDC_NO_ANSWER, false);
        view.SetText(IDC_ANSWER_DELAY, "10");
        view.Select(IDC_BAUD_RATE, 4);
        view.Select(IDC_PARITY, 2);
        if (reachable(IDC_TIMEOUT_CHECK)) {
            view.SetChecked(IDC_TIMEOUT_CHECK, true);
            view.SetText(IDC_TIMEOUT, "600");
        }
        view.SetChecked(IDC_QUADRATURE_I0_I1, false);
        view.Select(IDC_CURRENT_I0_I1, 0);
        if (reachable(IDC_CURRENT_I2_I3)) {
            view.SetChecked(IDC_QUADRATURE_I2_I3, false);
            view.Select(IDC_CURRENT_I2_I3, 0);
        }
        for (int i = 0; i < 4; ++i) {
            if (reachable(IDC_MIN_PULSE_SPIN_I0 + i)) {
                view.SetUpDown(IDC_MIN_PULSE_SPIN_I0 + i, 1);
                view.SetUpDown(IDC_MAX_PULSE_SPIN_I0 + i, 255);
            }
        }
    }
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
        {"QX2250.10 \x01", true, true, false},  // trimmed at blanks only: another type
        {"       QX2210.00", true, false, false},  // 16 characters without NUL, trimmed
        {"qx2250.10", true, true, false},       // so is another letter case
        {"qx2210.00", true, true, false},
        {"QX2210.0", true, true, false},
        {"TAVO-02", true, true, false},
    };
    for (const auto& variant : variants) {
        const int result = Look(MakeUnit("A", variant.pszType), [&](CDialogView& view) {
            for (int id : kInputsI2I3) {
                EXPECT_EQ(variant.bInputsVisible, view.IsVisible(id)) << variant.pszType << " control " << id;
                EXPECT_EQ(variant.bInputsEnabled, view.IsEnabled(id)) << variant.pszType << " control " << id;
            }
            EXPECT_EQ(variant.bTimeoutVisible, view.IsVisible(IDC_TIMEOUT_CHECK)) << variant.pszType;
            EXPECT_EQ(variant.bTimeoutVisible, view.IsVisible(IDC_TIMEOUT)) << variant.pszType;
            EXPECT_TRUE(view.IsVisible(IDC_QUADRATURE_I0_I1)) << "the I0/I1 controls always stay";
        });
        ExpectCancelledWithoutWrite(result, variant.pszType);
    }
}

// ---- Opening and loading ----------------------------------------------------

// A language file names the configuration, test and next-unit dialogs and
// every caption they set; each text is "<dialog>/<control> \u0161" there, in
// UTF-8, and shows in code page 1250 (a title as control 0).
TEST_F(ConfigDialogTest, LanguageFileNamesEveryDialogAndCaption)
{
    const auto text = [](unsigned int dialog, unsigned int id, const char* letter) {
        return std::to_string(dialog) + "/" + std::to_string(id) + " " + letter;
    };
    std::string items;
    for (unsigned int dialog : {IDD_CONFIG, IDD_TEST_CONFIG, IDD_CONFIRM}) {
        items += "<DialogItem ID=\"" + std::to_string(dialog) + "\" text=\"" + text(dialog, 0, "\xC5\xA1") + "\">";
        for (const BuiltInText& caption : kBuiltInCaptions) {
            if (caption.nDialog == dialog)
                items += "<ControlItem ID=\"" + std::to_string(caption.nId) + "\" text=\"" +
                         text(dialog, caption.nId, "\xC5\xA1") + "\"/>";
        }
        items += "</DialogItem>";
    }
    CTempFile file("dialogs.xml", "<TesterLanguage><Dialog>" + items + "</Dialog></TesterLanguage>");
    ASSERT_EQ(1, UseLanguage(file.Path())) << BenchLanguageError();
    const auto expectTexts = [text](CDialogView& view, unsigned int dialog) {
        EXPECT_EQ(text(dialog, 0, "\x9A"), view.Title());
        for (const BuiltInText& caption : kBuiltInCaptions) {
            // The answer-delay box keeps its template text: the module never asks for it.
            if (caption.nDialog == dialog && caption.nId != IDC_NO_ANSWER) {
                EXPECT_EQ(text(dialog, caption.nId, "\x9A"), view.Text(caption.nId));
            }
        }
    };
    CBench::Get().HoldPolls(BENCH_HOLD_ANSWERING);  // the test dialog stays open until its texts are read
    EXPECT_EQ(2, Open(MakeUnit("A"), [this, expectTexts](CDialogView& view) {
        expectTexts(view, IDD_CONFIG);
        ExpectTest([expectTexts](CDialogView& test) {
            expectTexts(test, IDD_TEST_CONFIG);
            CBench::Get().HoldPolls(BENCH_HOLD_NONE);
        });
        ExpectNext([expectTexts](CDialogView& next) {
            expectTexts(next, IDD_CONFIRM);
            next.Click(IDCANCEL);
        });
        view.SetChecked(IDC_SERIES, true);
        view.Click(IDC_WRITE_AND_TEST);
    }));
}

TEST_F(ConfigDialogTest, OpensWithListsRangesPictureAndTexts)
{
    Look(MakeUnit("A", "TAVO-02"), [&](CDialogView& view) {
        EXPECT_EQ("TAVO configuration", view.Title());
        EXPECT_EQ("Address:", view.Text(IDC_ADDRESS_LABEL));
        EXPECT_EQ("Communication timeout [ms]", view.Text(IDC_TIMEOUT_CHECK));
        EXPECT_EQ("Write and test", view.Text(IDC_WRITE_AND_TEST));
        EXPECT_EQ("Cancel", view.Text(IDCANCEL));
        EXPECT_EQ("configuration unit series", view.Text(IDC_SERIES));
        EXPECT_EQ("I3 - time between pulses [ms]:", view.Text(IDC_PULSE_I3_LABEL));
        EXPECT_EQ("neodpov\xED" "dat", view.Text(IDC_NO_ANSWER)) << "the checkboxes keep their template texts";
        EXPECT_EQ("I0 a I1", view.Text(IDC_QUADRATURE_I0_I1));

        typedef std::vector<std::pair<std::string, LRESULT>> Entries;
        const Entries currents = {
            {"p\xF8ibli\x9En\xEC 50uA", 0}, {"p\xF8ibli\x9En\xEC 100uA", 2}, {"p\xF8ibli\x9En\xEC 150uA", 3}};
        const std::pair<int, Entries> lists[] = {
            {IDC_BAUD_RATE, {{"600", 6}, {"1200", 12}, {"2400", 24}, {"4800", 48}, {"9600", 96}}},
            {IDC_PARITY, {{kParityNone, 0}, {kParityOdd, 1}, {kParityEven, 2}}},
            {IDC_CURRENT_I0_I1, currents},
            {IDC_CURRENT_I2_I3, currents},
        };
        for (const auto& [id, entries] : lists) {
            Entries shown;
            for (int i = 0; i < view.ItemCount(id); ++i)
                shown.emplace_back(view.ItemText(id, i), view.ItemData(id, i));
            EXPECT_EQ(entries, shown) << "list " << id;
        }
        for (int i = 0; i < 8; ++i) {
            int lower = -1, upper = -1;
            view.UpDownRange(IDC_MIN_PULSE_SPIN_I0 + i, &lower, &upper);
            EXPECT_EQ(0, lower);
            EXPECT_EQ(255, upper);
        }
        EXPECT_NE(0, ::SendMessageA(view.Item(IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0)) << "bitmap 2023 shown";
    });
}

TEST_F(ConfigDialogTest, LoadsTheUnitsUserConfiguration)
{
    BenchUnit unit = MakeUnit("A", "TAVO-02");
    const unsigned char config[21] = {0x07, 0x14, 0x0C, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0x03,
                                      0x32, 0x00, 0x03, 0x01, 0x02, 0x10, 0xFF, 0x03, 0x04, 0x99};
    memcpy(unit.abyConfig, config, sizeof(config));
    Look(unit, [&](CDialogView& view) {
        // Currents: low nibble 2, about 100 uA; high nibble 3, about 150 uA. Timeout 0 shows 600.
        EXPECT_EQ("address 7, delay 20, 1200, " + std::string(kParityOdd) +
                      ", quadrature 11, currents 1 2, pulses 0.0 7.5 2.5 5.0 40.0 637.5 7.5 10.0, "
                      "timeout 600 unticked disabled",
                  Shown(view));
    });
}

TEST_F(ConfigDialogTest, SpecialStoredValuesOnLoad)
{
    const std::string pulses = ", pulses 2.5 2.5 2.5 2.5 637.5 637.5 637.5 637.5, timeout ";
    const struct
    {
        unsigned char byDelay, byCurrent, byParity;
        unsigned short wTimeout;
        std::string strShown;
    } cases[] = {
        {255, 0x21, 0, 0,
         "delay 10 no answer disabled, 9600, " + std::string(kParityNone) + ", quadrature 00, currents 0 1" + pulses +
             "600 unticked disabled"},
        {254, 0x00, 2, 1,
         "delay 254, 9600, " + std::string(kParityEven) + ", quadrature 00, currents 0 0" + pulses + "1"},
        {0, 0xF4, 3, 65535, "delay 0, 9600, , quadrature 00, currents 0 0" + pulses + "65535"},
        {0, 0x13, 200, 600, "delay 0, 9600, , quadrature 00, currents 2 0" + pulses + "600"},
    };
    for (const auto& c : cases) {
        BenchUnit unit = MakeUnit("A", "QX2250.10");
        unit.abyConfig[1] = c.byDelay;
        unit.abyConfig[3] = c.byParity;
        unit.abyConfig[4] = static_cast<unsigned char>(c.wTimeout & 0xFF);
        unit.abyConfig[5] = static_cast<unsigned char>(c.wTimeout >> 8);
        unit.abyConfig[11] = c.byCurrent;
        Look(unit, [&](CDialogView& view) { EXPECT_EQ("address 5, " + c.strShown, Shown(view)); });
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
        Look(unit, [&](CDialogView& view) {
            EXPECT_EQ("address 42, delay 10 no answer disabled, " + std::string(c.pszBaud) + ", " + c.pszParity +
                          ", quadrature 00, currents 0 0, pulses 2.5 2.5 2.5 2.5 637.5 637.5 637.5 637.5, timeout 600",
                      Shown(view))
                << std::hex << int(c.byBaudNibble) << " " << int(c.byParityByte);
        });
    }
}

TEST_F(ConfigDialogTest, DefaultPathWritesItsTimeoutOn600)
{
    BenchUnit unit = MakeUnit("A", "TAVO-02");  // the timeout controls are hidden on this type
    unit.abyConfig[2] = 0;
    unit.defaultBlock[16] = 10;
    const int result = Open(unit, [&](CDialogView& view) { WriteAndTest(view); });
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
        EXPECT_EQ("address , delay , , , quadrature 00, currents -1 -1, pulses        , timeout  unticked",
                  Shown(view));
    };
    // The tester has no user configuration.
    CBench::Get().FailCall("ReadUserConfig", 1);
    Look(MakeUnit("A", "TAVO-02"), expectEmpty);

    // Invalid baud code and no default block: the empty dialog, filled in,
    // writes what the operator chose and nothing else, and the series goes on.
    BenchUnit unit = MakeUnit("B", "TAVO-02");
    unit.abyConfig[2] = 0;
    unit.defaultBlock.clear();
    const int result = Open(unit, [&](CDialogView& view) {
        expectEmpty(view);
        CBench::Get().Put(MakeUnit("C", "TAVO-02", "00012346"));
        TypeTypicalRecord(view);
        view.SetChecked(IDC_SERIES, true);
        WriteAndTest(view);
        ExpectNextUnit("C");
        ExpectConfig([](CDialogView& carried) {
            EXPECT_EQ("6", carried.Text(IDC_ADDRESS)) << "the next address";
            carried.Click(IDCANCEL);
        });
    });
    EXPECT_EQ(2, result);
    // A TAVO-02 shows no timeout: the empty dialog's box, unticked, writes 0.
    std::vector<unsigned char> chosen(kTypicalRecord, kTypicalRecord + 20);
    chosen[4] = chosen[5] = 0;
    const BenchUnit written = Unit("B");
    EXPECT_EQ(chosen, std::vector<unsigned char>(written.abyConfig, written.abyConfig + 20))
        << "the record the operator chose";
    ExpectReports(Join({{Opening()}, ConfiguredAt("00012345", 5), {Opening(), Progress(37), Failure(43)}}));
}

// ---- Validation and writing ---------------------------------------------------

TEST_F(ConfigDialogTest, TypicalRecordReachesTheUnitsEEPROM)
{
    BenchUnit unit = MakeUnit("A", "QX2250.10");
    memset(unit.abyConfig, 0x33, 20);  // everything the operator can reach else than the record
    unit.abyConfig[2] = 24;
    unit.abyConfig[10] = 0x01;  // the I2/I3 pair's quadrature and current are hidden on this type,
    unit.abyConfig[11] = 0x03;  // and so are its pulse times
    const unsigned char pairsI2I3[] = {0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF};
    memcpy(unit.abyConfig + 14, pairsI2I3, 6);
    unit.abyConfig[20] = 0x5A;
    const int result = Open(unit, [&](CDialogView& view) {
        TypeTypicalRecord(view);
        view.SetChecked(IDC_SERIES, true);
        WriteAndTest(view);
        ExpectNextUnit(nullptr);  // the series asks for the next unit
    });
    EXPECT_EQ(2, result) << "a series ends with the next unit refused";
    const BenchUnit written = Unit("A");
    EXPECT_EQ(0, memcmp(kTypicalRecord, written.abyConfig, 20)) << "the 20 written bytes";
    EXPECT_EQ(0x5A, written.abyConfig[20]) << "byte 20 never reaches the unit";
    EXPECT_EQ("9600 8 2", TestedLine()) << "the test reconnects with the record's baud rate and parity";
    const std::vector<std::string> calls = CBench::Get().CallLog();
    const int reconnect =
        static_cast<int>(std::find(calls.begin(), calls.end(), "Reconnect 9600 8 2 1") - calls.begin());
    EXPECT_EQ("ExitConfig", calls.at(reconnect - 1));
    EXPECT_GE(CBench::Get().MillisecondsBetween(reconnect - 1, reconnect), 250.0)
        << "the worker gives the unit 300 ms to leave configuration mode before it reconnects";
    EXPECT_EQ(1, CountCalls(CBench::Get().CallLog(), "Poll 5 ")) << "and polls its address";
    ExpectReports(Join({{Opening()}, ConfiguredAt("00012345", 5), {Failure(41)}}));
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
        {"maximum I0 below minimum", [](CDialogView& v) { v.SetUpDown(32805, 10); v.SetUpDown(32809, 9); },
         27, 32782},
        {"maximum I1 below minimum", [](CDialogView& v) { v.SetUpDown(32806, 100); v.SetUpDown(32810, 99); },
         28, 32783},
        {"maximum I3 below minimum", [](CDialogView& v) { v.SetUpDown(32808, 255); v.SetUpDown(32812, 254); },
         30, 32785},
        {"timeout 0", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "0"); }, 46, IDC_TIMEOUT},
        {"timeout 65536", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "65536"); }, 46, IDC_TIMEOUT},
        {"timeout 70000", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "70000"); }, 46, IDC_TIMEOUT},  // not 4464
        // Validation stops at the first bad value: one box, for the address.
        {"address 0 and timeout 0", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "0"); v.SetText(IDC_TIMEOUT, "0"); },
         21, IDC_ADDRESS},
    };
    for (const RejectCase& c : cases) {
        // TAVO-02 shows every input, so its I2/I3 pairs are the operator's to set.
        const char* type = c.nMessage >= 27 && c.nMessage <= 30 ? "TAVO-02" : "QX2250.10";
        const int result = Look(MakeUnit("A", type), [&](CDialogView& view) {
            TypeTypicalRecord(view);
            c.change(view);
            ExpectBox(c.nMessage, IDI_EXCLAMATION, IDOK);
            view.Click(IDC_WRITE_AND_TEST);
            EXPECT_TRUE(view.IsOpen()) << c.pszName << ": the dialog stays open";
            EXPECT_EQ(c.nFocus, view.FocusId()) << c.pszName;
            int start = -1, end = -1;
            view.SelectedRange(c.nFocus, &start, &end);
            EXPECT_EQ(0, start) << c.pszName;
            EXPECT_EQ(static_cast<int>(view.Text(c.nFocus).size()), end) << c.pszName << ": whole text selected";
        });
        ExpectCancelledWithoutWrite(result, c.pszName);
        EXPECT_EQ(3u, m_reports.Lines().size()) << c.pszName << ": no report of the dialog's own for a rejected value";
    }
}

// The I2/I3 pairs of the QX2210.00 (disabled) and QX2250 (hidden) types are
// out of the operator's reach: a pair the unit holds with its maximum below
// its minimum is written as the dialog's default pair (2.5 ms to 637.5 ms)
// rather than refused for ever; reachable pairs and the pairs that are in
// order are written as they stand. Where the pair is shown, it shows what is
// written, and the debugger output says the stored pair was replaced.
// A stored I2/I3 pair out of the operator's reach whose maximum lies below
// its minimum is written as the default pair; a QX2210.00, which shows the
// pair locked, shows that default pair and says so. A maximum equal to its
// minimum is in order and stays.
TEST_F(ConfigDialogTest, PulsePairsOutOfReachAreMadeWritable)
{
    const struct
    {
        const char* pszWhat;
        unsigned char abyMinima[4], abyMaxima[4];
        unsigned char abyWrittenMinima[4], abyWrittenMaxima[4];
        std::vector<int> replaced;  // the inputs said on the debugger output
    } cases[] = {
        {"I2 out of order", {3, 4, 200, 6}, {9, 8, 100, 7}, {3, 4, 1, 6}, {9, 8, 255, 7}, {2}},
        {"I3 out of order", {3, 4, 5, 6}, {9, 8, 7, 5}, {3, 4, 5, 1}, {9, 8, 7, 255}, {3}},
        {"both out of order", {3, 4, 5, 6}, {9, 8, 4, 5}, {3, 4, 1, 1}, {9, 8, 255, 255}, {2, 3}},
        {"maxima equal to minima", {3, 4, 100, 6}, {9, 8, 100, 6}, {3, 4, 100, 6}, {9, 8, 100, 6}, {}},
    };
    for (const auto& c : cases) {
        for (const char* type : {"QX2210.00", "QX2250.10"}) {
            SCOPED_TRACE(std::string(c.pszWhat) + ", " + type);
            BenchUnit unit = MakeUnit("A", type);
            memcpy(unit.abyConfig + 12, c.abyMinima, 4);
            memcpy(unit.abyConfig + 16, c.abyMaxima, 4);
            const bool shown = strcmp(type, "QX2210.00") == 0;
            m_debug.Clear();
            ASSERT_EQ(1, Open(unit, [&](CDialogView& view) {
                for (int i = 0; i < 8; ++i) {
                    // A QX2210.00 shows what it will write; a QX2250 type holds the stored pair hidden.
                    const unsigned char* pulses = i < 4 ? (shown ? c.abyWrittenMinima : c.abyMinima)
                                                        : (shown ? c.abyWrittenMaxima : c.abyMaxima);
                    EXPECT_EQ(PulseText(pulses[i % 4]), view.Text(IDC_MIN_PULSE_I0 + i)) << "pulse " << i;
                }
                WriteAndTest(view);
            }));
            std::vector<std::string> said;
            for (int input : c.replaced) {
                if (shown)
                    said.push_back("Ulozene casy I" + std::to_string(input) +
                                   " maji maximum pod minimem, zapise se 2.5 az 637.5 ms\n");
            }
            EXPECT_EQ(said, m_debug.Texts());
            const BenchUnit written = Unit("A");
            EXPECT_EQ(0, memcmp(c.abyWrittenMinima, written.abyConfig + 12, 4));
            EXPECT_EQ(0, memcmp(c.abyWrittenMaxima, written.abyConfig + 16, 4));
        }
    }
}

struct AcceptCase
{
    const char* pszName;
    void (*change)(CDialogView&);
    int nByte;      // a byte of the written record
    int nExpected;  // its value
    const char* pszType = "QX2250.10";  // TAVO-02 for the I2/I3 controls, which it shows
    void (*store)(BenchUnit&) = nullptr;  // what the unit holds, when not the typical record
};

TEST_F(ConfigDialogTest, BoundaryValuesPass)
{
    const AcceptCase cases[] = {
        {"address 1", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "1"); }, 0, 1},
        {"address 125", [](CDialogView& v) { v.SetText(IDC_ADDRESS, "125"); }, 0, 125},
        {"delay 254", [](CDialogView& v) { v.SetText(IDC_ANSWER_DELAY, "254"); }, 1, 254},
        {"maximum I1 equal to minimum", [](CDialogView& v) { v.SetUpDown(32806, 100); v.SetUpDown(32810, 100); },
         17, 100},
        {"timeout 1", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "1"); }, 4, 1},
        {"timeout 65535", [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "65535"); }, 5, 0xFF},
        {"timeout not ticked",
         [](CDialogView& v) { v.SetText(IDC_TIMEOUT, "99999"); v.SetChecked(IDC_TIMEOUT_CHECK, false); }, 4, 0},
        {"quadrature I2/I3", [](CDialogView& v) { v.SetChecked(IDC_QUADRATURE_I2_I3, true); }, 10, 2, "TAVO-02"},
        {"currents", [](CDialogView& v) { v.Select(IDC_CURRENT_I0_I1, 2); v.Select(IDC_CURRENT_I2_I3, 1); }, 11, 0x23,
         "TAVO-02"},
        {"odd parity", [](CDialogView& v) { v.Select(IDC_PARITY, 1); }, 3, 1},
        {"1200 Bd", [](CDialogView& v) { v.Select(IDC_BAUD_RATE, 1); }, 2, 12},
        // The first entry of each list over a stored other value.
        {"600 Bd over 9600", [](CDialogView& v) { v.Select(IDC_BAUD_RATE, 0); }, 2, 6},
        {"no parity over even", [](CDialogView& v) { v.Select(IDC_PARITY, 0); }, 3, 0},
        {"the first currents over 150 uA", [](CDialogView&) {}, 11, 0x00, "TAVO-02",
         [](BenchUnit& u) { u.abyConfig[11] = 0x33; }},
        // The hidden, unticked timeout box of a type without one carries its 0 into the write.
        {"stored timeout 0, no timeout controls", [](CDialogView&) {}, 4, 0, "TAVO-02",
         [](BenchUnit& u) { u.abyConfig[4] = u.abyConfig[5] = 0; }},
    };
    for (const AcceptCase& c : cases) {
        BenchUnit unit = MakeUnit("A", c.pszType);
        if (c.store)
            c.store(unit);
        const int result = Open(unit, [&](CDialogView& view) {
            TypeTypicalRecord(view);
            c.change(view);
            WriteAndTest(view);
        });
        EXPECT_EQ(1, result) << c.pszName;
        EXPECT_EQ(c.nExpected, Unit("A").abyConfig[c.nByte]) << c.pszName;
    }
}

// "Does not answer" ticked writes 255 whatever the edit holds; a unit so
// written never answers its test, which the operator gives up.
TEST_F(ConfigDialogTest, NoAnswerBoxWritesDelay255)
{
    for (const char* delay : {"", "77"}) {
        const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            TypeTypicalRecord(view);
            view.SetText(IDC_ANSWER_DELAY, delay);
            view.SetChecked(IDC_NO_ANSWER, true);
            ExpectTestGivenUp();
            ExpectConfig([](CDialogView& again) { again.Click(IDCANCEL); });  // the pass again
            view.Click(IDC_WRITE_AND_TEST);
        });
        EXPECT_EQ(2, result) << "delay \"" << delay << "\"";
        EXPECT_EQ(255, Unit("A").abyConfig[1]) << "delay \"" << delay << "\"";
    }
}

TEST_F(ConfigDialogTest, CurrentCodesAreLimitedAndBaudKeptWithoutSelection)
{
    BenchUnit unit = MakeUnit("A", "QX2250.10");
    unit.abyConfig[2] = 12;  // stored 1200 Bd, not the 9600 selected before the selection is taken away
    const int result = Open(unit, [&](CDialogView& view) {
        TypeTypicalRecord(view);
        ::SendDlgItemMessageA(view.Handle(), IDC_CURRENT_I0_I1, CB_SETITEMDATA, 0, 5);
        ::SendDlgItemMessageA(view.Handle(), IDC_CURRENT_I2_I3, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SendDlgItemMessageA(view.Handle(), IDC_BAUD_RATE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        WriteAndTest(view);
    });
    ASSERT_EQ(1, result);
    EXPECT_EQ(0x03, Unit("A").abyConfig[11]) << "item data 5 gives code 3; no selection gives 0";
    EXPECT_EQ(12, Unit("A").abyConfig[2]) << "the loaded baud code stays";
    EXPECT_EQ("1200 8 2", TestedLine());
}

// No baud code and no default block to fall back on: the lists the operator
// leaves unchosen write what the unit held, never a code of the dialog's own.
TEST_F(ConfigDialogTest, UnchosenListsKeepTheStoredCodesWithoutADefaultBlock)
{
    BenchUnit unit = MakeUnit("A", "TAVO-02");
    unit.abyConfig[2] = 0x19;
    unit.abyConfig[3] = 7;
    unit.defaultBlock.clear();
    Open(unit, [&](CDialogView& view) {
        view.SetText(IDC_ADDRESS, "9");
        view.SetText(IDC_ANSWER_DELAY, "10");
        // No unit answers on that setting: the operator gives up, and the
        // procedure offers the unit again.
        ExpectTest([](CDialogView& test) { test.Click(IDCANCEL); });
        ExpectConfig([](CDialogView& again) { again.Click(IDCANCEL); });
        view.Click(IDC_WRITE_AND_TEST);
    });
    EXPECT_EQ(0x19, Unit("A").abyConfig[2]) << "the stored baud code";
    EXPECT_EQ(7, Unit("A").abyConfig[3]) << "the stored parity code";
}

TEST_F(ConfigDialogTest, FailedWriteKeepsTheDialogOpen)
{
    BenchUnit unit = MakeUnit("A", "QX2250.10");
    unit.bWriteEnabled = false;  // JP1 on WP
    const int result = Look(unit, [&](CDialogView& view) {
        TypeTypicalRecord(view);
        view.SetText(IDC_ADDRESS, "9");
        view.SetChecked(IDC_SERIES, true);
        ExpectBox(33, IDI_HAND, IDOK);
        view.Click(IDC_WRITE_AND_TEST);
        EXPECT_TRUE(view.IsOpen());
    });
    EXPECT_EQ(2, result);
    ExpectReports({Opening(), Progress(37), Failure(32), Failure(43)});
    EXPECT_EQ(5, Unit("A").abyConfig[0]) << "nothing written";
}

TEST_F(ConfigDialogTest, WriteButtonFollowsTheMandatoryFields)
{
    Look(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
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
    });
}

// The automation does only what a person can: a disabled or hidden control
// refuses, the attempt is a failure naming it, and the dialog is as it was.
// So a dialog that wrongly leaves "Write and test" disabled fails every test
// that presses it.
TEST_F(ConfigDialogTest, OperatorRefusesWhatAPersonCannotReach)
{
    Look(MakeUnit("A", "QX2210.00"), [&](CDialogView& view) {
        const std::string before = Shown(view);
        COperator person;
        CDialogView hand(person, view.Handle());
        hand.Click(IDC_QUADRATURE_I2_I3);   // disabled on this type
        hand.Select(IDC_CURRENT_I2_I3, 2);  // disabled
        hand.SetText(IDC_TIMEOUT, "700");   // hidden
        hand.SetText(IDC_ADDRESS, "");
        hand.Click(IDC_WRITE_AND_TEST);     // disabled without an address
        const std::vector<std::string> refused = person.Failures();
        const char* const expected[] = {"click control 32777", "choose in control 32791", "type into control 32831",
                                        "click control 32788"};
        ASSERT_EQ(4u, refused.size()) << ::testing::PrintToString(refused);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_NE(std::string::npos, refused[i].find(expected[i])) << refused[i];
        EXPECT_NE(std::string::npos, refused[3].find("it is disabled")) << refused[3];
        EXPECT_NE(std::string::npos, refused[2].find("it is hidden")) << refused[2];
        EXPECT_TRUE(view.IsOpen());
        view.SetText(IDC_ADDRESS, "5");
        EXPECT_EQ(before, Shown(view)) << "a refused action changes nothing";
    });
}

TEST_F(ConfigDialogTest, OtherCommandsChangeNothing)
{
    const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        view.SetText(IDC_ANSWER_DELAY, "");
        view.SetChecked(IDC_TIMEOUT_CHECK, false);
        ::EnableWindow(view.Item(IDC_WRITE_AND_TEST), TRUE);  // out of step on purpose
        ::EnableWindow(view.Item(IDC_TIMEOUT), TRUE);
        for (int id : {IDC_TIMEOUT, IDC_BAUD_RATE, IDC_PARITY, IDC_CURRENT_I0_I1, IDC_QUADRATURE_I0_I1, IDC_SERIES,
                       IDOK, 4242})
            view.Command(id);
        EXPECT_TRUE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "no command but the listed ones updates the button";
        EXPECT_TRUE(view.IsEnabled(IDC_TIMEOUT)) << "only the timeout box sets its edit's state";
        EXPECT_TRUE(view.IsOpen());
        view.Command(IDCANCEL, 0x1234);  // any notification code: only the low 16 bits count
    });
    ExpectCancelledWithoutWrite(result);
}

// ---- Spinners and wheel ----------------------------------------------------------

TEST_F(ConfigDialogTest, AnyUpDownRefreshesAllEightTexts)
{
    Look(MakeUnit("A", "TAVO-02"), [&](CDialogView& view) {
        for (int i = 0; i < 8; ++i)
            ::SendMessageA(view.Item(IDC_MIN_PULSE_SPIN_I0 + i), UDM_SETPOS32, 0, 10 * i);
        view.SetUpDown(IDC_MAX_PULSE_SPIN_I0 + 3, 3);
        const char* const texts[8] = {"0.0", "25.0", "50.0", "75.0", "100.0", "125.0", "150.0", "7.5"};
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(texts[i], view.Text(IDC_MIN_PULSE_I0 + i)) << "pulse " << i;
    });
}

// Every control's text, and an up-down's position, by control ID.
std::map<int, std::string> Controls(CDialogView& view)
{
    std::map<int, std::string> controls;
    for (HWND child = ::GetWindow(view.Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        controls[id] = view.Text(id);
        if (id >= IDC_MIN_PULSE_SPIN_I0 && id < IDC_MIN_PULSE_SPIN_I0 + 8)
            controls[id] += "@" + std::to_string(view.UpDownPosition(id));
    }
    return controls;
}

// A value set, the focus put and the wheel turned. The value is an edit's
// text, or a pulse up-down's position, which its edit shows in 2.5 ms steps.
struct WheelCase
{
    const char* pszName;
    int nValueId;
    const char* pszValue;
    int nFocus;
    int nDelta;
    const char* pszExpected;
};

TEST_F(ConfigDialogTest, WheelStepsTheFocusedValue)
{
    const WheelCase cases[] = {
        {"address 125 up", IDC_ADDRESS, "125", IDC_ADDRESS, 120, "125"},
        {"address 1 down", IDC_ADDRESS, "1", IDC_ADDRESS, -120, "1"},
        {"address empty up", IDC_ADDRESS, "", IDC_ADDRESS, 120, "1"},
        {"address empty down", IDC_ADDRESS, "", IDC_ADDRESS, -120, "1"},
        {"address 50 up", IDC_ADDRESS, "50", IDC_ADDRESS, 120, "51"},
        {"address zero delta", IDC_ADDRESS, "50", IDC_ADDRESS, 0, "49"},
        {"delay 252 up", IDC_ANSWER_DELAY, "252", IDC_ANSWER_DELAY, 120, "254"},
        {"delay 3 down", IDC_ANSWER_DELAY, "3", IDC_ANSWER_DELAY, -120, "0"},
        {"delay 100 down", IDC_ANSWER_DELAY, "100", IDC_ANSWER_DELAY, -240, "95"},
        {"pulse 253 up on its edit", 32806, "253", 32779, 120, "255"},
        {"pulse 2 down on its up-down", 32811, "2", 32811, -120, "0"},
        {"pulse 100 up on its up-down", 32805, "100", 32805, 120, "105"},
        {"focus on a list", IDC_ADDRESS, "50", IDC_PARITY, 120, "50"},
        {"focus on a checkbox", IDC_ADDRESS, "50", IDC_SERIES, 120, "50"},
        {"focus on the no-answer box, beside the pulse edits", 32812, "100", IDC_NO_ANSWER, 120, "100"},
        {"focus on a button", 32805, "100", IDCANCEL, 120, "100"},
    };
    for (const WheelCase& c : cases) {
        const bool upDown = c.nValueId >= IDC_MIN_PULSE_SPIN_I0 && c.nValueId < IDC_MIN_PULSE_SPIN_I0 + 8;
        // TAVO-02 shows every pulse input, so each can take the focus.
        Look(MakeUnit("A", "TAVO-02"), [&](CDialogView& view) {
            if (upDown)
                view.SetUpDown(c.nValueId, atoi(c.pszValue));
            else
                view.SetText(c.nValueId, c.pszValue);
            view.Focus(c.nFocus);
            std::map<int, std::string> others = Controls(view);
            view.Wheel(c.nDelta);
            std::map<int, std::string> after = Controls(view);
            for (int id : {c.nValueId, c.nValueId - IDC_MIN_PULSE_SPIN_I0 + IDC_MIN_PULSE_I0}) {
                others.erase(id);
                after.erase(id);
            }
            EXPECT_EQ(others, after) << c.pszName << ": only the focused value changes";
            if (upDown) {
                EXPECT_EQ(atoi(c.pszExpected), view.UpDownPosition(c.nValueId)) << c.pszName;
                EXPECT_EQ(PulseText(atoi(c.pszExpected)),
                          view.Text(c.nValueId - IDC_MIN_PULSE_SPIN_I0 + IDC_MIN_PULSE_I0))
                    << c.pszName;
            } else {
                EXPECT_EQ(c.pszExpected, view.Text(c.nValueId)) << c.pszName;
            }
        });
    }
}

TEST_F(ConfigDialogTest, WheelChangesOnlyTheFocusedPair)
{
    Look(MakeUnit("A", "TAVO-02"), [&](CDialogView& view) {
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
    });
}

TEST_F(ConfigDialogTest, DisabledDelayCannotBeStepped)
{
    Look(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
        view.Focus(IDC_ANSWER_DELAY);
        view.SetChecked(IDC_NO_ANSWER, true);
        EXPECT_NE(IDC_ANSWER_DELAY, view.FocusId()) << "a disabled edit keeps no focus";
        const std::string before = view.Text(IDC_ANSWER_DELAY);
        view.Wheel(120);
        EXPECT_EQ(before, view.Text(IDC_ANSWER_DELAY));
    });
}

// ---- The carried-over record of a series ---------------------------------------------

TEST_F(ConfigDialogTest, SeriesCarriesTheCommunicationSettingsToTheNextUnit)
{
    BenchUnit next = MakeUnit("B", "QX2250.10", "00000002");
    const unsigned char own[21] = {0x30, 0x00, 0x60, 0x00, 0x2C, 0x01, 0, 0, 0, 0, 0x01,
                                   0x30, 0x04, 0x04, 0x04, 0x04, 0x08, 0x08, 0x08, 0x08, 0x77};
    memcpy(next.abyConfig, own, sizeof(own));
    CBench::Get().Put(next);
    // The previous unit's address advanced, its delay, baud rate, parity and
    // series; the unit's own quadrature, currents, pulse times and timeout.
    const auto carried = [&](CDialogView& view) {
        EXPECT_EQ("address 8, delay 20, 1200, " + std::string(kParityOdd) + ", quadrature 10, currents 0 2, pulses " +
                      "10.0 10.0 10.0 10.0 20.0 20.0 20.0 20.0, timeout 300 series",
                  Shown(view));
        view.Click(IDCANCEL);
    };
    EXPECT_EQ(2, Open(MakeUnit("A", "QX2250.10", "00000001"), [&](CDialogView& view) {
        TypeTypicalRecord(view);
        view.SetText(IDC_ADDRESS, "7");
        view.SetText(IDC_ANSWER_DELAY, "20");
        view.Select(IDC_BAUD_RATE, 1);
        view.Select(IDC_PARITY, 1);
        view.SetChecked(IDC_SERIES, true);
        WriteAndTest(view);
        ExpectNextUnit("B");
        ExpectConfig(carried);
    }));
}

// Every baud code the record may hold, as the test of the new setting is
// given it: the five of the list, and 2400 Bd for anything else.
TEST_F(ConfigDialogTest, BaudCodesGiveTheirBaudRates)
{
    const struct
    {
        unsigned char byCode;
        const char* pszTested;
    } cases[] = {{6, "600 8 2"}, {12, "1200 8 2"}, {24, "2400 8 2"}, {48, "4800 8 2"}, {96, "9600 8 2"},
                 {0, "2400 8 2"}, {1, "2400 8 2"}, {23, "2400 8 2"}, {25, "2400 8 2"}, {255, "2400 8 2"}};
    for (const auto& c : cases) {
        const bool listed = c.byCode == 6 || c.byCode == 12 || c.byCode == 24 || c.byCode == 48 || c.byCode == 96;
        const int result = Open(MakeUnit("A", "QX2250.10"), [&](CDialogView& view) {
            TypeTypicalRecord(view);
            ::SendDlgItemMessageA(view.Handle(), IDC_BAUD_RATE, CB_SETITEMDATA, 4, c.byCode);
            if (listed) {
                WriteAndTest(view);  // the unit answers on what was written
                return;
            }
            // The unit answers on code x 100 Bd, which no line has: give the test up.
            ExpectTestGivenUp();
            ExpectConfig([](CDialogView& again) { again.Click(IDCANCEL); });
            view.Click(IDC_WRITE_AND_TEST);
        });
        EXPECT_EQ(listed ? 1 : 2, result) << int(c.byCode);
        EXPECT_EQ(c.pszTested, TestedLine()) << "code " << int(c.byCode);
        EXPECT_EQ(c.byCode, Unit("A").abyConfig[2]) << "the code is written as chosen";
    }
}

}  // namespace
