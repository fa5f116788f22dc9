// libFuzzer: the byte scan of a language file over any bytes, natively with
// the sanitizers: every access stays within the bytes, and a fault is named
// at a line the file has.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ByteScan.h"

namespace {

void HoldLine(int line, const std::string& text, const char* what)
{
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (line < 1 || line > lines) {
        fprintf(stderr, "broken: %s at line %d of %d\n", what, line, lines);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    EncodingOf(bytes);
    CodePage(DeclaredEncoding(bytes));
    int line = 1;
    if (!Utf8Fault(bytes, &line).empty()) {
        HoldLine(line, bytes, "a byte fault");
        return 0;
    }
    line = 1;
    MarkupFault(bytes, &line);
    HoldLine(line, bytes, "a markup fault");
    return 0;
}
