// ReadDialogTemplate and ControlKind.
#include "DialogTemplate.h"

#include <cstring>

#include "TextConvert.h"

namespace {

// A cursor over the template's bytes; every read past their end fails.
class CCursor
{
public:
    CCursor(const unsigned char* bytes, size_t size) : m_pBytes(bytes), m_nSize(size) {}

    bool Word(uint16_t* value) { return Read(value, 2); }
    bool Dword(uint32_t* value) { return Read(value, 4); }
    bool Short(int* value)
    {
        int16_t word = 0;
        const bool read = Read(&word, 2);
        *value = word;
        return read;
    }
    // A name or an ordinal (sz_Or_Ord): none, 0xFFFF and a number, or UTF-16 up to its NUL.
    bool NameOrOrdinal(std::wstring* name, uint16_t* ordinal)
    {
        uint16_t first = 0;
        *ordinal = 0;
        name->clear();
        if (!Word(&first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF)
            return Word(ordinal);
        for (uint16_t c = first; c != 0;) {
            name->push_back(static_cast<wchar_t>(c));
            if (!Word(&c))
                return false;
        }
        return true;
    }
    bool Skip(size_t count)
    {
        if (count > m_nSize - m_nAt)
            return false;
        m_nAt += count;
        return true;
    }
    bool AlignDword() { return Skip((4 - m_nAt % 4) % 4); }

private:
    bool Read(void* value, size_t count)
    {
        if (count > m_nSize - m_nAt)
            return false;
        memcpy(value, m_pBytes + m_nAt, count);
        m_nAt += count;
        return true;
    }

    const unsigned char* m_pBytes;
    size_t m_nSize;
    size_t m_nAt = 0;
};

// The predefined classes, by their atoms or by their names in any case.
std::string ClassName(const std::wstring& name, uint16_t atom)
{
    static const char* const kClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    if (atom >= 0x0080 && atom <= 0x0085)
        return kClasses[atom - 0x0080];
    const std::string named = Narrow(name);
    for (const char* known : kClasses) {
        if (_stricmp(named.c_str(), known) == 0)
            return known;
    }
    return named;
}

}  // namespace

bool ReadDialogTemplate(const unsigned char* bytes, size_t size, DialogTemplate* dialog)
{
    CCursor at(bytes, size);
    uint16_t version = 0, signature = 0, count = 0, ordinal = 0;
    uint32_t style = 0, exStyle = 0, help = 0;
    int x = 0, y = 0;
    std::wstring name;
    if (!at.Word(&version) || !at.Word(&signature))
        return false;
    const bool extended = version == 1 && signature == 0xFFFF;
    if (extended) {
        if (!at.Dword(&help) || !at.Dword(&exStyle) || !at.Dword(&style))
            return false;
    } else {
        style = static_cast<uint32_t>(signature) << 16 | version;
        if (!at.Dword(&exStyle))
            return false;
    }
    if (!at.Word(&count) || !at.Short(&x) || !at.Short(&y) || !at.Short(&dialog->cx) || !at.Short(&dialog->cy) ||
        !at.NameOrOrdinal(&name, &ordinal) || !at.NameOrOrdinal(&name, &ordinal) || !at.NameOrOrdinal(&name, &ordinal))
        return false;
    const uint32_t kSetFont = 0x40;  // DS_SETFONT
    if (style & kSetFont) {
        uint16_t points = 0, weight = 0;
        if (!at.Word(&points) || (extended && (!at.Word(&weight) || !at.Skip(2))) || !at.NameOrOrdinal(&name, &ordinal))
            return false;
        dialog->nPointSize = points;
        dialog->strFont = Narrow(name);
    }
    dialog->controls.clear();
    for (uint16_t i = 0; i < count; ++i) {
        DialogControl control{};
        uint32_t id = 0;
        uint16_t shortId = 0, extra = 0;
        if (!at.AlignDword() || (extended && !at.Dword(&help)) ||
            !(extended ? at.Dword(&exStyle) && at.Dword(&control.dwStyle)
                       : at.Dword(&control.dwStyle) && at.Dword(&exStyle)) ||
            !at.Short(&x) || !at.Short(&y) || !at.Short(&control.cx) || !at.Short(&control.cy) ||
            !(extended ? at.Dword(&id) : at.Word(&shortId)) || !at.NameOrOrdinal(&name, &ordinal))
            return false;
        control.dwId = extended ? id : shortId;
        control.strClass = ClassName(name, ordinal);
        if (!at.NameOrOrdinal(&name, &ordinal) || !at.Word(&extra) || !at.Skip(extra))
            return false;
        dialog->controls.push_back(control);
    }
    return true;
}

std::string ControlKind(const DialogControl& control)
{
    const uint32_t multiLine = control.dwStyle & 0x2000 ? 1 : 0;  // BS_MULTILINE
    if (control.strClass == "Static")
        return control.cy > 10 ? "a text of several lines" : "a label";
    if (control.strClass != "Button")
        return "a control of class " + control.strClass;
    switch (control.dwStyle & 0x0F) {  // BS_TYPEMASK
    case 0x02:
    case 0x03:
    case 0x05:
    case 0x06:
        return multiLine ? "a check box of several lines" : "a check box";
    case 0x04:
    case 0x09:
        return "a radio button";
    case 0x07:
        return "a group box";
    default:
        return "a push button";
    }
}
