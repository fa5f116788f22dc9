// tavohost: the development host. Loads a test module the way the production
// host does (LoadLibrary, _GetTestInstance, the virtual table) and runs its
// commands from the command line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Bench.h"
#include "BenchStatus.h"
#include "TextConvert.h"
#include "FileDoor.h"
#include "HostWindow.h"
#include "CaptionFit.h"
#include "LanguageCheck.h"
#include "LanguageRules.h"
#include "LanguageTemplate.h"
#include "ModuleCheck.h"
#include "ModuleRules.h"
#include "ModuleTexts.h"
#include "Operator.h"
#include "OperatorScript.h"
#include "Preview.h"
#include "ReportFile.h"
#include "Screenshot.h"
#include "TestModule.h"
#include "TraceLog.h"

namespace {

const char kUsage[] =
    "usage: tavohost COMMAND ARGUMENTS, options anywhere after the command\n"
    "       tavohost --version\n"
    "\n"
    "  info MODULE\n"
    "      print the module's name, identifier and supported tests\n"
    "  texts MODULE [--lang FILE] [--template FILE]\n"
    "      list every text the module shows, with its ID and where it comes from\n"
    "      (the language file or the module); with --template, write instead a\n"
    "      language file of every text to translate (those of --lang, else the\n"
    "      built-in ones), each with where it is shown and what the module fills\n"
    "  check-module MODULE [--libs DIR] [--no-load] [--json]   check-module --rules\n"
    "      check a built module file as the loader, the production host and the\n"
    "      field's libraries see it: its SHA-256 against the package's SHA256SUMS\n"
    "      beside it, its structure at the loader's strictness,\n"
    "      exports, every import bound to the library the loader would load (from\n"
    "      DIR, beside the module, or the system folder), the virtual table slot\n"
    "      by slot, RTTI, release conventions, the PDB beside it, resources;\n"
    "      then, unless --no-load, this PC's own verdict: tavoprobe32.exe beside\n"
    "      tavohost.exe (tavoprobe64.exe for a 64-bit build) loads the module in\n"
    "      a process of its own, killed after 30 s, and runs of it no more than\n"
    "      the host runs before its first command: the loader's start-up call,\n"
    "      the two exports, the identity operations and the C runtime's typeid\n"
    "      and dynamic_cast; it makes the dialogs from their templates hidden,\n"
    "      with a dialog procedure of its own, and loads the pictures and the\n"
    "      version block. The last line says \"fit\", \"fit by the static reading\n"
    "      only\" (not loaded) or \"not fit\"\n"
    "  check-lang FILE [--codepage N] [--module MODULE] [--json]   check-lang --rules\n"
    "      check a language file for the localizer: what the module reads of it,\n"
    "      the placeholders it fills, and every character against the 8-bit code\n"
    "      page the line shows its texts in (1250, or N); with --module, each\n"
    "      title and caption measured in the module's own dialogs, on the fonts\n"
    "      of this PC (a note names the face the dialog's font is drawn in): a\n"
    "      caption cut is a note, not a finding, for another PC draws otherwise\n"
    "  configure MODULE [OPTIONS]\n"
    "      run the module's configuration command on the bench\n"
    "      --bench FILE       the simulated units (docs\\bench-file.md,\n"
    "                         examples\\bench.ini)\n"
    "      --lang FILE        the host's language file\n"
    "      --script FILE      an operator script (examples\\series.script); without\n"
    "                         it tavohost opens its host window and a bench\n"
    "                         window, and a person configures the units\n"
    "      --connect UNIT     the unit connected at the start\n"
    "      --report FILE      also write the host report to FILE (UTF-8)\n"
    "      --save-bench FILE  save the bench afterwards\n"
    "      --log FILE         append one CSV row per unit configured\n"
    "      --shots PREFIX     save a PNG of every dialog the moment it is ready,\n"
    "                         as PREFIX-1.png, PREFIX-2.png, ... (needs a display)\n"
    "  preview MODULE --out FOLDER [--lang FILE]\n"
    "      save a PNG of each dialog for each type of unit and of each message box\n"
    "      the module shows, in the language of FILE, into FOLDER (made when it is\n"
    "      not there): a unit of each type is built in, no bench file or script is\n"
    "      needed (docs\\localizing.md); needs a display, as --shots does\n"
    "  configure and preview need TestBench.dll, the simulated bench, beside\n"
    "  tavohost.exe\n"
    "\n"
    "check-module and check-lang name the rule of each line ([TM140]); --rules\n"
    "lists a check's rules, --json gives the verdict as one JSON object\n"
    "(docs\\check-json.md).\n"
    "\n"
    "Files: any path Windows can name. No device (COM1, AUX, ...) is ever opened;\n"
    "a file written is replaced only when its new contents are whole, and log\n"
    "rows are appended whole.\n"
    "\n"
    "exit status:\n"
    "  0  done: the module is fit, the language file is clean, the run had no fault\n"
    "  1  check-module and check-lang: findings, each on a FAIL or file:line line;\n"
    "     the file was read, so whatever is wrong with its bytes (cut short, no\n"
    "     module or no XML at all) is a finding\n"
    "     configure: the run found a fault (a script step, a dialog that never\n"
    "     opened, the report, log rows or the saved bench not written)\n"
    "     preview: a dialog that did not open, a picture not taken or written\n"
    "  2  nothing was checked or run: no byte of the file under check could be\n"
    "     read (missing, a folder, a device, no access); an input of texts,\n"
    "     configure or preview cannot be used (the module, a language file, the\n"
    "     bench, the script, the report, the folder); the command line is wrong,\n"
    "     or the host window cannot be opened; one line says why\n"
    "\n"
    "The docs and examples folders named above lie beside tavohost.exe.\n";

// The code page the production line shows the module's 8-bit texts in.
const unsigned int kLineCodePage = 1250;

// Exit statuses, one meaning each: scripts around tavohost rely on them.
enum ExitStatus
{
    kDone = 0,
    kFindings = 1,  // a check's findings, or a fault the run found
    kUnusable = 2,  // nothing checked or run: an input, the command line, the window
};

int Usage(const std::string& problem)
{
    PrintText(stderr, "tavohost: %s\n%s", problem.c_str(), kUsage);
    return kUnusable;
}

// Says why nothing was checked or run.
int Unusable(const std::string& problem)
{
    PrintText(stderr, "tavohost: %s\n", problem.c_str());
    return kUnusable;
}

// A command's words: its arguments in order and the options it knows, each
// with its value, in any order among them.
struct CommandLine
{
    std::vector<std::string> arguments;
    std::map<std::string, std::string> options;

