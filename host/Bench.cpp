// BenchLibrary: TestBench.dll's functions, looked up once.
#include "Bench.h"

#include <windows.h>

namespace {

// Every function of the table from library; false when one is missing.
bool Bind(HMODULE library, BenchFunctions* functions)
{
    bool whole = library != nullptr;
#define TAVO_BENCH_BIND(name)                                                                       \
    functions->name = whole ? reinterpret_cast<decltype(&::name)>(                                  \
                                  reinterpret_cast<void*>(::GetProcAddress(library, #name)))        \
                            : nullptr;                                                              \
    whole = whole && functions->name;
    TAVO_BENCH_FUNCTIONS(TAVO_BENCH_BIND)
#undef TAVO_BENCH_BIND
    return whole;
}

}  // namespace

const BenchFunctions* BenchLibrary()
{
    static BenchFunctions functions;
    static const bool bound = Bind(::LoadLibraryW(L"TestBench.dll"), &functions);
    return bound ? &functions : nullptr;
}

const BenchFunctions* LoadedBenchLibrary()
{
    return ::GetModuleHandleW(L"TestBench.dll") ? BenchLibrary() : nullptr;
}
