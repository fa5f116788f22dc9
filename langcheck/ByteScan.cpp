// The byte scan of a language file: what its bytes are, what they hold that
// no XML document may, and the markup the XML readers let through, misreport
// or stop on. Bytes and text alone, so that it also builds natively for the
// fuzzing harness.
#include "ByteScan.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Text.h"

// The encoding the XML declaration names, upper case, read from the first
// bytes with the NUL bytes of UTF-16 left out; empty when it names none.
std::string DeclaredEncoding(const std::string& bytes)
{
    std::string head;
    for (size_t i = 0; i < bytes.size() && head.size() < 200; ++i) {
        if (bytes[i])
            head += static_cast<char>(toupper(static_cast<unsigned char>(bytes[i])));
    }
    const size_t start = head.find("<?XML");
    const size_t end = head.find("?>");
    const size_t at = head.find("ENCODING");
    if (start > 3 || end == std::string::npos || at > end)
        return std::string();  // no declaration (behind a byte-order mark at most), or none that names one
    const size_t open = head.find_first_of("\"'", at);
    const size_t close = open < end ? head.find(head[open], open + 1) : std::string::npos;
    return close < end ? head.substr(open + 1, close - open - 1) : std::string();
}

Encoding EncodingOf(const std::string& bytes)
{
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, std::string("<\0", 2)) == 0)
        return kUtf16Le;
    if (bytes.compare(0, 2, "\xFE\xFF") == 0 || bytes.compare(0, 2, std::string("\0<", 2)) == 0)
        return kUtf16Be;
    return kEightBit;
}

// What makes a character one that no XML document may hold; empty when
// nothing does.
std::string CharacterFault(unsigned long character)
{
    if (character < 0x20 && character != '\t' && character != '\n' && character != '\r')
        return "a control character (U+" + Hex(character, 4) + ")";
    if (character == 0xFFFE || character == 0xFFFF)
        return "U+" + Hex(character, 4) + ", which is no character";
    return std::string();
}

// The first sequence that is not UTF-8 (a stray or missing continuation
// byte, an overlong form, a surrogate, a value past U+10FFFF) or is a
// character XML does not allow.
std::string Utf8Fault(const std::string& bytes, int* line)
{
    const auto byte = [&bytes](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    for (size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < bytes.size();) {
        const unsigned lead = byte(i);
        // The continuation bytes a lead byte takes, and the range the first of them must lie in.
        const size_t length = lead < 0x80   ? 1
                              : lead < 0xC2 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 0;
        const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        bool valid = length != 0 && (length == 1 || (byte(i + 1) >= low && byte(i + 1) <= high));
        unsigned long character = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (byte(i + k) & 0xC0) == 0x80;
            character = character << 6 | (byte(i + k) & 0x3F);
        }
        if (!valid) {
            // The lead byte and the continuation bytes behind it.
            std::string shown = Hex(lead, 2);
            size_t count = 1;
            for (; count < 4 && i + count < bytes.size() && (byte(i + count) & 0xC0) == 0x80; ++count)
                shown += " " + Hex(byte(i + count), 2);
            return (count == 1 ? "byte " + shown + " is" : "bytes " + shown + " are") + " not UTF-8";
        }
        const std::string fault = CharacterFault(character);
        if (!fault.empty())
            return fault;
        *line += character == '\n' ? 1 : 0;
        i += length;
    }
    return std::string();
}

// The first unit of UTF-16 text that is a surrogate without its pair or a
// character XML does not allow.
std::string Utf16Fault(const std::wstring& units, int* line)
{
    for (size_t i = 0; i < units.size(); ++i) {
        const unsigned character = units[i];
        if (character >= 0xD800 && character <= 0xDFFF) {
            const bool paired =
                character < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            if (!paired)
                return "a UTF-16 surrogate without its pair (" + Hex(character, 4) + ")";
            ++i;
            continue;
        }
        const std::string fault = CharacterFault(character);
        if (!fault.empty())
            return fault;
        *line += character == '\n' ? 1 : 0;
    }
    return std::string();
}

// The Windows code page of an 8-bit encoding the declaration may name; 0
// for one that is not known here.
unsigned int CodePage(const std::string& declared)
{
    const auto numbered = [&declared](const char* prefix) {
        const size_t length = strlen(prefix);
        return declared.compare(0, length, prefix) == 0 && declared.size() > length &&
                       declared.find_first_not_of("0123456789", length) == std::string::npos
                   ? atoi(declared.c_str() + length)
                   : -1;
    };
    const int windows = numbered("WINDOWS-"), iso = numbered("ISO-8859-");
    if (windows >= 1250 && windows <= 1258)
        return windows;
    if ((iso >= 1 && iso <= 9) || iso == 13 || iso == 15)
        return 28590 + iso;
    return declared == "US-ASCII" ? 20127 : 0;
}