    bool Has(const char* name) const { return options.count(name) != 0; }
    std::string Option(const char* name) const
    {
        const auto option = options.find(name);
        return option != options.end() ? option->second : std::string();
    }
};

// Options that take no value.
const std::set<std::string> kFlags = {"--json", "--rules", "--no-load"};

bool ParseCommandLine(const std::vector<std::string>& words, const std::set<std::string>& known, CommandLine* line,
                      std::string* problem)
{
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].compare(0, 2, "--") != 0) {
            line->arguments.push_back(words[i]);
            continue;
        }
        if (!known.count(words[i])) {
            *problem = "unknown option '" + words[i] + "'";
            return false;
        }
        if (kFlags.count(words[i])) {
            if (!line->options.emplace(words[i], "yes").second) {
                *problem = words[i] + " is given twice";
                return false;
            }
            continue;
        }
        if (i + 1 >= words.size()) {
            *problem = words[i] + " needs a value";
            return false;
        }
        if (!line->options.emplace(words[i], words[i + 1]).second) {
            *problem = words[i] + " is given twice";
            return false;
        }
        ++i;
    }
    return true;
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

bool LoadModule(CTestModule& module, const std::string& path)
{
    if (module.Load(path))
        return true;
    PrintText(stderr, "tavohost: %s\n", module.Error().c_str());
    return false;
}

