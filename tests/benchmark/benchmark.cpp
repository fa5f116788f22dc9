// tavo_benchmark: timings of the module inside one process, each a median of
// several repetitions and, where it makes sense, a ratio to a baseline
// measured in the same run. Run by scripts/benchmark.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Bench.h"
#include "DlgConfig.h"
#include "DlgTestConfig.h"
#include "ModalRun.h"
#include "Operator.h"
#include "TestModule.h"
#include "TestTAVO02.h"
#include "resource.h"

namespace {

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

double Median(int repetitions, const std::function<double()>& measure)
{
    std::vector<double> samples;
    for (int i = 0; i < repetitions; ++i)
        samples.push_back(measure());
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The configuration dialog, stopped the moment its initialisation is done.
class CTimedConfigDialog : public CConfigDialog
{
public:
    using CConfigDialog::CConfigDialog;
    int OnInitDialog() override
    {
        const int result = CConfigDialog::OnInitDialog();
        m_dReady = NowMs();
        EndDialog(1);
        return result;
    }
    double m_dReady = 0;
};

// The same template with no initialisation of its own: the baseline.
class CEmptyDialog : public CMyDialog
{
public:
    explicit CEmptyDialog(HINSTANCE instance) : CMyDialog(IDD_CONFIG, nullptr, nullptr), m_hInstance(instance) {}
    int ShowModalDialog() override { return RunModalDialog(*this, m_hInstance, {"Benchmark", 1, 2, 3}); }
    int OnInitDialog() override
    {
        m_dReady = NowMs();
        EndDialog(1);
        return 1;
    }
    HINSTANCE m_hInstance;
    double m_dReady = 0;
};

std::string LanguageFile(int items)
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "tavo-benchmark-" + std::to_string(items) + ".xml";
    FILE* file = fopen(path.c_str(), "wb");
    fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TesterLanguage>\n<Message>\n", file);
    for (int i = 0; i < items; ++i)
        fprintf(file, "<MessageItem ID=\"%d\" text=\"item %d\"/>\n", 100000 + i, i);
    fputs("</Message>\n<Dialog>\n", file);
    for (int i = 0; i < items; ++i)
        fprintf(file, "<DialogItem ID=\"%d\" text=\"dialog %d\"/>\n", 100000 + i, i);
    fputs("</Dialog>\n</TesterLanguage>\n", file);
    fclose(file);
    return path;
}

BenchUnit Unit()
{
    BenchUnit unit;
    unit.strName = "A";
    unit.strType = "QX2250.10";
    unit.strSerial = "00012345";
    const unsigned char config[21] = {5, 10, 96, 2, 0x58, 2, 's', 'a', 'v', 'e', 0, 0, 1, 1, 1, 1, 255, 255, 255, 255, 0};
    memcpy(unit.abyConfig, config, sizeof(config));
    unit.byAnswerAddress = 5;
    unit.nAnswerBaud = 9600;
    unit.byAnswerParity = 2;
    unit.byAnswerDelay = 10;
    return unit;
}

void DialogReadyTime(CTestModule& module, CTestTAVO02* owner)
{
    const int repetitions = 21;
    auto empty = [&] {
        CEmptyDialog dialog(module.Handle());
        const double start = NowMs();
        dialog.Show(-1);
        return dialog.m_dReady - start;
    };
    auto config = [&] {
        CTimedConfigDialog dialog(nullptr, module.Handle());
        dialog.SetOwner(owner);
        dialog.SetUnitType("QX2250.10");
        const double start = NowMs();
        dialog.Show(-1);
        return dialog.m_dReady - start;
    };
    const double baseline = Median(repetitions, empty);
    const double plain = Median(repetitions, config);
    owner->SetLanguageFile(LanguageFile(10000).c_str());
    owner->LanguageFileOpen();
    const double withLanguage = Median(repetitions, config);
    owner->LanguageFileClose();
    printf("Configuration dialog ready (Show to the end of OnInitDialog), median of %d:\n", repetitions);
    printf("  empty dialog, same template       %8.2f ms   1.00\n", baseline);
    printf("  no language file                  %8.2f ms   %.2f\n", plain, plain / baseline);
    printf("  10,000-item language file         %8.2f ms   %.2f\n\n", withLanguage, withLanguage / baseline);
}

void LookupCost(CTestModule& module)
{
    CTest* test = module.Instance();
    const int sizes[] = {0, 1000, 2500, 5000, 10000};
    std::vector<double> xs, ys;
    printf("One text lookup that walks the whole file (GetMessageA(35), falling back), median of 9:\n");
    for (int items : sizes) {
        test->SetLanguageFile(LanguageFile(items).c_str());
        test->LanguageFileOpen();
        const double ms = Median(9, [&] {
            const double start = NowMs();
            test->GetMessageA(35);
            return NowMs() - start;
        });
        test->LanguageFileClose();
        printf("  %6d items   %9.3f ms\n", items, ms);
        xs.push_back(items);
        ys.push_back(ms);
    }
    double mx = 0, my = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        mx += xs[i] / xs.size();
        my += ys[i] / ys.size();
    }
    double sxy = 0, sxx = 0, residual = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        sxy += (xs[i] - mx) * (ys[i] - my);
        sxx += (xs[i] - mx) * (xs[i] - mx);
    }
    const double slope = sxy / sxx;
    for (size_t i = 0; i < xs.size(); ++i) {
        const double fit = my + slope * (xs[i] - mx);
        residual = std::max(residual, std::abs(ys[i] - fit));
    }
    printf("  linear fit: %.3f us per item, largest deviation from the line %.3f ms\n\n", slope * 1000, residual);
}

