// tavo_benchmark: timings of the shipped module inside one process, reached as
// a host reaches it, each a median of several repetitions and, where it makes
// sense, a ratio to a baseline measured in the same run. Run by
// scripts/benchmark.sh.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ModuleFixture.h"

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

// The time a dialog was ready, and the time the test dialog's window went.
double g_dReady = 0;
double g_dDestroyed = 0;

BOOL CALLBACK EndDialogOfThread(HWND window, LPARAM)
{
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, "#32770") == 0)
        ::EndDialog(window, 2);
    return TRUE;
}

// Timer messages come after every other message, painting included, so the
// first one a modal loop gets marks its dialog created, initialised and
// drawn; no hook slows the creation down.
void CALLBACK DialogReady(HWND, UINT, UINT_PTR id, DWORD)
{
    g_dReady = NowMs();
    ::KillTimer(nullptr, id);
    ::EnumThreadWindows(::GetCurrentThreadId(), &EndDialogOfThread, 0);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && ::GetDlgItem(reinterpret_cast<HWND>(wParam), IDC_TEST_EXPLANATION))
        g_dDestroyed = NowMs();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The same template as the configuration dialog with no initialisation of
// its own: the baseline.
INT_PTR CALLBACK EmptyDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

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

// From the configuration command to its configuration dialog ready and
// drawn; the procedure's own steps before the dialog (a report, the EEPROM
// check, type and serial) are part of it.
void DialogReadyTime(CTestModule& module)
{
    const int repetitions = 21;
    ITest* test = module.Instance();
    auto empty = [&] {
        const INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        ::SetTimer(nullptr, 0, 0, &DialogReady);
        const double start = NowMs();
        ::DialogBoxParamA(module.Handle(), MAKEINTRESOURCEA(IDD_CONFIG), nullptr, &EmptyDialogProc, 0);
        return g_dReady - start;
    };
    auto config = [&] {
        ::SetTimer(nullptr, 0, 0, &DialogReady);
        const double start = NowMs();
        test->ConfigureThermometer(nullptr, 0, 0);
        return g_dReady - start;
    };
    const double baseline = Median(repetitions, empty);
    const double plain = Median(repetitions, config);
    test->SetLanguageFile(LanguageFile(10000).c_str());
    test->LanguageFileOpen();
    const double withLanguage = Median(repetitions, config);
    test->LanguageFileClose();
    printf("Configuration dialog ready and drawn (from ConfigureThermometer), median of %d:\n", repetitions);
    printf("  empty dialog, same template       %8.2f ms   1.00\n", baseline);
    printf("  no language file                  %8.2f ms   %.2f\n", plain, plain / baseline);
    printf("  10,000-item language file         %8.2f ms   %.2f\n\n", withLanguage, withLanguage / baseline);
}

void LookupCost(CTestModule& module)
{
    ITest* test = module.Instance();
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

// From the start of the poll the unit answers to the test dialog's window
// going, in a single unit's configuration.
void AnswerToEnd(CTestModule& module)
{
    ITest* test = module.Instance();
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, &CbtHook, nullptr, ::GetCurrentThreadId());
    const int repetitions = 15;
    const double latency = Median(repetitions, [&] {
        CBench::Get().ClearCallLog();
        COperator op(10000);
        op.Expect("the configuration dialog", IDC_WRITE_AND_TEST, [](CDialogView& view) {
            view.SetChecked(IDC_SERIES, false);
            view.Click(IDC_WRITE_AND_TEST);
        });
        op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {}, IDC_TEST_EXPLANATION);
        test->ConfigureThermometer(nullptr, 0, 0);
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return g_dDestroyed - CBench::Get().FirstAnswerTime() * 1000.0 / frequency.QuadPart;
    });
    ::UnhookWindowsHookEx(hook);
    test->CheckEEPROM(nullptr, 0, 1);
    const double poll = Median(101, [&] {
        const double start = NowMs();
        BenchPoll(5);
        return NowMs() - start;
    });
    printf("From the unit's first possible answer to the end of the test dialog, median of %d:\n", repetitions);
    printf("  measured %.3f ms; floor (one MeasureValue %.3f ms + 1 ms) %.3f ms\n\n", latency, poll, poll + 1);
}

void SeriesThroughput(CTestModule& module)
{
    const int units = 10;
    CBench::Get().Clear();
    CBench::Get().Put(MakeUnit("A"));
    CBench::Get().Connect("A");
    ITest* tester = module.Instance();
    COperator op(10000);
    int serial = 0;
    for (int i = 0; i < units; ++i) {
        op.Expect("the configuration dialog", IDC_WRITE_AND_TEST, [](CDialogView& view) {
            view.SetChecked(IDC_SERIES, true);
            view.Click(IDC_WRITE_AND_TEST);
        });
        op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {}, IDC_TEST_EXPLANATION);
        op.Expect("the next-unit dialog", IDC_CONFIRM_TEXT, [&serial, i, units](CDialogView& view) {
            char text[16];
            snprintf(text, sizeof(text), "%08d", ++serial);
            CBench::Get().Put(MakeUnit("A", "QX2250.10", text));
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
    CBench::Get().Put(MakeUnit("A"));
    CBench::Get().Connect("A");
    DialogReadyTime(module);
    LookupCost(module);
    AnswerToEnd(module);
    SeriesThroughput(module);
    return 0;
}
