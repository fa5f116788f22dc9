// WriteLanguageTemplate: every text of the module, asked of the module.
#include "LanguageTemplate.h"

#include <windows.h>

#include <map>

#include "DialogTemplate.h"
#include "FileDoor.h"
#include "ModuleTexts.h"
#include "TestModule.h"
#include "TextConvert.h"

namespace {

// What the module fills in a message, where it fills anything.
const std::map<unsigned int, const char*> kFilled = {
    {39, "the report line of a unit that answered: the module fills the first %s with the serial number, the "
         "second %s with the parity, the first %d with the address, the second %d with the baud rate; keep two "
         "of each, in any order of the sentence"},
    {44, "reported for a unit without a type text: the module fills nothing, the %s is shown as it stands"},
};

// A text as an attribute value: the five characters XML reserves and the
// line ends and tabs, which an attribute would turn into blanks, as references.
std::string Attribute(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\n':
            escaped += "&#10;";
            break;
        case '\r':
            escaped += "&#13;";
            break;
        case '\t':
            escaped += "&#9;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// A comment's text: "--" may stand in no comment.
std::string Comment(std::string text)
{
    for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at))
        text.replace(at, 2, "- -");
    return "<!-- " + text + " -->";
}

std::string Utf8(const char* ansi)
{
    return ansi ? AnsiToUtf8(ansi) : std::string();
}

// The module's dialog template, as the dialog manager reads it; empty when
// the module holds none of that ID.
DialogTemplate Template(HMODULE module, unsigned int id)
{
    DialogTemplate dialog{};
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes ||
        !ReadDialogTemplate(static_cast<const unsigned char*>(bytes), ::SizeofResource(module, found), &dialog))
        dialog.controls.clear();
    return dialog;
}

// Where a control's caption is shown.
std::string Where(const DialogTemplate& dialog, unsigned int dialogId, unsigned int controlId)
{
    const std::string control = "control " + std::to_string(controlId) + " of dialog " + std::to_string(dialogId);
    for (const DialogControl& item : dialog.controls) {
        if (item.dwId == controlId)
            return control + ": " + ControlKind(item) + ", " + std::to_string(item.cx) + " x " +
                   std::to_string(item.cy) + " dialog units in " + dialog.strFont + " " +
                   std::to_string(dialog.nPointSize);
    }
    return control + ": a control the dialog makes when it opens, not in its template";
}

}  // namespace

bool WriteLanguageTemplate(const CTestModule& module, const std::string& path, std::string* error)
{
    ITest* test = module.Instance();
    const std::string name = Utf8(test->GetModuleName());
    std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
                       Comment("Every text " + name +
                               " shows, with the text it shows now. Translate each text "
                               "attribute; keep the IDs. Check the file with: tavohost check-lang FILE") +
                       "\n<TesterLanguage>\n  <Message>\n";
    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id) {
        const auto filled = kFilled.find(id);
        file += "    " +
                Comment("message " + std::to_string(id) +
                        (filled != kFilled.end() ? ": " + std::string(filled->second) : "")) +
                "\n    <MessageItem ID=\"" + std::to_string(id) + "\" text=\"" +
                Attribute(Utf8(test->GetMessageA(id))) + "\"/>\n";
    }
    file += "  </Message>\n  <Dialog>\n";
    for (unsigned int dialogId : kModuleDialogs) {
        const DialogTemplate dialog = Template(module.Handle(), dialogId);
        file += "    " +
                Comment("dialog " + std::to_string(dialogId) + ": its title, " + std::to_string(dialog.cx) + " x " +
                        std::to_string(dialog.cy) + " dialog units") +
                "\n    <DialogItem ID=\"" + std::to_string(dialogId) + "\" text=\"" +
                Attribute(Utf8(test->GetDialogName(dialogId))) + "\">\n";
        for (const ModuleControlText& control : kModuleControls) {
            if (control.nDialog != dialogId)
                continue;
            file += "      " + Comment(Where(dialog, dialogId, control.nControl)) + "\n      <ControlItem ID=\"" +
                    std::to_string(control.nControl) + "\" text=\"" +
                    Attribute(Utf8(test->GetDialogControlName(dialogId, control.nControl))) + "\"/>\n";
        }
        file += "    </DialogItem>\n";
    }
    file += "  </Dialog>\n</TesterLanguage>\n";
    // Notepad on an older Windows shows a bare LF file as one long line.
    std::string windows;
    for (char c : file)
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return WriteWholeFile(path, windows, error);
}
