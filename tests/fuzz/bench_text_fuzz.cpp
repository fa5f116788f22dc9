// libFuzzer: the bench file's reader over any bytes, natively with the
// sanitizers. Whatever it reads, the text the bench saves of it reads back
// to the same bench: a saved bench loses nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "BenchText.h"

namespace {

bool Same(const BenchUnit& a, const BenchUnit& b)
{
    const auto fields = [](const BenchUnit& u) {
        return std::make_tuple(u.strName, u.strType, u.strSerial, std::string(u.abyConfig, u.abyConfig + 21),
                               u.defaultBlock, u.bWriteEnabled, u.bJP2Closed, u.byAnswerAddress, u.nAnswerBaud,
                               u.byAnswerParity, u.nAnswerAfterPolls, u.bNeverAnswers, u.dwPollMs);
    };
    return fields(a) == fields(b);
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
