// COperatorScript::Parse and Names: an operator script read from its bytes,
// a pure function (no Windows call), so that its fuzzer runs it natively too.
#include "OperatorScript.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
enum { IDOK = 1, IDCANCEL = 2 };  // the dialog manager's buttons, for the native build
#endif

#include "Text.h"
#include "resource.h"

namespace {

bool IsNumber(const std::string& text)
{
    if (text.empty())
        return false;
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

}  // namespace

const COperatorScript::DialogNames& COperatorScript::Names(Kind kind)
{
    static const DialogNames kinds[] = {
        {"config", "the unit configuration dialog", IDC_WRITE_AND_TEST,
         {{"address", IDC_ADDRESS}, {"delay", IDC_ANSWER_DELAY}, {"no-answer", IDC_NO_ANSWER},
          {"baud", IDC_BAUD_RATE}, {"parity", IDC_PARITY}, {"timeout-on", IDC_TIMEOUT_CHECK},
          {"timeout", IDC_TIMEOUT}, {"quadrature-01", IDC_QUADRATURE_I0_I1}, {"quadrature-23", IDC_QUADRATURE_I2_I3},
          {"current-01", IDC_CURRENT_I0_I1}, {"current-23", IDC_CURRENT_I2_I3}, {"min-i0", IDC_MIN_PULSE_SPIN_I0},
          {"min-i1", IDC_MIN_PULSE_SPIN_I1}, {"min-i2", IDC_MIN_PULSE_SPIN_I2}, {"min-i3", IDC_MIN_PULSE_SPIN_I3},
          {"max-i0", IDC_MAX_PULSE_SPIN_I0}, {"max-i1", IDC_MAX_PULSE_SPIN_I1}, {"max-i2", IDC_MAX_PULSE_SPIN_I2},
          {"max-i3", IDC_MAX_PULSE_SPIN_I3}, {"series", IDC_SERIES}, {"write", IDC_WRITE_AND_TEST},
          {"cancel", IDCANCEL}}},
        {"test", "the new-setting test dialog", IDC_TEST_EXPLANATION, {{"back", IDCANCEL}}},
        {"next", "the next-unit dialog", IDC_CONFIRM_TEXT, {{"ok", IDOK}, {"cancel", IDCANCEL}}},
        {"box", "a message box", 0, {}},
    };
    return kinds[kind];
}

bool COperatorScript::Parse(const std::string& bytes, const std::string& path, std::string* error)
{
    std::istringstream file(bytes);
    auto fail = [&](int line, const std::string& what) {
        *error = path + ", line " + std::to_string(line) + ": " + what;
        return false;
    };
    m_prepare.clear();
    m_blocks.clear();
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        const size_t comment = text.find('#');
        std::istringstream words(Trimmed(text.substr(0, comment)));
        std::string verb, name;
        if (!(words >> verb))
            continue;
        if (verb == "dialog") {
            words >> name;
            Block block = {number, CONFIG, {}};
            bool known = false;
            for (Kind kind : {CONFIG, TEST, NEXT, BOX}) {
                if (name == Names(kind).pszName) {
                    block.kind = kind;
                    known = true;
                }
            }
            if (!known)
                return fail(number, "unknown dialog '" + name + "' (config, test, next or box)");
            m_blocks.push_back(block);
            continue;
        }
        std::string rest;
        std::getline(words, rest);
        rest = Trimmed(rest);
        Action action = {number, verb, 0, rest};
        const bool named = verb == "type" || verb == "tick" || verb == "untick" || verb == "choose" ||
                           verb == "spin" || verb == "wheel" || verb == "click";
        if (named) {
            std::istringstream parts(rest);
            parts >> name;
            std::getline(parts, action.strValue);
            action.strValue = Trimmed(action.strValue);
            if (m_blocks.empty())
                return fail(number, "'" + verb + "' before the first 'dialog' line");
            const DialogNames& info = Names(m_blocks.back().kind);
            auto control = info.controls.find(name);
            if (control == info.controls.end())
                return fail(number, "'" + name + "' is no control of " + info.pszDescription);
            action.nControl = control->second;
            if ((verb == "spin" || verb == "wheel") && !IsNumber(action.strValue))
                return fail(number, verb + " needs a number");
        } else if (verb == "wait") {
            if (!IsNumber(rest) || atoi(rest.c_str()) < 0)
                return fail(number, "wait needs milliseconds");
        } else if (verb == "answer") {
            if (rest != "ok" && rest != "yes" && rest != "no" && rest != "cancel")
                return fail(number, "answer needs ok, yes, no or cancel");
        } else if (verb == "connect") {
            if (rest.empty())
                return fail(number, "connect needs a unit's name");
        } else if (verb != "close") {
            return fail(number, "unknown action '" + verb + "'");
        }
        if (verb == "connect" && m_blocks.empty())
            m_prepare.push_back(action);
        else if (m_blocks.empty())
            return fail(number, "'" + verb + "' before the first 'dialog' line");
        else
            m_blocks.back().actions.push_back(action);
    }
    return true;
}

