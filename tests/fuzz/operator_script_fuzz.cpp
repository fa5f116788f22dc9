// libFuzzer: the operator script's reader over any bytes, natively with the
// sanitizers. A script it takes names only controls its dialogs have.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "OperatorScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    COperatorScript script;
    std::string error;
    if (!script.Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.script", &error) &&
        error.compare(0, 18, "fuzz.script, line ") != 0) {
        fprintf(stderr, "a refusal that names no line: %s\n", error.c_str());
        abort();
    }
    return 0;
}