void AnswerToEnd(CTestModule& module, CTestTAVO02* owner)
{
    CBench::Get().Clear();
    CBench::Get().Put(Unit());
    CBench::Get().Connect("A");
    const int repetitions = 15;
    const double latency = Median(repetitions, [&] {
        owner->CheckEEPROM(nullptr, 0, 1);
        CBench::Get().ClearCallLog();
        CTestConfigDialog dialog(nullptr, module.Handle());
        dialog.SetTestParameters(owner, 5, 9600, 2);
        dialog.Show(-1);
        const double end = NowMs();
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return end - CBench::Get().FirstAnswerTime() * 1000.0 / frequency.QuadPart;
    });
    owner->ExitConfig();
    owner->Reconnect(9600, 8, 2);
    const double poll = Median(101, [&] {
        unsigned long v[10];
        const double start = NowMs();
        owner->MeasureValue(5, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], nullptr);
        return NowMs() - start;
    });
    printf("From the unit's first possible answer to the end of the test dialog, median of %d:\n", repetitions);
    printf("  measured %.3f ms; floor (one MeasureValue %.3f ms + 1 ms) %.3f ms\n\n", latency, poll, poll + 1);
}

void SeriesThroughput(CTestModule& module)
{
    const int units = 10;
    CBench::Get().Clear();
    CBench::Get().Put(Unit());
    CBench::Get().Connect("A");
    auto* tester = static_cast<CTAVOTester*>(module.Instance());
    COperator op(10000);
    int serial = 0;
    for (int i = 0; i < units; ++i) {
        op.Expect("configuration", [](CDialogView& view) {
            view.SetChecked(IDC_SERIES, true);
            view.Click(IDC_WRITE_AND_TEST);
        });
        op.Expect("test", [](CDialogView&) {});
        op.Expect("next", [&serial, i, units](CDialogView& view) {
            BenchUnit unit = Unit();
            char text[16];
            snprintf(text, sizeof(text), "%08d", ++serial);
            unit.strSerial = text;
            CBench::Get().Put(unit);
            view.Click(i == units - 1 ? IDCANCEL : IDOK);
        });
    }
    const double start = NowMs();
    tester->ConfigureThermometer(nullptr, 0, 0);
    const double perUnit = (NowMs() - start) / units;
    printf("A series of %d units, instant operator and units:\n", units);
    printf("  %.1f ms a unit, %.2f units per second; the worker's fixed 300 ms pause is %.0f%% of it,\n", perUnit,
           1000 / perUnit, 30000 / perUnit);
    printf("  the module, its dialogs and the tester share the remaining %.1f ms\n", perUnit - 300);
}

}  // namespace

int main()
{
    CTestModule module;
    if (!module.Load("TestTAVO02.test")) {
        fprintf(stderr, "tavo_benchmark: %s\n", module.Error().c_str());
        return 1;
    }
    auto* owner = static_cast<CTestTAVO02*>(module.Instance());
    CBench::Get().Put(Unit());
    CBench::Get().Connect("A");
    owner->CheckEEPROM(nullptr, 0, 0);
    DialogReadyTime(module, owner);
    LookupCost(module);
    AnswerToEnd(module, owner);
    SeriesThroughput(module);
    return 0;
}
