// CheckLanguageFile: reads the language file element by element, with the
// line of each, and checks it item by item.
#include "LanguageCheck.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <map>
#include <utility>

#include "CaptionFit.h"
#include "FileDoor.h"
#include "ModuleTexts.h"
#include "Sha256.h"
#include "Text.h"
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
            Report("LA202", item.nLine, std::string(m_pszWhat) + " without ID reads as ID 0");
        }
        bool exact = true;
        *id = item.bHasId ? ReadId(item.strId, &exact) : 0;
        if (item.bHasId && !exact)
            Report("LA202", item.nLine, std::string(m_pszWhat) + " ID \"" + item.strId +
                                   "\" does not read as a decimal number; the module reads it as " +
                                   std::to_string(*id));
        auto first = m_first.find(*id);
        if (first != m_first.end()) {
            Report("LA203", item.nLine, std::string(m_pszWhat) + " ID " + std::to_string(*id) + " repeats line " +
                                   std::to_string(first->second) + "; this entry is never used");
            return false;
        }
        m_first[*id] = item.nLine;
        return true;
    }

    bool Has(long long id) const { return m_first.count(id) != 0; }

    void Report(const char* rule, int line, const std::string& text) { m_pFindings->push_back({rule, line, text}); }

private:
    const char* m_pszWhat;
    std::vector<LanguageFinding>* m_pFindings;
    std::map<long long, int> m_first;
};

// Where each "%s" and "%d" of message 39 lie, in the order the module
// fills them: it replaces the first "%s" with the serial text, the next with
// the parity word, the first "%d" with the address, the next with the baud
// rate.
const char* const kSerialFill[] = {"the serial number", "the parity"};
const char* const kNumberFill[] = {"the address", "the baud rate"};
const int kReportLine = 39;
const int kForType = 44;  // its built-in text shows its "%s" as it stands

// The offsets of pattern in text, as the module's replacing finds them.
std::vector<size_t> Occurrences(const std::string& text, const char* pattern)
{
    std::vector<size_t> at;
    for (size_t found = text.find(pattern); found != std::string::npos; found = text.find(pattern, found + 2))
        at.push_back(found);
    return at;
}

// What message id makes of its placeholders, one finding each that differs
// from what the module fills: message 39 takes two "%s" and two "%d"; every
// other '%' sequence of any message is shown as it stands, but message 44's
// one "%s", which its built-in text shows as well.
void CheckPlaceholders(long long id, const std::string& text, int line, std::vector<LanguageFinding>* findings)
{
    const std::string message = "message " + std::to_string(id);
    std::vector<bool> filled(text.size(), false);
    if (id == kReportLine) {
        const std::pair<const char*, const char* const*> kinds[] = {{"%s", kSerialFill}, {"%d", kNumberFill}};
        for (const auto& kind : kinds) {
            const std::vector<size_t> at = Occurrences(text, kind.first);
            for (size_t i = 0; i < at.size() && i < 2; ++i)
                filled[at[i]] = filled[at[i] + 1] = true;
            if (at.size() < 2) {
                const std::string lost = at.empty() ? std::string("show neither ") + kind.second[0] + " nor " +
                                                          kind.second[1]
                                                    : std::string("not show ") + kind.second[1];
                findings->push_back({"LA207", line,
                                     message + " holds " + std::to_string(at.size()) + " \"" + kind.first +
                                         "\" of two: the report line will " + lost + " (the first \"" + kind.first +
                                         "\" gets " + kind.second[0] + ", the second " + kind.second[1] + ")"});
            }
        }
    } else if (id == kForType) {
        const std::vector<size_t> at = Occurrences(text, "%s");
        if (!at.empty())
            filled[at[0]] = filled[at[0] + 1] = true;
    }
    for (size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 1)) {
        if (filled[i])
            continue;
        const std::string sequence = text.substr(i, 2);
        findings->push_back({"LA207", line,
                             message + " holds \"" + sequence + "\", which the module fills with nothing: " +
                                 "the line shows \"" + sequence + "\" as it stands"});
        i += sequence.size() - 1;
    }
}

// The first character of text (UTF-8) that the module's 8-bit code page
// cannot hold, with what the module shows in its place.
void CheckShown(const std::string& text, int line, unsigned int codePage, std::vector<LanguageFinding>* findings)
{
    const std::wstring wide = Widen(text);
    for (size_t i = 0; i < wide.size(); ++i) {
        const size_t length = i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) ? 2 : 1;
        BOOL lost = FALSE;
        char bytes[8];
        const int written = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide[i], static_cast<int>(length),
                                                  bytes, sizeof(bytes), nullptr, &lost);
        if (written > 0 && !lost) {
            i += length - 1;
            continue;
        }
        const unsigned long point = length == 2 ? 0x10000 + ((wide[i] - 0xD800ul) << 10) + (wide[i + 1] - 0xDC00ul)
                                                : wide[i];
        const std::string shown = Narrow(Widen(Narrow(&wide[i], length, codePage), codePage));
        findings->push_back({"LA208", line,
                             "\"" + Narrow(&wide[i], length) + "\" (U+" + Hex(point, 4) + ") has no place in code page " +
                                 std::to_string(codePage) + ": the module shows \"" + shown + "\" in its place"});
        return;
    }
}

