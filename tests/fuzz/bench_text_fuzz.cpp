// libFuzzer: the bench file's reader over any bytes, natively with the
// sanitizers. Whatever it reads, the text the bench saves of it reads back
// to the same bench: a saved bench loses nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchText.h"

namespace {

bool Same(const BenchUnit& a, const BenchUnit& b)
{
    return a.strName == b.strName && a.strType == b.strType && a.strSerial == b.strSerial &&
           memcmp(a.abyConfig, b.abyConfig, sizeof(a.abyConfig)) == 0 && a.defaultBlock == b.defaultBlock &&
           a.bWriteEnabled == b.bWriteEnabled && a.bJP2Closed == b.bJP2Closed &&
           a.byAnswerAddress == b.byAnswerAddress && a.nAnswerBaud == b.nAnswerBaud &&
           a.byAnswerParity == b.byAnswerParity && a.nAnswerAfterPolls == b.nAnswerAfterPolls &&
           a.bNeverAnswers == b.bNeverAnswers && a.dwPollMs == b.dwPollMs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BenchContents read;
    std::string error;
    if (!ParseBenchText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.ini", &read, &error))
        return 0;
    const std::string saved = BenchText(read);
    BenchContents again;
    if (!ParseBenchText(saved, "saved.ini", &again, &error)) {
        fprintf(stderr, "the saved bench does not read back: %s\n%s", error.c_str(), saved.c_str());
        abort();
    }
    bool same = read.strConnected == again.strConnected && read.units.size() == again.units.size();
    for (size_t i = 0; same && i < read.units.size(); ++i)
        same = Same(read.units[i], again.units[i]);
    if (!same) {
        fprintf(stderr, "the saved bench reads back as another:\n%s", saved.c_str());
        abort();
    }
    return 0;
}
