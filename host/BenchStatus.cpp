// HostReason: what the bench shows when the module gives no reason.
#include "BenchStatus.h"

#include "Bench.h"
#include "CodePage.h"

namespace {

const char* ParityName(int parity)
{
    return parity == 0 ? "no" : parity == 1 ? "odd" : parity == 2 ? "even" : "unknown";
}

std::string UnitState(const BenchUnit& unit)
{
    std::string state = "unit " + unit.strName + " (type \"" + AnsiToUtf8(unit.strType) + "\", serial " +
                        unit.strSerial + ") is connected, JP1 on " + (unit.bWriteEnabled ? "WE" : "WP (writes refused)") +
                        ", JP2 " + (unit.bJP2Closed ? "closed" : "open");
    if (unit.bConfigMode)
        return state + ", in configuration mode";
    if (unit.bNeverAnswers || unit.byAnswerDelay == 255)
        return state + ", it does not answer";
    return state + ", it answers on address " + std::to_string(unit.byAnswerAddress) + ", " +
           std::to_string(unit.nAnswerBaud) + " Bd, " + ParityName(unit.byAnswerParity) + " parity";
}

}  // namespace

std::string HostReason()
{
    const std::string connected = CBench::Get().Connected();
    std::string shown = "no unit is connected to the tester";
    for (const BenchUnit& unit : CBench::Get().Units()) {
        if (unit.strName == connected)
            shown = UnitState(unit);
    }
    return "the module ended without a reason of its own; the bench shows: " + shown;
}