// Bytes of a file declared in an 8-bit code page that read as UTF-8
// letters: a file saved as UTF-8 under a declaration it does not keep. The
// module reads each such letter as two or three characters of the code page.
void CheckSavedAsUtf8(const std::string& bytes, unsigned int declared, std::vector<LanguageFinding>* findings)
{
    int line = 1, lastLine = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        line += lead == '\n' ? 1 : 0;
        const size_t length = lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : 0;
        bool utf8 = length && i + length <= bytes.size();
        for (size_t k = 1; utf8 && k < length; ++k)
            utf8 = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        const std::string sequence = utf8 ? bytes.substr(i, length) : std::string();
        if (!utf8 || line == lastLine || !::IsCharAlphaW(Widen(sequence)[0]))
            continue;
        findings->push_back({"LA209", line, "bytes " + HexBytes(reinterpret_cast<const unsigned char*>(sequence.data()),
                                                       length) +
                                       " read as UTF-8 \"" + sequence + "\", but the file declares code page " +
                                       std::to_string(declared) + ": the module shows \"" +
                                       Narrow(Widen(sequence, declared)) + "\" (save it as UTF-8 and declare so)"});
        lastLine = line;
        i += length - 1;
    }
}

}  // namespace

bool CheckLanguageFile(const std::string& path, unsigned int codePage, std::vector<LanguageFinding>* findings,
                       std::string* error, std::vector<LanguageCaption>* captions, FileIdentity* identity)
{
    std::vector<LanguageCaption> read;
    std::string bytes, reason;
    std::vector<XmlItem> items;
    int line = 0;
    if (!ReadRegularFile(path, kMaxXmlBytes, &bytes, error))
        return false;
    if (identity)
        *identity = {Sha256(bytes), bytes.size()};
    if (!ReadXmlItems(bytes, &items, &line, &reason)) {
        findings->push_back(
            {"LA201", line, "not well-formed XML (" + reason + "): the module uses none of its texts", true});
        return true;
    }
    if (const unsigned int declared = DeclaredCodePage(bytes))
        CheckSavedAsUtf8(bytes, declared, findings);
    if (items.empty() || items[0].strElement != "TesterLanguage") {
        findings->push_back({"LA201", items.empty() ? 0 : items[0].nLine,
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
            findings->push_back({"LA206", item.nLine, item.strElement + " is no " + local +
                                                 " to the module, which compares names with their prefix: it "
                                                 "reads nothing of it"});
        if (depth == 1) {
            inMessages = item.strElement == "Message";
            inDialogs = item.strElement == "Dialog";
        } else if (depth == 2 && inMessages && item.strElement == "MessageItem") {
            if (!messages.Add(item, &id))
                continue;
            if (!item.bHasText)
                messages.Report("LA204", item.nLine,
                                "MessageItem ID " + std::to_string(id) + " has no text; the built-in text is used");
            CheckPlaceholders(id, item.strText, item.nLine, findings);
            CheckShown(item.strText, item.nLine, codePage, findings);
        } else if (depth == 2 && inDialogs && item.strElement == "DialogItem") {
            dialogCounts = dialogs.Add(item, &dialogId);
            if (dialogCounts)
                CheckShown(item.strText, item.nLine, codePage, findings);
            if (dialogCounts && item.bHasText)
                read.push_back({static_cast<unsigned int>(dialogId), 0, item.strText, item.nLine});
            if (dialogCounts) {
                hasTitle[dialogId] = item.bHasText;
                controls.emplace(dialogId, CGroupCheck("ControlItem", findings));
            }
        } else if (depth == 3 && inDialogs && item.strElement == "ControlItem" && dialogCounts) {
            CGroupCheck& group = controls.at(dialogId);
            const bool first = group.Add(item, &id);
            if (first)
                CheckShown(item.strText, item.nLine, codePage, findings);
            if (first && item.bHasText)
                read.push_back({static_cast<unsigned int>(dialogId), static_cast<unsigned int>(id), item.strText,
                                item.nLine});
            if (first && !item.bHasText)
                group.Report("LA204", item.nLine, "ControlItem ID " + std::to_string(id) + " of dialog " +
                                             std::to_string(dialogId) + " has no text; the built-in caption is used");
        }
    }

    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id) {
        if (!messages.Has(id))
            findings->push_back({"LA205", 0, "message " + std::to_string(id) + " is not translated"});
    }
    for (unsigned int id : kModuleDialogs) {
        if (!hasTitle[id])
            findings->push_back({"LA205", 0, "the title of dialog " + std::to_string(id) + " is not translated"});
    }
    for (const ModuleControlText& control : kModuleControls) {
        auto group = controls.find(control.nDialog);
        if (group == controls.end() || !group->second.Has(control.nControl))
            findings->push_back({"LA205", 0, "control " + std::to_string(control.nControl) + " of dialog " +
                                        std::to_string(control.nDialog) + " is not translated"});
    }
    if (captions)
        *captions = read;
    return true;
}
