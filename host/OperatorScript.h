// Classes in this file: COperatorScript, an operator's script for a run of
// the configuration command: which unit to connect, what to type, tick,
// choose and click in each dialog, and how to answer each message box.
//
//   connect A                 # plug unit A of the bench in
//   dialog config             # the next dialog is the unit configuration
//     type address 120
//     choose baud 9600        # the entry whose text holds "9600"
//     tick series
//     click write
//   dialog box                # a message box
//     answer yes
//   dialog test               # the new-setting test; its worker ends it
//   dialog next               # "connect the next unit"
//     connect B
//     click ok
//
// Actions: type NAME TEXT, tick NAME, untick NAME, choose NAME TEXT,
// spin NAME POSITION, wheel NAME NOTCHES, click NAME, close, wait MS,
// answer ok|yes|no|cancel, connect UNIT. "#" starts a comment.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

class COperator;

class COperatorScript
{
public:
    // Reads a script; on a mistake answers false with error naming file and line.
    bool Load(const std::string& path, std::string* error);
    // Reads a script from its bytes; path names it in the errors.
    bool Parse(const std::string& bytes, const std::string& path, std::string* error);
    // Runs the actions given before the first dialog (connecting a unit).
    void Prepare() const;
    // Hands every dialog block to the operator; log receives one line per step.
    void Queue(COperator& op, std::function<void(const std::string&)> log) const;

    enum Kind { CONFIG, TEST, NEXT, BOX };
    // What a script calls a dialog, a control only that dialog has (0 for a
    // message box), and the names of its controls.
    struct DialogNames
    {
        const char* pszName;
        const char* pszDescription;
        int nMarkControl;
        std::map<std::string, int> controls;
    };
    static const DialogNames& Names(Kind kind);
    struct Action
    {
        int nLine;
        std::string strVerb;
        int nControl;        // 0 when the action names no control
        std::string strValue;
    };
    struct Block
    {
        int nLine;
        Kind kind;
        std::vector<Action> actions;
    };

private:
    std::vector<Action> m_prepare;
    std::vector<Block> m_blocks;
};
