// HostReason: what the bench shows when the module gives no reason.
#include "BenchStatus.h"

#include "Bench.h"
#include "TextConvert.h"

namespace {

std::string UnitState(const BenchUnit& unit)
{
    std::string state = "unit " + unit.strName + " (type \"" + AnsiToUtf8(unit.strType) + "\", serial " +
                        unit.strSerial + ") is connected, JP1 on " +
                        (unit.bWriteEnabled ? "WE" : "WP (writes refused)") + ", JP2 " +
                        (unit.bJP2Closed ? "closed" : "open");
    if (unit.bConfigMode)
        return state + ", in configuration mode";
    if (unit.bNeverAnswers || unit.byAnswerDelay == 255)
        return state + ", it does not answer";
    const char* parity = unit.byAnswerParity == 0 ? "no" : ParityName(unit.byAnswerParity, "unknown");
    return state + ", it answers on address " + std::to_string(unit.byAnswerAddress) + ", " +
           std::to_string(unit.nAnswerBaud) + " Bd, " + parity + " parity";
}

}  // namespace

std::string HostReason()
{
    BenchUnit unit;
    const std::string shown =
        CBench::Get().ConnectedUnit(&unit) ? UnitState(unit) : "no unit is connected to the tester";
    return "the module ended without a reason of its own; the bench shows: " + shown;
}
