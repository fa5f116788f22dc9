// SavePreview: one configuration run per set of pictures, each on a bench of
// the host's own units and served by the host's own operator steps, the
// pictures taken as the dialogs open.
#include "Preview.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "Bench.h"
#include "Operator.h"
#include "OperatorScript.h"
#include "Screenshot.h"

namespace {

// The types the configuration dialog tells apart: every input but the
// timeout, the I2/I3 pair disabled and no timeout, no I2/I3 pair but the timeout.
const char* const kUnitTypes[] = {"TAVO-02", "QX2210.00", "QX2250.10"};

// A factory setting: address 5, 9600 Bd, even parity, answer delay 10 ms.
const unsigned char kFactoryRecord[] = {0x05, 0x0A, 0x60, 0x02, 0x00, 0x00, 0x73, 0x61, 0x76, 0x65, 0x03,
                                        0x23, 0x02, 0x02, 0x02, 0x02, 0x50, 0x50, 0x50, 0x50, 0x00};
const unsigned char kDefaultBlock[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x72,
                                       0x00, 0x9F, 0x00, 0x00, 0x00, 0x00, 0x05, 0x0A};

// One run: the unit on the bench, what the operator does, and the name of
// each picture in the order its dialog or message box opens.
struct PreviewRun
{
    const char* pszType;
    bool bAnswers;       // false: the unit never answers its new setting
    bool bWriteEnabled;  // false: JP1 on WP, the write is refused
    std::string strScript;
    std::vector<std::string> pictures;
};

// Where the module would test the new setting, a unit that never answers
// keeps the test dialog open until the operator goes back.
const char kDialogsScript[] = "connect U\n"
                              "dialog config\n  click write\n"
                              "dialog test\n  click back\n"
                              "dialog config\n  click cancel\n";
const char kNextScript[] = "connect U\n"
                           "dialog config\n  tick series\n  click write\n"
                           "dialog test\n"
                           "dialog next\n  click cancel\n";
// A series from address 125: the next address wraps to 1, and the same unit
// again is one already configured.
const char kSeriesScript[] = "connect U\n"
                             "dialog config\n  type address 125\n  tick series\n  click write\n"
                             "dialog test\n"
                             "dialog next\n  click ok\n"
                             "dialog box\n  answer ok\n"
                             "dialog box\n  answer no\n"
                             "dialog next\n  click cancel\n";

// A value the dialog refuses, then the operator gives up. The minimum pulse
// times (messages 23-26) cannot be refused: their spinners hold 0-255.
std::string Rejected(const std::string& change)
{
    return "connect U\ndialog config\n" + change + "  click write\n  click cancel\ndialog box\n  answer ok\n";
}

std::vector<PreviewRun> PreviewRuns()
{
    std::vector<PreviewRun> runs;
    for (const char* type : kUnitTypes) {
        const std::string name = type;
        runs.push_back({type, false, true, kDialogsScript, {name + "-config", name + "-test", ""}});
        runs.push_back({type, true, true, kNextScript, {"", "", name + "-next"}});
    }
    runs.push_back({"TAVO-02", true, true, kSeriesScript, {"", "", "", "message-20", "message-35", ""}});
    runs.push_back({"TAVO-02",
                    true,
                    false,
                    "connect U\ndialog config\n  click write\n  click cancel\n"
                    "dialog box\n  answer ok\n",
                    {"", "message-33"}});
    static const struct
    {
        const char* pszType;
        const char* pszChange;
        int nMessage;
    } kRejections[] = {
        {"TAVO-02", "  type address 0\n", 21},
        {"TAVO-02", "  type delay 255\n", 22},
        {"TAVO-02", "  spin min-i0 10\n  spin max-i0 9\n", 27},
        {"TAVO-02", "  spin min-i1 10\n  spin max-i1 9\n", 28},
        {"TAVO-02", "  spin min-i2 10\n  spin max-i2 9\n", 29},
        {"TAVO-02", "  spin min-i3 10\n  spin max-i3 9\n", 30},
        {"QX2250.10", "  tick timeout-on\n  type timeout 0\n", 46},
    };
    for (const auto& rejection : kRejections)
        runs.push_back({rejection.pszType,
                        true,
                        true,
                        Rejected(rejection.pszChange),
                        {"", "message-" + std::to_string(rejection.nMessage)}});
    return runs;
}

// The run's one unit, U, with a serial of its own: the module remembers the
// units it has configured, and a serial seen before would ask again.
BenchUnit PreviewUnit(const PreviewRun& run, int serial)
{
    BenchUnit unit;
    unit.strName = "U";
    unit.strType = run.pszType;
    unit.strSerial = std::to_string(10000000 + serial);
    memcpy(unit.abyConfig, kFactoryRecord, sizeof(kFactoryRecord));
    unit.defaultBlock.assign(kDefaultBlock, kDefaultBlock + sizeof(kDefaultBlock));
    unit.bWriteEnabled = run.bWriteEnabled;
    unit.bNeverAnswers = !run.bAnswers;
    return unit;
}

// One run of the configuration command; the faults it found are added.
void RunPreview(ITest* tester, const PreviewRun& run, int serial, const std::string& folder,
                const std::function<void(const std::string&)>& said, std::vector<std::string>* faults)
{
    COperatorScript script;
    std::string problem;
    if (!script.Parse(run.strScript, "preview", &problem)) {
        faults->push_back(problem);
        return;
    }
    CBench::Get().Clear();
    CBench::Get().Put(PreviewUnit(run, serial));
    COperator op;
    size_t opened = 0;
    op.SetObserver([&](HWND dialog) {
        const std::string name = opened < run.pictures.size() ? run.pictures[opened] : "";
        ++opened;
        if (name.empty())
            return;
        const std::string path = folder + "\\" + name + ".png";
        std::string error;
        if (SaveWindowPng(dialog, path, &error))
            said(path);
        else
            faults->push_back("no picture " + name + ".png: " + error);
    });
    script.Prepare();
    script.Queue(op, [](const std::string&) {});
    HWND host = ::CreateWindowExA(0, "STATIC", "tavohost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
    tester->ConfigureThermometer(host, 0, 0);
    ::DestroyWindow(host);
    for (const std::string& failure : op.Failures())
        faults->push_back(std::string(run.pszType) + ": " + failure);
    for (const std::string& pending : op.Pending())
        faults->push_back(std::string(run.pszType) + ": " + pending + " never opened");
}

}  // namespace

std::vector<std::string> SavePreview(ITest* tester, const std::string& folder,
                                     const std::function<void(const std::string&)>& said)
{
    std::vector<std::string> faults;
    const std::vector<PreviewRun> runs = PreviewRuns();
    for (size_t i = 0; i < runs.size(); ++i)
        RunPreview(tester, runs[i], static_cast<int>(i), folder, said, &faults);
    CBench::Get().Clear();
    return faults;
}