// Gives the module the language file; false, having said why, when the
// module cannot use it. Every command that takes --lang refuses such a file
// alike: the person asked for its texts, and the module's built-in texts in
// their place would pass unnoticed in a script.
bool OpenLanguageFile(ITest* test, const std::string& path)
{
    if (path.empty())
        return true;
    // The tester takes the name in the ANSI code page.
    const std::string ansi = AnsiPath(path);
    if (ansi.empty()) {
        PrintText(stderr, "tavohost: language file not used: '%s' has no name the module can take\n", path.c_str());
        return false;
    }
    test->SetLanguageFile(ansi.c_str());
    if (test->LanguageFileOpen())
        return true;
    std::string why = CBench::LanguageError();  // only the bench's tester library says why
    if (why.empty())
        why = "'" + path + "'; tavohost check-lang names what the module refuses";
    PrintText(stderr, "tavohost: language file not used: %s\n", why.c_str());
    return false;
}

int RunInfo(const CommandLine& line)
{
    if (line.arguments.size() != 1)
        return Usage("info takes the module's path");
    CTestModule module;
    if (!LoadModule(module, line.arguments[0]))
        return kUnusable;
    ITest* test = module.Instance();
    const char* name = test->GetModuleName();
    PrintText(stdout, "Module:      %s\n", name ? AnsiToUtf8(name).c_str() : "(none)");
    PrintText(stdout, "Identifier:  %u (0x%04X)\n", module.Id(), module.Id());
    const unsigned int count = test->GetSupportedTestCount();
    PrintText(stdout, "Tests:       %u\n", count);
    for (unsigned int i = 0; i < count; ++i) {
        const char* testName = test->GetSupportedTest(i);
        PrintText(stdout, "  %u  %s\n", i, testName ? AnsiToUtf8(testName).c_str() : "(none)");
    }
    return kDone;
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
int RunTexts(const CommandLine& line)
{
    if (line.arguments.size() != 1)
        return Usage("texts takes the module's path and optionally --lang FILE and --template FILE");
    CTestModule module;
    if (!LoadModule(module, line.arguments[0]))
        return kUnusable;
    ITest* test = module.Instance();
    const std::string templatePath = line.Option("--template");
    if (!templatePath.empty()) {
        std::string error;
        if (!OpenLanguageFile(test, line.Option("--lang")))
            return kUnusable;
        const bool written = WriteLanguageTemplate(module, templatePath, &error);
        test->LanguageFileClose();
        if (!written)
            return Unusable("the template is not written: " + error);
        PrintText(stdout, "%s: every text of the module, to translate; check it with tavohost check-lang\n",
                  templatePath.c_str());
        return kDone;
    }
    const std::vector<TextQuery> queries = ModuleTextQueries();
    std::vector<const char*> withoutFile;
    for (const TextQuery& query : queries)
        withoutFile.push_back(query.ask(test, query.nFirst, query.nSecond));
    if (!OpenLanguageFile(test, line.Option("--lang")))
        return kUnusable;
    for (size_t i = 0; i < queries.size(); ++i) {
        const TextQuery& query = queries[i];
        const char* text = query.ask(test, query.nFirst, query.nSecond);
        const char* source = text != withoutFile[i] ? "language file" : "module";
        PrintText(stdout, "%-20s %-14s %s\n", query.strLabel.c_str(), source, Printable(text).c_str());
    }
    test->LanguageFileClose();
    return kDone;
}

// A check's rules, one a line: what --rules prints.
int PrintRules(const CheckRule* rules, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        PrintText(stdout, "%s  %s: %s\n", rules[i].pszId, rules[i].pszTitle, rules[i].pszNeeds);
    return kDone;
}

// One result of a check for --json.
struct JsonResult
{
    const CheckRule* pRule;
    const char* pszResult;  // "pass", "fail" or "note"
    int nLine;              // 0: none
    std::string strFound;
};

// The verdict as one JSON object: the tool, the file, each rule that ran with
// its result over the file (fail, note or pass; quiet, when not null, is the
// result of a rule that ran without a line), and each result line
// (docs/check-json.md).
void PrintJson(const char* command, const std::string& path, const FileIdentity& identity, const char* verdict,
               const CheckRule* table, size_t count, const char* quiet, const std::vector<JsonResult>& results)
{
    std::string json = "{\n  \"tool\": \"tavohost\",\n  \"version\": \"" TAVO_VERSION "\",\n  \"command\": \"" +
                       std::string(command) + "\",\n  \"file\": " + JsonText(path) +
                       ",\n  \"size\": " + std::to_string(identity.nSize) + ",\n  \"sha256\": \"" + identity.strSha256 +
                       "\",\n  \"verdict\": \"" + verdict + "\",\n  \"rules\": [";
    // A rule's result over the file is the worst of its lines: fail, note, pass.
    static const std::string kWorstFirst[] = {"fail", "note", "pass"};
    bool first = true;
    for (size_t i = 0; i < count; ++i) {
        std::string result;
        for (const std::string& worst : kWorstFirst) {
            for (const JsonResult& line : results) {
                if (result.empty() && line.pRule == &table[i] && worst == line.pszResult)
                    result = worst;
            }
        }
        if (result.empty() && !quiet)
            continue;
        result = result.empty() ? quiet : result;
        json += std::string(first ? "" : ",") + "\n    {\"rule\": \"" + table[i].pszId + "\", \"title\": " +
                JsonText(table[i].pszTitle) + ", \"result\": \"" + result + "\", \"needed\": " +
                JsonText(table[i].pszNeeds) + "}";
        first = false;
    }
    json += "\n  ],\n  \"results\": [";
    for (size_t i = 0; i < results.size(); ++i) {
        const JsonResult& result = results[i];
        json += std::string(i ? "," : "") + "\n    {\"rule\": \"" + result.pRule->pszId + "\", \"title\": " +
                JsonText(result.pRule->pszTitle) + ", \"result\": \"" + result.pszResult + "\"" +
                (result.nLine ? ", \"line\": " + std::to_string(result.nLine) : std::string()) +
                ", \"found\": " + JsonText(result.strFound) + ", \"needed\": " + JsonText(result.pRule->pszNeeds) +
                "}";
    }
    PrintText(stdout, "%s\n  ]\n}\n", json.c_str());
}

// Nothing could be read: the reason, as a person or a script reads it.
int Unreadable(const CommandLine& line, const char* command, const std::string& path, const std::string& error)
{
    if (!line.Has("--json"))
        return Unusable(error);
    PrintText(stdout,
              "{\n  \"tool\": \"tavohost\",\n  \"version\": \"" TAVO_VERSION "\",\n  \"command\": \"%s\",\n"
              "  \"file\": %s,\n  \"verdict\": \"unreadable\",\n  \"reason\": %s\n}\n",
              command, JsonText(path).c_str(), JsonText(error).c_str());
    return kUnusable;
}

int RunCheckModule(const CommandLine& line)
{
    if (line.Has("--rules") && line.arguments.empty())
        return PrintRules(kModuleRules, std::size(kModuleRules));
    if (line.arguments.size() != 1)
        return Usage("check-module takes the module's path and, optionally, --libs DIR and --json; or --rules");
    const std::string& path = line.arguments[0];
    std::vector<ModuleCheckLine> lines;
    std::string error;
    FileIdentity identity;
    if (!CheckModuleFile(path, line.Option("--libs"), &lines, &error, &identity, !line.Has("--no-load")))
        return Unreadable(line, "check-module", path, error);
    const bool loaded = std::any_of(lines.begin(), lines.end(), [](const ModuleCheckLine& checked) {
        return checked.pszRule && strcmp(checked.pszRule, "TM170") == 0;
    });
    int findings = 0;
    std::vector<JsonResult> results;
    for (const ModuleCheckLine& checked : lines) {
        findings += checked.bOk ? 0 : 1;
        if (const CheckRule* rule = FindRule(kModuleRules, std::size(kModuleRules), checked.pszRule))
            results.push_back({rule, checked.bOk ? "pass" : "fail", 0, checked.strText});
    }
    // Fit only when this PC's loader has had its say too.
    const char* verdict = findings ? "not fit" : loaded ? "fit" : "fit by the static reading only";
    if (line.Has("--json")) {
        PrintJson("check-module", path, identity, verdict, kModuleRules, std::size(kModuleRules), nullptr, results);
        return findings ? kFindings : kDone;
    }
    PrintText(stdout, "%s\n", path.c_str());
    for (const ModuleCheckLine& checked : lines) {
        if (checked.bNote)
            PrintText(stdout, "%s\n", checked.strText.c_str());
        else
            PrintText(stdout, "%s  %s [%s]\n", checked.bOk ? "ok  " : "FAIL", checked.strText.c_str(),
                      checked.pszRule ? checked.pszRule : "-");
    }
    PrintText(stdout, "%d finding%s: %s\n", findings, findings == 1 ? "" : "s", verdict);
    return findings ? kFindings : kDone;
}

int RunCheckLanguage(const CommandLine& line)
{
    if (line.Has("--rules") && line.arguments.empty())
        return PrintRules(kLanguageRules, std::size(kLanguageRules));
    if (line.arguments.size() != 1)
        return Usage("check-lang takes the language file's path and, optionally, --codepage N, --module MODULE and "
                     "--json; or --rules");
    const std::string& path = line.arguments[0];
    const std::string option = line.Option("--codepage");
    const unsigned int codePage = option.empty() ? kLineCodePage : static_cast<unsigned int>(atoi(option.c_str()));
    CPINFO info;
    if (option.find_first_not_of("0123456789") != std::string::npos || !::GetCPInfo(codePage, &info) ||
        info.MaxCharSize != 1)
        return Usage("--codepage needs the number of an 8-bit code page this PC knows, such as 1250");
    std::vector<LanguageFinding> findings;
    std::string error;
    std::vector<LanguageCaption> captions;
    FileIdentity identity;
    if (!CheckLanguageFile(path, codePage, &findings, &error, &captions, &identity))
        return Unreadable(line, "check-lang", path, error);
    const std::string module = line.Option("--module");
    if (!module.empty() && !MeasureCaptions(module, captions, &findings, &error))
        return Unusable("--module: " + error);
    size_t notes = 0;
    std::vector<JsonResult> results;
    for (const LanguageFinding& finding : findings) {
        notes += finding.bNote ? 1 : 0;
        if (const CheckRule* rule = FindRule(kLanguageRules, std::size(kLanguageRules), finding.pszRule))
            results.push_back({rule, finding.bNote ? "note" : "fail", finding.nLine, finding.strText});
    }
    const size_t count = findings.size() - notes;
    if (line.Has("--json")) {
        // Every rule runs over a file the module's reading takes; none over one it refuses.
        const bool usable = std::none_of(findings.begin(), findings.end(),
                                         [](const LanguageFinding& finding) { return finding.bUnusable; });
        // The captions' rule, the table's last, runs only with the module.
        const size_t ran = std::size(kLanguageRules) - (module.empty() ? 1 : 0);
        PrintJson("check-lang", path, identity, count ? "not fit" : "fit", kLanguageRules, ran, usable ? "pass" : nullptr, results);
        return count ? kFindings : kDone;
    }
    for (const LanguageFinding& finding : findings) {
        const std::string where = finding.nLine ? path + ":" + std::to_string(finding.nLine) : path;
        PrintText(stdout, "%s: %s%s [%s]\n", where.c_str(), finding.bNote ? "note: " : "", finding.strText.c_str(),
                  finding.pszRule);
    }
    PrintText(stdout, "%s: %zu finding%s", path.c_str(), count, count == 1 ? "" : "s");
    if (!module.empty())
        PrintText(stdout, ", %zu caption%s cut on this PC's fonts", notes, notes == 1 ? "" : "s");
    PrintText(stdout, "\n");
    return count ? kFindings : kDone;
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
    CReportFile* pFile;
    CTraceLog* pLog;
    CReasonWatch reasons;
};

// One line of the report: on the screen and in the report file.
void PrintLine(const ReportTargets& targets, const std::string& line)
{
    PrintText(stdout, "%s\n", line.c_str());
    targets.pFile->Add(line);
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
    PrintLine(*targets, head + text);
    if (targets->pLog)
        targets->pLog->OnReport(*report);
}

// Every unit's settings as the bench now holds them, and whether it answers there.
void PrintBenchTable()
{
    PrintText(stdout, "\n%-6s %-16s %-9s %7s %6s %-6s %6s %8s %-4s %s\n", "Unit", "Type", "Serial", "Address", "Baud",
              "Parity", "Delay", "Timeout", "JP1", "Answers there");
    for (const BenchUnit& unit : CBench::Get().Units()) {
        const unsigned char* config = unit.abyConfig;
        const int timeout = config[4] | config[5] << 8;
        // A unit still in configuration mode takes its stored setting when it leaves it.
        const bool answers = unit.bConfigMode ? !unit.bNeverAnswers && config[1] != 255
                                              : unit.AnswersAt(config[0], config[2] * 100, config[3]);
        PrintText(stdout, "%-6s %-16s %-9s %7u %6u %-6s %6u %8d %-4s %s\n", unit.strName.c_str(),
                  ("\"" + unit.strType + "\"").c_str(), unit.strSerial.c_str(), config[0], config[2] * 100,
                  ParityName(config[3], "?"), config[1], timeout, unit.bWriteEnabled ? "WE" : "WP",
                  answers ? "yes" : "no");
    }
}

const std::set<std::string> kConfigureOptions = {"--bench",  "--lang",       "--script", "--connect",
                                                 "--report", "--save-bench", "--log",    "--shots"};

// What one configure run works with, whichever way it runs.
struct ConfigureRun
{
    CommandLine options;
    COperatorScript script;
    CTestModule module;
    ITest* pTester = nullptr;
    CReportFile report;
    std::unique_ptr<CTraceLog> log;
};

// Reads the script and the bench, loads the module with its language file,
// opens the report and the log; kUnusable, having said why, when one of them
// fails.
int PrepareConfigure(ConfigureRun& run)
{
    const CommandLine& options = run.options;
    const std::string script = options.Option("--script"), bench = options.Option("--bench"),
                      connect = options.Option("--connect"), report = options.Option("--report"),
                      log = options.Option("--log");
    std::string problem;
    if (!CBench::Available())
        return Unusable("configure needs TestBench.dll, the simulated bench, beside tavohost.exe: it is not there");
    if (!script.empty() && !run.script.Load(script, &problem))
        return Unusable(problem);
    if (!bench.empty() && !CBench::Get().Load(bench, &problem))
        return Unusable(problem);
    if (!connect.empty() && !CBench::Get().Connect(connect))
        return Unusable("the bench has no unit '" + connect + "'");
    if (!LoadModule(run.module, options.arguments[0]))
        return kUnusable;
    run.pTester = run.module.Instance();
    if (!OpenLanguageFile(run.pTester, options.Option("--lang")))
        return kUnusable;
    if (!report.empty() && !run.report.Open(report, &problem))
        return Unusable("the report cannot be written: " + problem);
    if (!log.empty())
        run.log.reset(new CTraceLog(log, run.pTester));
    return kDone;
}

// A person at the line: the host window and the bench window, until the
// host window is closed.
int RunInteractive(ConfigureRun& run)
{
    CHostWindow window(run.pTester, run.module.Id(), run.log.get(), &run.report);
    if (!window.Create(::GetModuleHandleA(nullptr)))
        return Unusable("the host window cannot be opened");
    return window.Run();
}

// The operator script serves every dialog; the report goes to the terminal.
// Answers 1 when the script or the log found a fault.
int RunScripted(ConfigureRun& run)
{
    HWND host = ::CreateWindowExA(0, "STATIC", "tavohost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, nullptr, nullptr, nullptr, nullptr);
    if (!host)
        return Unusable("the host window cannot be created (error " + std::to_string(::GetLastError()) + ")");
    COperator op;
    int shot = 0;
    const std::string shots = run.options.Option("--shots");
    if (!shots.empty()) {
        op.SetObserver([&shots, &shot](HWND dialog) {
            const std::string path = shots + "-" + std::to_string(++shot) + ".png";
            std::string error;
            if (SaveWindowPng(dialog, path, &error))
                PrintText(stdout, "        picture %s\n", path.c_str());
            else
                PrintText(stderr, "tavohost: no picture: %s\n", error.c_str());
        });
    }
    run.script.Prepare();
    run.script.Queue(op, [](const std::string& line) { PrintText(stdout, "        %s\n", line.c_str()); });
    ReportTargets targets = {&run.report, run.log.get(), CReasonWatch()};
    CBench::Get().SetReportSink(&PrintReport, &targets);
    const int result = run.pTester->ConfigureThermometer(host, 0, 0);
    CBench::Get().SetReportSink(nullptr, nullptr);
    ::DestroyWindow(host);
    // The host's own line, marked "host", where the module gave no reason.
    if (targets.reasons.Unexplained(result))
        PrintLine(targets, "  - host     " + HostReason());
    PrintText(stdout, "ConfigureThermometer answered %d\n", result);

    int status = kDone;
    if (run.log && !run.log->Flush()) {
        // The rows are not lost: they go to standard error for the record.
        PrintText(stderr, "tavohost: these rows are not in '%s':\n", run.options.Option("--log").c_str());
        for (const std::string& row : run.log->Pending())
            PrintText(stderr, "%s", row.c_str());
        status = kFindings;
    }
    for (const std::string& failure : op.Failures()) {
        PrintText(stderr, "tavohost: %s\n", failure.c_str());
        status = kFindings;
    }
    for (const std::string& pending : op.Pending()) {
        PrintText(stderr, "tavohost: the script expected %s, which never opened\n", pending.c_str());
        status = kFindings;
    }
    return status;
}

int RunConfigure(const CommandLine& line)
{
    if (line.arguments.size() != 1)
        return Usage("configure takes the module's path and options");
    ConfigureRun run;
    run.options = line;
    if (PrepareConfigure(run) != kDone)
        return kUnusable;
    const std::string script = line.Option("--script"), saveBench = line.Option("--save-bench");
    int status = script.empty() ? RunInteractive(run) : RunScripted(run);
    std::string problem;
    if (run.report.IsOpen() && !run.report.Written(&problem)) {
        PrintText(stderr, "tavohost: the report file is not whole: %s\n", problem.c_str());
        status = kFindings;
    }
    if (!saveBench.empty() && !CBench::Get().Save(saveBench, &problem)) {
        PrintText(stderr, "tavohost: %s\n", problem.c_str());
        status = kFindings;
    }
    if (!script.empty() && !line.Option("--bench").empty())
        PrintBenchTable();
    return status;
}

// The pictures of every dialog and message box, for the localizer.
int RunPreview(const CommandLine& line)
{
    const std::string folder = line.Option("--out");
    if (line.arguments.size() != 1 || folder.empty())
        return Usage("preview takes the module's path, --out FOLDER and optionally --lang FILE");
    if (!CBench::Available())
        return Unusable("preview needs TestBench.dll, the simulated bench, beside tavohost.exe: it is not there");
    const std::wstring wide = Widen(folder);
    if (!::CreateDirectoryW(wide.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return Unusable("--out: '" + folder + "' cannot be made: " + SystemMessage(::GetLastError()));
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Unusable("--out: '" + folder + "' is a file, not a folder");
    CTestModule module;
    if (!LoadModule(module, line.arguments[0]))
        return kUnusable;
    ITest* test = module.Instance();
    if (!OpenLanguageFile(test, line.Option("--lang")))
        return kUnusable;
    const std::vector<std::string> faults =
        SavePreview(test, folder, [](const std::string& path) { PrintText(stdout, "%s\n", path.c_str()); });
    test->LanguageFileClose();
    for (const std::string& fault : faults)
        PrintText(stderr, "tavohost: %s\n", fault.c_str());
    return faults.empty() ? kDone : kFindings;
}

// What a file option names: a file read, a file written, or a folder.
enum FileUse
{
    kRead,
    kWritten,
    kFolder,
};

const std::map<std::string, FileUse> kFileOptions = {
    {"--bench", kRead},       {"--script", kRead}, {"--lang", kRead},    {"--report", kWritten},
    {"--save-bench", kWritten}, {"--log", kWritten}, {"--shots", kWritten}, {"--libs", kFolder},
    {"--template", kWritten}, {"--module", kRead},    {"--out", kFolder},
};

// Refuses, before anything is opened, a file option that names a device, or
// a file to write where a folder or a device is. The pictures are checked by
// their first name.
bool FileOptionsUsable(const CommandLine& line, std::string* problem)
{
    for (const auto& option : line.options) {
        const auto use = kFileOptions.find(option.first);
        if (use == kFileOptions.end())
            continue;
        const std::string path = option.second + (option.first == "--shots" ? "-1.png" : "");
        std::string why;
        if (use->second == kWritten ? !CanWriteFile(path, &why) : IsDeviceName(path)) {
            const char* what = use->second == kFolder ? "a folder" : "a file";
            *problem = option.first + ": " + (why.empty() ? "'" + path + "' names a device, not " + what : why);
            return false;
        }
    }
    return true;
}

// A command, the options it knows and what runs it.
struct Command
{
    const char* pszName;
    std::set<std::string> options;
    int (*run)(const CommandLine&);
};

const Command kCommands[] = {
    {"info", {}, RunInfo},
    {"texts", {"--lang", "--template"}, RunTexts},
    {"check-module", {"--libs", "--json", "--rules", "--no-load"}, RunCheckModule},
    {"check-lang", {"--codepage", "--module", "--json", "--rules"}, RunCheckLanguage},
    {"configure", kConfigureOptions, RunConfigure},
    {"preview", {"--lang", "--out"}, RunPreview},
};

}  // namespace

// Wide, so that every path Windows can name arrives whole; UTF-8 inside.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i)
        words.push_back(Narrow(argv[i], wcslen(argv[i])));
    if (words.empty())
        return Usage("no command given");
    const std::string name = words[0];
    if (name == "--help" || name == "-h") {
        PrintText(stdout, "%s", kUsage);
        return kDone;
    }
    if (name == "--version") {
        PrintText(stdout, "tavohost %s\n", TAVO_VERSION);
        return kDone;
    }
    for (const Command& command : kCommands) {
        if (name != command.pszName)
            continue;
        CommandLine line;
        std::string problem;
        if (!ParseCommandLine(std::vector<std::string>(words.begin() + 1, words.end()), command.options, &line,
                              &problem))
            return Usage(problem);
        if (!FileOptionsUsable(line, &problem))
            return Unusable(problem);
        return command.run(line);
    }
    return Usage("unknown command '" + name + "'");
}
