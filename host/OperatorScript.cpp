// COperatorScript: reading an operator script and playing it through the
// operator automation.
#include "OperatorScript.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "Bench.h"
#include "FileDoor.h"
#include "Operator.h"
#include "TextConvert.h"

namespace {

// No operator script comes near: a larger one is no script.
const size_t kMaxScriptBytes = 4u << 20;

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
        if (view.Exists(COperatorScript::Names(kind).nMarkControl))
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
        const DialogNames& info = Names(block.kind);
        // The script's own check below names its line and what opened instead.
        op.Expect(info.pszDescription, COperator::ANY_DIALOG, [&op, &block, &info, log](CDialogView& view) {
            const Kind kind = KindOf(view);
            if (kind != block.kind) {
                op.Fail("script line " + std::to_string(block.nLine) + " expects " + info.pszDescription +
                        ", but \"" + OneLine(view.Title()) + "\" (" + Names(kind).pszDescription + ") opened");
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
