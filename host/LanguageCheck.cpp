// CheckLanguageFile: reads the language file with XmlLite, which knows the
// line of every element, and checks it item by item.
#include "LanguageCheck.h"

#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "ModuleTexts.h"

namespace {

struct Item
{
    std::string strElement;
    int nLine = 0;
    bool bHasId = false;
    std::string strId;
    bool bHasText = false;
    std::string strText;
};

std::string Utf8(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

// The ID as the module reads it; exact is false when the text is more than
// blanks, a sign and digits.
long long ReadId(const std::string& text, bool* exact)
{
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
    *exact = i > digits && i == text.size();
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

// The encoding the XML declaration names, read from the first bytes with
// any NUL bytes of UTF-16 left out; empty when it names none.
std::string DeclaredEncoding(const std::string& bytes)
{
    std::string head;
    for (size_t i = 0; i < bytes.size() && head.size() < 200; ++i) {
        if (bytes[i])
            head += static_cast<char>(toupper(static_cast<unsigned char>(bytes[i])));
    }
    const size_t at = head.find("ENCODING=");
    const size_t end = at == std::string::npos ? at : head.find_first_of("\"'", at + 10);
    return end == std::string::npos ? std::string() : head.substr(at + 10, end - at - 10);
}

// What Wine's XmlLite lets through, reports at another line or stops on: a
// byte-order mark against the declared encoding, a control character, a '&'
// that begins no reference outside comments, CDATA and processing
// instructions. Empty when none is found; *line gets the line of the first.
std::string RawFault(const std::string& bytes, int* line)
{
    *line = 1;
    const std::string declared = DeclaredEncoding(bytes);
    const bool utf16 = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (utf16 || bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        const char* marked = utf16 ? "UTF-16" : "UTF-8";
        if (!declared.empty() && declared.compare(0, strlen(marked), marked) != 0)
            return std::string("its byte-order mark says ") + marked + ", its declaration " + declared;
    }
    if (utf16)
        return std::string();  // the reader alone reads UTF-16
    // No control character but tab, line feed and return, anywhere: Wine's
    // reader stops on one in the declaration with an assertion.
    const auto control = std::find_if(bytes.begin(), bytes.end(), [](unsigned char c) {
        return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    if (control != bytes.end()) {
        *line = 1 + static_cast<int>(std::count(bytes.begin(), control, '\n'));
        return "a control character (byte " + std::to_string(static_cast<unsigned char>(*control)) + ")";
    }
    static const char* const kSkipped[][2] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (const auto& skipped : kSkipped) {
            if (bytes.compare(i, strlen(skipped[0]), skipped[0]) == 0) {
                const size_t end = bytes.find(skipped[1], i);
                *line += static_cast<int>(std::count(bytes.begin() + i, end == std::string::npos ? bytes.end()
                                                                        : bytes.begin() + end, '\n'));
                if (end == std::string::npos)
                    return std::string();  // the reader says what is unterminated
                i = end;
            }
        }
        if (bytes[i] == '\n')
            ++*line;
        else if (bytes[i] == '&') {
            const size_t end = bytes.find(';', i);
            const std::string name = end == std::string::npos ? std::string() : bytes.substr(i + 1, end - i - 1);
            const size_t number = name.compare(0, 2, "#x") == 0 ? 2 : name.compare(0, 1, "#") == 0 ? 1 : 0;
            const char* allowed = number == 2 ? "0123456789abcdefABCDEF" : number == 1 ? "0123456789"
                                  : "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_:.-";
            if (name.size() <= number || name.find_first_not_of(allowed, number) != std::string::npos)
                return "a '&' that begins no reference";
        }
    }
    return std::string();
}

typedef HRESULT(WINAPI* CreateXmlReaderFn)(REFIID, void**, IMalloc*);

// Reads every element with its line and its ID and text attributes.
bool ReadItems(const std::string& path, std::vector<Item>* items, std::vector<int>* depths, std::string* error)
{
    HMODULE xmllite = ::LoadLibraryA("xmllite.dll");
    auto create = xmllite ? reinterpret_cast<CreateXmlReaderFn>(
                                reinterpret_cast<void*>(::GetProcAddress(xmllite, "CreateXmlReader")))
                          : nullptr;
    if (!create) {
        *error = "XmlLite is not available";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "'" + path + "' cannot be opened";
        return false;
    }
    // The file is read once: the raw scan and the reader see the same bytes.
    const std::string bytes(std::istreambuf_iterator<char>(file), {});
    int line = 0;
    const std::string fault = RawFault(bytes, &line);
    if (!fault.empty()) {
        *error = "'" + path + "', line " + std::to_string(line) + ": not well-formed XML (" + fault + ")";
        return false;
    }
    IStream* stream = bytes.size() <= UINT_MAX ? ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                                     static_cast<UINT>(bytes.size()))
                                               : nullptr;
    if (!stream) {
        *error = "'" + path + "' cannot be read";
        return false;
    }
    IXmlReader* reader = nullptr;
    bool ok = SUCCEEDED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr));
    if (ok) {
        reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
        ok = SUCCEEDED(reader->SetInput(stream));
    }
    // Every node takes at least one byte of the file. Wine's XmlLite answers
    // some malformed files with S_OK and no node, or the same node, for ever:
    // a node that is none, or more nodes than bytes, ends the reading.
    const size_t most = bytes.size() + 1;
    size_t nodes = 0;
    XmlNodeType type;
    HRESULT hr = S_OK;
    while (ok && (hr = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_None || ++nodes > most) {
            hr = WC_E_SYNTAX;
            break;
        }
        if (type != XmlNodeType_Element)
            continue;
        Item item;
        const wchar_t* name = nullptr;
        reader->GetLocalName(&name, nullptr);
        item.strElement = Utf8(name);
        UINT line = 0;
        reader->GetLineNumber(&line);
        item.nLine = static_cast<int>(line);
        UINT depth = 0;
        reader->GetDepth(&depth);
        const wchar_t* value = nullptr;
        if (reader->MoveToAttributeByName(L"ID", nullptr) == S_OK && SUCCEEDED(reader->GetValue(&value, nullptr))) {
            item.bHasId = true;
            item.strId = Utf8(value);
        }
        if (reader->MoveToAttributeByName(L"text", nullptr) == S_OK && SUCCEEDED(reader->GetValue(&value, nullptr))) {
            item.bHasText = true;
            item.strText = Utf8(value);
        }
        reader->MoveToElement();
        items->push_back(item);
        depths->push_back(static_cast<int>(depth));
    }
    if (ok && FAILED(hr)) {
        UINT line = 0;
        reader->GetLineNumber(&line);
        char code[16];
        snprintf(code, sizeof(code), "%08lX", static_cast<unsigned long>(hr));
        *error = "'" + path + "', line " + std::to_string(line) + ": not well-formed XML (error 0x" + code + ")";
        ok = false;
    }
    if (reader)
        reader->Release();
    stream->Release();
    return ok;
}

// Walks the items of one group (messages, dialogs or the controls of one
// dialog): the first item of each ID counts, later ones are never used.
class CGroupCheck
{
public:
    CGroupCheck(const char* what, std::vector<LanguageFinding>* findings) : m_pszWhat(what), m_pFindings(findings) {}

    // Answers true when the item is the first of its ID; *id gets the ID.
    bool Add(const Item& item, long long* id)
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
    std::vector<Item> items;
    std::vector<int> depths;
    if (!ReadItems(path, &items, &depths, error))
        return false;
    if (items.empty() || items[0].strElement != "TesterLanguage") {
        *error = "'" + path + "': the root element is not TesterLanguage";
        return false;
    }

    CGroupCheck messages("MessageItem", findings);
    CGroupCheck dialogs("DialogItem", findings);
    std::map<long long, CGroupCheck> controls;  // of the first DialogItem of each ID
    std::map<long long, bool> hasTitle;
    bool inMessages = false, inDialogs = false, dialogCounts = false;
    long long dialogId = 0;
    for (size_t i = 1; i < items.size(); ++i) {
        const Item& item = items[i];
        const int depth = depths[i];
        long long id = 0;
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
