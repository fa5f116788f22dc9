// COperatorScript: reading an operator script and playing it through the
// operator automation.
#include "OperatorScript.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

#include "Bench.h"
#include "FileDoor.h"
#include "Operator.h"
#include "Text.h"
#include "TextConvert.h"
#include "resource.h"

namespace {

// No operator script comes near: a larger one is no script.
const size_t kMaxScriptBytes = 4u << 20;

struct KindInfo
{
    const char* pszName;
    const char* pszDescription;
    int nMarkControl;  // a control only this dialog has; 0 for a message box
    std::map<std::string, int> controls;
};

const KindInfo& Info(COperatorScript::Kind kind)
{
    static const KindInfo kinds[] = {
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

// A dialog's 8-bit text as one line of UTF-8.
std::string OneLine(const std::string& ansi)
{
    std::string text = AnsiToUtf8(ansi);
    for (size_t at = text.find_first_of("\n\t"); at != std::string::npos; at = text.find_first_of("\n\t", at))
        text.replace(at, 1, " ");
    return text;
}

COperatorScript::Kind KindOf(CDialogView& view)
{
    for (COperatorScript::Kind kind : {COperatorScript::CONFIG, COperatorScript::TEST, COperatorScript::NEXT}) {
        if (view.Exists(Info(kind).nMarkControl))
            return kind;
    }
    return COperatorScript::BOX;
}

}  // namespace

bool COperatorScript::Load(const std::string& path, std::string* error)
{
    std::string bytes;
    return ReadRegularFile(path, kMaxScriptBytes, &bytes, error) && Parse(bytes, path, error);
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
                if (name == Info(kind).pszName) {
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
            const KindInfo& info = Info(m_blocks.back().kind);
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

void COperatorScript::Prepare() const
{
    for (const Action& action : m_prepare)
        CBench::Get().Connect(action.strValue);
}

namespace {

// Plays the actions of one block from index on; a wait goes on later.
void Play(COperator& op, const COperatorScript::Block& block, size_t index, CDialogView& view,
          const std::function<void(const std::string&)>& log)
{
    for (; index < block.actions.size(); ++index) {
        const COperatorScript::Action& action = block.actions[index];
        const std::string where = "script line " + std::to_string(action.nLine) + ": ";
        if (action.nControl && !view.Exists(action.nControl)) {
            op.Fail(where + "the dialog on screen has no such control");
            continue;
        }
        if (action.strVerb == "wait") {
            view.Later(static_cast<DWORD>(atoi(action.strValue.c_str())),
                       [&op, &block, index, log](CDialogView& later) { Play(op, block, index + 1, later, log); });
            return;
        }
        if (action.strVerb == "type") {
            view.SetText(action.nControl, Utf8ToAnsi(action.strValue));
        } else if (action.strVerb == "tick" || action.strVerb == "untick") {
            view.SetChecked(action.nControl, action.strVerb == "tick");
        } else if (action.strVerb == "choose") {
            int found = -1;
            for (int i = 0; found < 0 && i < view.ItemCount(action.nControl); ++i) {
                if (AnsiToUtf8(view.ItemText(action.nControl, i)).find(action.strValue) != std::string::npos)
                    found = i;
            }
            if (found < 0)
                op.Fail(where + "the list has no entry with \"" + action.strValue + "\"");
            else
                view.Select(action.nControl, found);
        } else if (action.strVerb == "spin") {
            view.SetUpDown(action.nControl, atoi(action.strValue.c_str()));
        } else if (action.strVerb == "wheel") {
            view.Focus(action.nControl);
            view.Wheel(WHEEL_DELTA * atoi(action.strValue.c_str()));
        } else if (action.strVerb == "click") {
            view.Click(action.nControl);
        } else if (action.strVerb == "close") {
            view.Close();
        } else if (action.strVerb == "connect") {
            if (!CBench::Get().Connect(action.strValue))
                op.Fail(where + "the bench has no unit '" + action.strValue + "'");
            else
                log("operator connects unit " + action.strValue);
        } else if (action.strVerb == "answer") {
            static const std::map<std::string, int> answers = {
                {"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}};
            log("operator answers " + action.strValue);
            view.Click(answers.at(action.strValue));
        }
        if (!view.IsOpen())
            return;
    }
}

}  // namespace

void COperatorScript::Queue(COperator& op, std::function<void(const std::string&)> log) const
{
    for (const Block& block : m_blocks) {
        const KindInfo& info = Info(block.kind);
        // The script's own check below names its line and what opened instead.
        op.Expect(info.pszDescription, COperator::ANY_DIALOG, [&op, &block, &info, log](CDialogView& view) {
            const Kind kind = KindOf(view);
            if (kind != block.kind) {
                op.Fail("script line " + std::to_string(block.nLine) + " expects " + info.pszDescription +
                        ", but \"" + OneLine(view.Title()) + "\" (" + Info(kind).pszDescription + ") opened");
                ::EndDialog(view.Handle(), IDCANCEL);
                return;
            }
            if (kind == BOX)
                log("message box \"" + OneLine(view.Title()) + "\": " + OneLine(view.MessageText()));
            else
                log("dialog \"" + OneLine(view.Title()) + "\"");
            Play(op, block, 0, view, log);
        }, block.kind == TEST && block.actions.empty() ? info.nMarkControl : 0);  // a test its worker may end
    }
}