namespace {

// "xml" in any case, which names no processing instruction but the declaration.
bool IsXmlName(const std::string& name)
{
    return name.size() == 3 && tolower(static_cast<unsigned char>(name[0])) == 'x' &&
           tolower(static_cast<unsigned char>(name[1])) == 'm' && tolower(static_cast<unsigned char>(name[2])) == 'l';
}

bool IsNameStart(unsigned char c)
{
    return isalpha(c) || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameCharacter(unsigned char c)
{
    return IsNameStart(c) || isdigit(c) || c == '-' || c == '.';
}

// A walk through the markup of UTF-8 text for what Wine's XmlLite lets
// through, where MSXML stops: a malformed XML declaration, a '&' that begins
// no reference, a name that begins with what no name may, an attribute not
// set apart from what comes before it. Comments, CDATA and processing
// instructions are passed over; what the walk cannot follow, it leaves to
// the reader.
class CMarkupScan
{
public:
    explicit CMarkupScan(const std::string& text) : m_text(text) {}

    // The first fault, empty when there is none; *line gets its line.
    std::string Fault(int* line)
    {
        std::string fault = Declaration();
        for (m_nAt = 0; fault.empty() && m_nAt < m_text.size();) {
            if (PassedOver(&fault))
                continue;
            if (At('<') && m_nAt + 1 < m_text.size() && m_text[m_nAt + 1] != '!') {
                fault = Tag();
                m_bTag = true;
            } else {
                fault = Character();
            }
        }
        // Wine's XmlLite stops with an assertion on a document of no element.
        if (fault.empty() && !m_bTag)
            fault = "no element: the document has no root";
        if (fault.empty() && !m_open.empty())
            fault = "the document ends inside <" + m_open.back() + ">";
        *line = m_nLine;
        return fault;
    }

private:
    bool At(char c) const { return m_nAt < m_text.size() && m_text[m_nAt] == c; }

    void Step()
    {
        m_nLine += At('\n') ? 1 : 0;
        ++m_nAt;
    }

    // Steps over blanks; true when there was one.
    bool Blanks()
    {
        const size_t start = m_nAt;
        while (m_nAt < m_text.size() && strchr(" \t\r\n", m_text[m_nAt]) && m_text[m_nAt])
            Step();
        return m_nAt > start;
    }

    // "<?xml" at the very start begins the declaration: its version, then
    // its encoding and standalone when it names them, each after a blank and
    // quoted alike at both ends.
    std::string Declaration()
    {
        m_nAt = m_nStart = m_text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        if (m_text.compare(m_nAt, 5, "<?xml") != 0 || m_nAt + 5 >= m_text.size() ||
            !strchr(" \t\r\n", m_text[m_nAt + 5]))
            return std::string();
        const std::string malformed = "a malformed XML declaration";
        m_nAt += 5;
        for (const std::string name : {"version", "encoding", "standalone"}) {
            const size_t before = m_nAt;
            const int lineBefore = m_nLine;
            const bool blank = Blanks();
            if (m_text.compare(m_nAt, name.size(), name) != 0) {
                if (name == "version")
                    return malformed;
                m_nAt = before;
                m_nLine = lineBefore;
                continue;
            }
            m_nAt += name.size();
            Blanks();
            if (!blank || !At('='))
                return malformed;
            Step();
            Blanks();
            const size_t close = At('"') || At('\'') ? m_text.find(m_text[m_nAt], m_nAt + 1) : std::string::npos;
            if (close == std::string::npos)
                return malformed;
            const std::string value = m_text.substr(m_nAt + 1, close - m_nAt - 1);
            const bool valid = name == "version"    ? value.size() > 2 && value.compare(0, 2, "1.") == 0
                               : name == "encoding" ? !value.empty() && isalpha(static_cast<unsigned char>(value[0]))
                                                    : value == "yes" || value == "no";
            if (!valid || value.find_first_of("<>?\r\n") != std::string::npos)
                return malformed;
            m_nAt = close + 1;
        }
        Blanks();
        if (m_text.compare(m_nAt, 2, "?>") != 0)
            return malformed;
        m_nLine = 1;  // the walk counts from the start again
        return std::string();
    }

    // Comments, CDATA and processing instructions, stepped over whole.
    bool PassedOver(std::string* fault)
    {
        static const char* const kPassed[][2] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
        for (const auto& passed : kPassed) {
            const size_t length = strlen(passed[0]);
            if (m_text.compare(m_nAt, length, passed[0]) != 0)
                continue;
            const size_t end = m_text.find(passed[1], m_nAt + length);
            if (end == std::string::npos)
                *fault = std::string("a '") + passed[0] + "' without its '" + passed[1] + "'";
            else if (passed[0][1] == '?')
                *fault = Instruction();
            while (fault->empty() && m_nAt < end)
                Step();
            m_nAt += fault->empty() ? strlen(passed[1]) : 0;
            return true;
        }
        return false;
    }

    // A processing instruction names its target first, then a blank or its
    // end; "xml" is the declaration, at the very start alone.
    std::string Instruction()
    {
        const size_t start = m_nAt;
        m_nAt += 2;
        std::string fault = Name("a processing instruction");
        if (fault.empty() && !strchr(" \t\r\n?", m_text[m_nAt]))
            fault = "a processing instruction whose target runs into '" + m_text.substr(m_nAt, 1) + "'";
        else if (fault.empty() && m_nAt - start == 5 && start != m_nStart && IsXmlName(m_text.substr(start + 2, 3)))
            fault = "an XML declaration that is not at the very start";
        m_nAt = start;
        return fault;
    }

    // A '&' begins a reference: a name, "#" and digits or "#x" and hex
    // digits, up to a ';'.
    std::string Character()
    {
        if (At('&')) {
            const size_t end = m_text.find(';', m_nAt);
            const std::string name =
                end == std::string::npos ? std::string() : m_text.substr(m_nAt + 1, end - m_nAt - 1);
            const size_t number = name.compare(0, 2, "#x") == 0 ? 2 : name.compare(0, 1, "#") == 0 ? 1 : 0;
            const char* allowed = number == 2   ? "0123456789abcdefABCDEF"
                                  : number == 1 ? "0123456789"
                                                : "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_:.-";
            if (name.size() <= number || name.find_first_not_of(allowed, number) != std::string::npos)
                return "a '&' that begins no reference";
            if (number)
                return ReferenceFault(name.substr(number), number == 2 ? 16 : 10);
        }
        Step();
        return std::string();
    }

    // A character reference names a character XML allows, as the characters
    // themselves must be: no surrogate (not even two that would make a pair),
    // no control character but tab and the line ends, nothing past U+10FFFF.
    std::string ReferenceFault(const std::string& digits, int base)
    {
        unsigned long character = 0;
        for (char digit : digits) {
            character = character * base + (isdigit(static_cast<unsigned char>(digit))
                                                ? digit - '0'
                                                : tolower(static_cast<unsigned char>(digit)) - 'a' + 10);
            if (character > 0x10FFFF)
                return "a reference '&#" + std::string(base == 16 ? "x" : "") + digits + ";' past U+10FFFF";
        }
        std::string fault = CharacterFault(character);
        if (fault.empty() && character >= 0xD800 && character <= 0xDFFF)
            fault = "a UTF-16 surrogate (" + Hex(character, 4) + ")";
        Step();
        return fault.empty() ? std::string() : "a reference to " + fault;
    }

    std::string Name(const char* what)
    {
        if (m_nAt >= m_text.size() || !IsNameStart(m_text[m_nAt]))
            return std::string(what) + " that begins with '" + m_text.substr(std::min(m_nAt, m_text.size()), 1) + "'";
        while (m_nAt < m_text.size() && IsNameCharacter(m_text[m_nAt]))
            ++m_nAt;
        return std::string();
    }

    // A start or end tag: its name, then each attribute after a blank; each
    // end tag closes the element open last, by its name.
    std::string Tag()
    {
        const bool end = m_text[m_nAt + 1] == '/';
        m_nAt += end ? 2 : 1;
        const size_t nameStart = m_nAt;
        std::string fault = Name("a tag name");
        const std::string name = m_text.substr(nameStart, m_nAt - nameStart);
        while (fault.empty()) {
            const bool blank = Blanks();
            if (m_nAt >= m_text.size())
                return "a tag without its '>'";  // Wine's XmlLite may write past its buffer there
            if (At('>') || At('/'))
                return Nest(name, end);
            if (!blank)
                return "no blank before '" + m_text.substr(m_nAt, 1) + "' in a tag";
            fault = Name("an attribute name");
            Blanks();
            if (!fault.empty() || !At('='))
                break;
            Step();
            Blanks();
            if (!At('"') && !At('\''))
                break;
            const size_t close = m_text.find(m_text[m_nAt], m_nAt + 1);
            if (close == std::string::npos)
                return "an attribute value without its closing quote";
            for (Step(); fault.empty() && m_nAt < close;)
                fault = Character();
            Step();
        }
        return fault;
    }

    // At a tag's '>' or "/>": opens or closes its element. Wine's XmlLite
    // lets a document end inside its root.
    std::string Nest(const std::string& name, bool end)
    {
        if (At('/'))
            return std::string();  // an empty element, or the reader says what follows the '/'
        if (!end) {
            m_open.push_back(name);
            return std::string();
        }
        if (m_open.empty() || m_open.back() != name)
            return "</" + name + "> where " + (m_open.empty() ? "no element" : "<" + m_open.back() + ">") + " is open";
        m_open.pop_back();
        return std::string();
    }

    const std::string& m_text;
    size_t m_nStart = 0;  // behind a byte-order mark
    size_t m_nAt = 0;
    int m_nLine = 1;
    bool m_bTag = false;              // a tag was met
    std::vector<std::string> m_open;  // the elements open, the last innermost
};

}  // namespace

std::string MarkupFault(const std::string& text, int* line)
{
    return CMarkupScan(text).Fault(line);
}
