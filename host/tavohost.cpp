// tavohost: the development host. Loads a test module the way the production
// host does (LoadLibrary, _GetTestInstance, the virtual table) and runs its
// commands from the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "TestModule.h"

namespace {

const char kUsage[] =
    "usage: tavohost info MODULE\n"
    "\n"
    "  info MODULE   load a test module (e.g. TestTAVO02.test) and print its\n"
    "                name, identifier and supported tests\n";

int RunInfo(const char* path)
{
    CTestModule module;
    if (!module.Load(path)) {
        fprintf(stderr, "tavohost: %s\n", module.Error().c_str());
        return 1;
    }
    CTest* test = module.Instance();
    if (!test) {
        fprintf(stderr, "tavohost: '%s' answered no test object\n", path);
        return 1;
    }
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "info") == 0)
        return RunInfo(argv[2]);
    if (argc < 2)
        fputs("tavohost: no command given\n", stderr);
    else
        fprintf(stderr, "tavohost: unknown command or wrong arguments: '%s'\n", argv[1]);
    fputs(kUsage, stderr);
    return 2;
}
