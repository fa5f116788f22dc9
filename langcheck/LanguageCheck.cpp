// CheckLanguageFile: reads the language file element by element, with the
// line of each, and checks it item by item.
#include "LanguageCheck.h"

#include <cctype>
#include <climits>
#include <map>

#include "FileDoor.h"
#include "ModuleTexts.h"
#include "TextConvert.h"
#include "XmlItems.h"

namespace {

// The ID as the module reads it: its 8-bit text (the ANSI code page, where a
// full-width digit becomes its ASCII one) read as a decimal number. exact is
// false when the text is more than blanks, a sign and digits.
long long ReadId(const std::string& utf8, bool* exact)
{
    const std::string text = Utf8ToAnsi(utf8);
    size_t i = 0;
    while (i < text.size() && isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const size_t digits = i;
    long long value = 0;
    for (; i < text.size() && isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value > INT_MAX ? value : value * 10 + (text[i] - '0');
    const size_t end = i;
    while (i < text.size() && isspace(static_cast<unsigned char>(text[i])))
        ++i;
    *exact = end > digits && i == text.size();
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

// Walks the items of one group (messages, dialogs or the controls of one
// dialog): the first item of each ID counts, later ones are never used.
class CGroupCheck
{
public:
    CGroupCheck(const char* what, std::vector<LanguageFinding>* findings) : m_pszWhat(what), m_pFindings(findings) {}

    // Answers true when the item is the first of its ID; *id gets the ID.
    bool Add(const XmlItem& item, long long* id)
    {
        if (!item.bHasId) {
            Report(item.nLine, std::string(m_pszWhat) + " without ID reads as ID 0");
        }
        bool exact = true;
        *id = item.bHasId ? ReadId(item.strId, &exact) : 0;
        if (item.bHasId && !exact)
            Report(item.nLine, std::string(m_pszWhat) + " ID \"" + item.strId +
                                   "\" does not read as a decimal number; the module reads it as " +
                                   std::to_string(*id));
        auto first = m_first.find(*id);
        if (first != m_first.end()) {
            Report(item.nLine, std::string(m_pszWhat) + " ID " + std::to_string(*id) + " repeats line " +
                                   std::to_string(first->second) + "; this entry is never used");
            return false;
        }
        m_first[*id] = item.nLine;
        return true;
    }

    bool Has(long long id) const { return m_first.count(id) != 0; }

    void Report(int line, const std::string& text) { m_pFindings->push_back({line, text}); }

private:
    const char* m_pszWhat;
    std::vector<LanguageFinding>* m_pFindings;
    std::map<long long, int> m_first;
};

int Count(const std::string& text, const char* pattern)
{
    int count = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 2))
        ++count;
    return count;
}

}  // namespace

bool CheckLanguageFile(const std::string& path, std::vector<LanguageFinding>* findings, std::string* error)
{
    std::string bytes, reason;
    std::vector<XmlItem> items;
    int line = 0;
    if (!ReadRegularFile(path, kMaxXmlBytes, &bytes, error))
        return false;
    if (!ReadXmlItems(bytes, &items, &line, &reason)) {
        findings->push_back({line, "not well-formed XML (" + reason + "): the module uses none of its texts", true});
        return true;
    }
    if (items.empty() || items[0].strElement != "TesterLanguage") {
        findings->push_back({items.empty() ? 0 : items[0].nLine,
                             "the root element is not TesterLanguage: the module uses none of its texts", true});
        return true;
    }

    CGroupCheck messages("MessageItem", findings);
    CGroupCheck dialogs("DialogItem", findings);
    std::map<long long, CGroupCheck> controls;  // of the first DialogItem of each ID
    std::map<long long, bool> hasTitle;
    bool inMessages = false, inDialogs = false, dialogCounts = false;
    long long dialogId = 0;
    for (size_t i = 1; i < items.size(); ++i) {
        const XmlItem& item = items[i];
        const int depth = item.nDepth;
        long long id = 0;
        const size_t colon = item.strElement.find(':');
        const std::string local = colon == std::string::npos ? "" : item.strElement.substr(colon + 1);
        if (local == "Message" || local == "MessageItem" || local == "Dialog" || local == "DialogItem" ||
            local == "ControlItem")
            findings->push_back({item.nLine, item.strElement + " is no " + local +
                                                 " to the module, which compares names with their prefix: it "
                                                 "reads nothing of it"});
        if (depth == 1) {
            inMessages = item.strElement == "Message";
            inDialogs = item.strElement == "Dialog";
        } else if (depth == 2 && inMessages && item.strElement == "MessageItem") {
            if (!messages.Add(item, &id))
                continue;
            if (!item.bHasText)
                messages.Report(item.nLine,
                                "MessageItem ID " + std::to_string(id) + " has no text; the built-in text is used");
            else if (id == 39 && (Count(item.strText, "%s") != 2 || Count(item.strText, "%d") != 2))
                messages.Report(item.nLine, "message 39 must hold two \"%s\" and two \"%d\"");
        } else if (depth == 2 && inDialogs && item.strElement == "DialogItem") {
            dialogCounts = dialogs.Add(item, &dialogId);
            if (dialogCounts) {
                hasTitle[dialogId] = item.bHasText;
                controls.emplace(dialogId, CGroupCheck("ControlItem", findings));
            }
        } else if (depth == 3 && inDialogs && item.strElement == "ControlItem" && dialogCounts) {
            CGroupCheck& group = controls.at(dialogId);
            if (group.Add(item, &id) && !item.bHasText)
                group.Report(item.nLine, "ControlItem ID " + std::to_string(id) + " of dialog " +
                                             std::to_string(dialogId) + " has no text; the built-in caption is used");
        }
    }

    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id) {
        if (!messages.Has(id))
            findings->push_back({0, "message " + std::to_string(id) + " is not translated"});
    }
    for (unsigned int id : kModuleDialogs) {
        if (!hasTitle[id])
            findings->push_back({0, "the title of dialog " + std::to_string(id) + " is not translated"});
    }
    for (const ModuleControlText& control : kModuleControls) {
        auto group = controls.find(control.nDialog);
        if (group == controls.end() || !group->second.Has(control.nControl))
            findings->push_back({0, "control " + std::to_string(control.nControl) + " of dialog " +
                                        std::to_string(control.nDialog) + " is not translated"});
    }
    return true;
}
