// tavohost: the development host. Loads a test module the way the production
// host does (LoadLibrary, _GetTestInstance, the virtual table) and runs its
// commands from the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "BenchStatus.h"
#include "CodePage.h"
#include "Handles.h"
#include "HostWindow.h"
#include "LanguageCheck.h"
#include "ModuleCheck.h"
#include "ModuleTexts.h"
#include "Operator.h"
#include "OperatorScript.h"
#include "Screenshot.h"
#include "TestModule.h"
#include "TraceLog.h"

namespace {

const char kUsage[] =
    "usage: tavohost COMMAND ...\n"
    "\n"
    "  info MODULE                  print the module's name, identifier and supported tests\n"
    "  texts MODULE [--lang FILE]   list every text the module shows, with its ID and where\n"
    "                               it comes from (the language file or the module)\n"
    "  check-module MODULE [--libs DIR]\n"
    "                               check a built module file as the loader, the production\n"
    "                               host and the field's libraries see it: its structure at\n"
    "                               the loader's strictness, exports, every import bound to\n"
    "                               the library the loader would load (from DIR, beside the\n"
    "                               module, or the system folder), the virtual table slot by\n"
    "                               slot, RTTI, release conventions, the PDB beside it,\n"
    "                               resources; exit status 1 on a finding\n"
    "  check-lang FILE              check a language file for the localizer; exit status 0\n"
    "                               when it is clean, 1 when it has findings\n"
    "  configure MODULE [OPTIONS]   run the module's configuration command on the bench\n"
    "      --bench FILE             the simulated units (see examples/bench.ini)\n"
    "      --lang FILE              the host's language file\n"
    "      --script FILE            an operator script (see examples/series.script);\n"
    "                               without it tavohost opens its host window and a bench\n"
    "                               window, and a person configures the units\n"
    "      --connect UNIT           the unit connected at the start\n"
    "      --report FILE            also write the host report to FILE\n"
    "      --save-bench FILE        save the bench afterwards\n"
    "      --log FILE               append one CSV row per unit configured (traceability)\n"
    "      --shots PREFIX           save a PNG of every dialog the moment it is ready, as\n"
    "                               PREFIX-1.png, PREFIX-2.png, ... (needs a display)\n";

int Usage(const std::string& problem)
{
    fprintf(stderr, "tavohost: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

// A text of the module (ANSI code page) as UTF-8 on one line, quoted.
std::string Printable(const char* text)
{
    if (!text)
        return "(null)";
    std::string line = "\"";
    for (char c : AnsiToUtf8(text)) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\t')
            line += "\\t";
        else
            line += c;
    }
    return line + "\"";
}

bool LoadModule(CTestModule& module, const char* path)
{
    if (module.Load(path))
        return true;
    fprintf(stderr, "tavohost: %s\n", module.Error().c_str());
    return false;
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return Usage("info takes the module's path");
    CTestModule module;
    if (!LoadModule(module, args[0].c_str()))
        return 1;
    ITest* test = module.Instance();
    const char* name = test->GetModuleName();
    printf("Module:      %s\n", name ? name : "(none)");
    printf("Identifier:  %u (0x%04X)\n", module.Id(), module.Id());
    const unsigned int count = test->GetSupportedTestCount();
    printf("Tests:       %u\n", count);
    for (unsigned int i = 0; i < count; ++i) {
        const char* testName = test->GetSupportedTest(i);
        printf("  %u  %s\n", i, testName ? testName : "(none)");
    }
    return 0;
}

// One text of the module: its label and how to ask for it.
struct TextQuery
{
    std::string strLabel;
    const char* (*ask)(ITest*, unsigned int, unsigned int);
    unsigned int nFirst, nSecond;
};

std::vector<TextQuery> ModuleTextQueries()
{
    std::vector<TextQuery> queries;
    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id)
        queries.push_back({"message " + std::to_string(id),
                           [](ITest* t, unsigned int a, unsigned int) { return t->GetMessageA(a); }, id, 0});
    for (unsigned int id : kModuleDialogs)
        queries.push_back({"dialog " + std::to_string(id),
                           [](ITest* t, unsigned int a, unsigned int) { return t->GetDialogName(a); }, id, 0});
    for (const ModuleControlText& control : kModuleControls)
        queries.push_back({"control " + std::to_string(control.nDialog) + "/" + std::to_string(control.nControl),
                           [](ITest* t, unsigned int a, unsigned int b) { return t->GetDialogControlName(a, b); },
                           control.nDialog, control.nControl});
    return queries;
}

// Where a text comes from: an answer that differs from the one without a
// language file came from the file; otherwise it is the module's own (its
// built-in text or its tester base's, which a host cannot tell apart).
int RunTexts(const std::vector<std::string>& args)
{
    std::string language;
    if (args.size() == 3 && args[1] == "--lang")
        language = args[2];
    else if (args.size() != 1)
        return Usage("texts takes the module's path and optionally --lang FILE");
    CTestModule module;
    if (!LoadModule(module, args[0].c_str()))
        return 1;
    ITest* test = module.Instance();
    const std::vector<TextQuery> queries = ModuleTextQueries();
    std::vector<const char*> withoutFile;
    for (const TextQuery& query : queries)
        withoutFile.push_back(query.ask(test, query.nFirst, query.nSecond));
    if (!language.empty()) {
        test->SetLanguageFile(language.c_str());
        if (!test->LanguageFileOpen()) {
            fprintf(stderr, "tavohost: language file not used: %s\n", BenchLanguageError());
            return 1;
        }
    }
    for (size_t i = 0; i < queries.size(); ++i) {
        const TextQuery& query = queries[i];
        const char* text = query.ask(test, query.nFirst, query.nSecond);
        const char* source = text != withoutFile[i] ? "language file" : "module";
        printf("%-20s %-14s %s\n", query.strLabel.c_str(), source, Printable(text).c_str());
    }
    test->LanguageFileClose();
    return 0;
}

int RunCheckModule(const std::vector<std::string>& args)
{
    const bool withLibraries = args.size() == 3 && args[1] == "--libs";
    if (args.size() != 1 && !withLibraries)
        return Usage("check-module takes the module's path and, optionally, --libs DIR");
    std::vector<ModuleCheckLine> lines;
    std::string error;
    if (!CheckModuleFile(args[0], withLibraries ? args[2] : std::string(), &lines, &error)) {
        fprintf(stderr, "tavohost: %s\n", error.c_str());
        return 1;
    }
    printf("%s\n", args[0].c_str());
    int findings = 0;
    for (const ModuleCheckLine& line : lines) {
        printf("%s  %s\n", line.bOk ? "ok  " : "FAIL", line.strText.c_str());
        findings += line.bOk ? 0 : 1;
    }
    printf("%d finding%s\n", findings, findings == 1 ? "" : "s");
    return findings ? 1 : 0;
}

int RunCheckLanguage(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return Usage("check-lang takes the language file's path");
    std::vector<LanguageFinding> findings;
    std::string error;
    if (!CheckLanguageFile(args[0], &findings, &error)) {
        fprintf(stderr, "tavohost: %s\n", error.c_str());
        return 1;
    }
    for (const LanguageFinding& finding : findings) {
        if (finding.nLine)
            printf("%s:%d: %s\n", args[0].c_str(), finding.nLine, finding.strText.c_str());
        else
            printf("%s: %s\n", args[0].c_str(), finding.strText.c_str());
    }
    printf("%s: %zu finding%s\n", args[0].c_str(), findings.size(), findings.size() == 1 ? "" : "s");
    return findings.empty() ? 0 : 1;
}

const char* KindName(unsigned char kind)
{
    switch (kind) {
    case TEST_REPORT_PROGRESS: return "progress";
    case TEST_REPORT_FAILURE: return "failure";
    case TEST_REPORT_SUCCESS: return "success";
    case TEST_REPORT_DETAIL: return "detail";
    default: return "other";
    }
}

struct ReportTargets
{
    FILE* pFile;
    CTraceLog* pLog;
    CReasonWatch reasons;
};

// One line of the report: on the screen and in the report file.
void PrintLine(const ReportTargets& targets, const char* line)
{
    fputs(line, stdout);
    fflush(stdout);
    if (targets.pFile) {
        fputs(line, targets.pFile);
        fflush(targets.pFile);
    }
}

// Prints each host report line as it arrives, copies it to the report file
// and hands it to the traceability log.
void CALLBACK PrintReport(void* context, const TEST_REPORT* report)
{
    auto* targets = static_cast<ReportTargets*>(context);
    targets->reasons.OnReport(*report);
    std::string text = report->pszFirst ? Printable(report->pszFirst) : "";
    if (report->pszSecond)
        text += (text.empty() ? "" : " ") + Printable(report->pszSecond);
    char head[16];
    snprintf(head, sizeof(head), "%3u %-8s ", report->byKind, KindName(report->byKind));
    PrintLine(*targets, (head + text + "\n").c_str());
    if (targets->pLog)
        targets->pLog->OnReport(*report);
}

// Every unit's settings as the bench now holds them, and whether it answers there.
void PrintBenchTable()
{
    printf("\n%-6s %-16s %-9s %7s %6s %-6s %6s %8s %-4s %s\n", "Unit", "Type", "Serial", "Address", "Baud",
           "Parity", "Delay", "Timeout", "JP1", "Answers there");
    for (const BenchUnit& unit : CBench::Get().Units()) {
        const unsigned char* config = unit.abyConfig;
        const int timeout = config[4] | config[5] << 8;
        // A unit still in configuration mode takes its stored setting when it leaves it.
        const bool answers = unit.bConfigMode ? !unit.bNeverAnswers && config[1] != 255
                                              : unit.AnswersAt(config[0], config[2] * 100, config[3]);
        printf("%-6s %-16s %-9s %7u %6u %-6s %6u %8d %-4s %s\n", unit.strName.c_str(),
               ("\"" + unit.strType + "\"").c_str(), unit.strSerial.c_str(), config[0], config[2] * 100,
               ParityName(config[3], "?"), config[1], timeout, unit.bWriteEnabled ? "WE" : "WP",
               answers ? "yes" : "no");
    }
}

struct ConfigureOptions
{
    std::string strModule, strBench, strLanguage, strScript, strConnect, strReport, strSaveBench, strLog, strShots;
};

bool ParseConfigureOptions(const std::vector<std::string>& args, ConfigureOptions* options, std::string* problem)
{
    if (args.empty() || args[0].compare(0, 2, "--") == 0) {
        *problem = "configure takes the module's path first";
        return false;
    }
    options->strModule = args[0];
    const std::pair<const char*, std::string*> known[] = {
        {"--bench", &options->strBench},   {"--lang", &options->strLanguage},
        {"--script", &options->strScript}, {"--connect", &options->strConnect},
        {"--report", &options->strReport}, {"--save-bench", &options->strSaveBench},
        {"--log", &options->strLog},       {"--shots", &options->strShots},
    };
    for (size_t i = 1; i < args.size(); i += 2) {
        std::string* target = nullptr;
        for (const auto& option : known) {
            if (args[i] == option.first)
                target = option.second;
        }
        if (!target) {
            *problem = "unknown option '" + args[i] + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            *problem = args[i] + " needs a value";
            return false;
        }
        *target = args[i + 1];
    }
    return true;
}

// What one configure run works with, whichever way it runs.
struct ConfigureRun
{
    ConfigureOptions options;
    COperatorScript script;
    CTestModule module;
    ITest* pTester = nullptr;
    CStdioFile report;
    std::unique_ptr<CTraceLog> log;
};

// Reads the script and the bench, loads the module with its language file,
// opens the report and the log; false, having said why, when one of them fails.
bool PrepareConfigure(ConfigureRun& run)
{
    const ConfigureOptions& options = run.options;
    std::string problem;
    if (!options.strScript.empty() && !run.script.Load(options.strScript, &problem)) {
        fprintf(stderr, "tavohost: %s\n", problem.c_str());
        return false;
    }
    if (!options.strBench.empty() && !CBench::Get().Load(options.strBench, &problem)) {
        fprintf(stderr, "tavohost: %s\n", problem.c_str());
        return false;
    }
    if (!options.strConnect.empty() && !CBench::Get().Connect(options.strConnect)) {
        fprintf(stderr, "tavohost: the bench has no unit '%s'\n", options.strConnect.c_str());
        return false;
    }
    if (!LoadModule(run.module, options.strModule.c_str()))
        return false;
    run.pTester = run.module.Instance();
    if (!options.strLanguage.empty()) {
        run.pTester->SetLanguageFile(options.strLanguage.c_str());
        if (!run.pTester->LanguageFileOpen())
            fprintf(stderr, "tavohost: language file not used, built-in texts follow: %s\n", BenchLanguageError());
    }
    if (!options.strReport.empty() && !run.report.Open(options.strReport, "w")) {
        fprintf(stderr, "tavohost: cannot write the report to '%s'\n", options.strReport.c_str());
        return false;
    }
    if (!options.strLog.empty())
        run.log.reset(new CTraceLog(options.strLog, run.pTester));
    return true;
}

// A person at the line: the host window and the bench window, until the
// host window is closed.
int RunInteractive(ConfigureRun& run)
{
    CHostWindow window(run.pTester, run.module.Id(), run.log.get(), run.report.Get());
    if (!window.Create(::GetModuleHandleA(nullptr))) {
        fprintf(stderr, "tavohost: the host window cannot be opened\n");
        return 1;
    }
    return window.Run();
}

// The operator script serves every dialog; the report goes to the terminal.
// Answers 1 when the script or the log found a fault.
int RunScripted(ConfigureRun& run)
{
    HWND host = ::CreateWindowExA(0, "STATIC", "tavohost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, nullptr, nullptr, nullptr, nullptr);
    if (!host) {
        fprintf(stderr, "tavohost: the host window cannot be created (error %lu)\n", ::GetLastError());
        return 1;
    }
    COperator op;
    int shot = 0;
    const std::string& shots = run.options.strShots;
    if (!shots.empty()) {
        op.SetObserver([&shots, &shot](HWND dialog) {
            const std::string path = shots + "-" + std::to_string(++shot) + ".png";
            std::string error;
            if (SaveWindowPng(dialog, path, &error))
                printf("        picture %s\n", path.c_str());
            else
                fprintf(stderr, "tavohost: no picture: %s\n", error.c_str());
        });
    }
    run.script.Prepare();
    run.script.Queue(op, [](const std::string& line) { printf("        %s\n", line.c_str()); });
    ReportTargets targets = {run.report.Get(), run.log.get(), CReasonWatch()};
    BenchSetReportSink(&PrintReport, &targets);
    const int result = run.pTester->ConfigureThermometer(host, 0, 0);
    BenchSetReportSink(nullptr, nullptr);
    ::DestroyWindow(host);
    // The host's own line, marked "host", where the module gave no reason.
    if (targets.reasons.Unexplained(result))
        PrintLine(targets, ("  - host     " + HostReason() + "\n").c_str());
    run.report.Close();
    printf("ConfigureThermometer answered %d\n", result);

    int status = 0;
    if (run.log && !run.log->Flush()) {
        // The rows are not lost: they go to standard error for the record.
        fprintf(stderr, "tavohost: these rows are not in '%s':\n", run.options.strLog.c_str());
        for (const std::string& row : run.log->Pending())
            fputs(row.c_str(), stderr);
        status = 1;
    }
    for (const std::string& failure : op.Failures()) {
        fprintf(stderr, "tavohost: %s\n", failure.c_str());
        status = 1;
    }
    for (const std::string& pending : op.Pending()) {
        fprintf(stderr, "tavohost: the script expected %s, which never opened\n", pending.c_str());
        status = 1;
    }
    return status;
}

int RunConfigure(const std::vector<std::string>& args)
{
    ConfigureRun run;
    std::string problem;
    if (!ParseConfigureOptions(args, &run.options, &problem))
        return Usage(problem);
    if (!PrepareConfigure(run))
        return 1;
    int status = run.options.strScript.empty() ? RunInteractive(run) : RunScripted(run);
    if (!run.options.strSaveBench.empty() && !CBench::Get().Save(run.options.strSaveBench, &problem)) {
        fprintf(stderr, "tavohost: %s\n", problem.c_str());
        status = 1;
    }
    if (!run.options.strScript.empty() && !run.options.strBench.empty())
        PrintBenchTable();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        fputs(kUsage, stdout);
        return 0;
    }
    if (command == "info")
        return RunInfo(args);
    if (command == "texts")
        return RunTexts(args);
    if (command == "check-lang")
        return RunCheckLanguage(args);
    if (command == "check-module")
        return RunCheckModule(args);
    if (command == "configure")
        return RunConfigure(args);
    return Usage("unknown command '" + command + "'");
}
