// tavohost: the development host. Loads a test module the way the production
// host does (LoadLibrary, _GetTestInstance, the virtual table) and runs its
// commands from the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "LanguageCheck.h"
#include "ModuleTexts.h"
#include "TAVOTester.h"
#include "TestModule.h"

namespace {

const char kUsage[] =
    "usage: tavohost COMMAND ...\n"
    "\n"
    "  info MODULE                  print the module's name, identifier and supported tests\n"
    "  texts MODULE [--lang FILE]   list every text the module shows, with its ID and where\n"
    "                               it comes from (language file, built-in, base)\n"
    "  check-lang FILE              check a language file for the localizer; exit status 0\n"
    "                               when it is clean, 1 when it has findings\n";

int Usage(const std::string& problem)
{
    fprintf(stderr, "tavohost: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

// A text of the module (ANSI code page) as UTF-8 on one line.
std::string Printable(const char* text)
{
    if (!text)
        return "(null)";
    wchar_t wide[4096];
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 4096);
    char utf8[8192];
    if (!length || !::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), nullptr, nullptr))
        return "(unreadable)";
    std::string line = "\"";
    for (const char* c = utf8; *c; ++c) {
        if (*c == '\n')
            line += "\\n";
        else if (*c == '\t')
            line += "\\t";
        else
            line += *c;
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
    CTest* test = module.Instance();
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

// One text of the module: its label and how to ask for it, the module's own
// answer and the tester base's.
struct TextQuery
{
    std::string strLabel;
    const char* (*ask)(CTest*, unsigned int, unsigned int);
    const char* (*askBase)(CTAVOTester*, unsigned int, unsigned int);
    unsigned int nFirst, nSecond;
};

std::vector<TextQuery> ModuleTextQueries()
{
    std::vector<TextQuery> queries;
    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id)
        queries.push_back({"message " + std::to_string(id),
                           [](CTest* t, unsigned int a, unsigned int) { return t->GetMessageA(a); },
                           [](CTAVOTester* t, unsigned int a, unsigned int) { return t->CTAVOTester::GetMessageA(a); },
                           id, 0});
    for (unsigned int id : kModuleDialogs)
        queries.push_back({"dialog " + std::to_string(id),
                           [](CTest* t, unsigned int a, unsigned int) { return t->GetDialogName(a); },
                           [](CTAVOTester* t, unsigned int a, unsigned int) { return t->CTAVOTester::GetDialogName(a); },
                           id, 0});
    for (const ModuleControlText& control : kModuleControls)
        queries.push_back({"control " + std::to_string(control.nDialog) + "/" + std::to_string(control.nControl),
                           [](CTest* t, unsigned int a, unsigned int b) { return t->GetDialogControlName(a, b); },
                           [](CTAVOTester* t, unsigned int a, unsigned int b) {
                               return t->CTAVOTester::GetDialogControlName(a, b);
                           },
                           control.nDialog, control.nControl});
    return queries;
}

// Where a text comes from: an answer that differs from the one without a
// language file came from the file; otherwise it is the module's own or,
// when the tester base gives the very same text, the base's.
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
    CTest* test = module.Instance();
    auto* tester = static_cast<CTAVOTester*>(test);
    const std::vector<TextQuery> queries = ModuleTextQueries();
    std::vector<const char*> withoutFile;
    for (const TextQuery& query : queries)
        withoutFile.push_back(query.ask(test, query.nFirst, query.nSecond));
    if (!language.empty()) {
        test->SetLanguageFile(language.c_str());
        if (!test->LanguageFileOpen()) {
            fprintf(stderr, "tavohost: language file not used: %s\n", TesterGetLanguageFileError());
            return 1;
        }
    }
    for (size_t i = 0; i < queries.size(); ++i) {
        const TextQuery& query = queries[i];
        const char* text = query.ask(test, query.nFirst, query.nSecond);
        const char* source = text != withoutFile[i] ? "language file"
                             : text == query.askBase(tester, query.nFirst, query.nSecond) ? "base"
                                                                                           : "built-in";
        printf("%-20s %-14s %s\n", query.strLabel.c_str(), source, Printable(text).c_str());
    }
    test->LanguageFileClose();
    return 0;
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
    return Usage("unknown command '" + command + "'");
}
