// The module's resources as the built DLL holds them: templates 2020-2022
// control by control, and bitmap 2023.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ModuleFixture.h"

namespace {

struct TemplateItem
{
    DWORD dwStyle;
    short x, y, cx, cy;
    DWORD dwId;
    std::wstring strClass;
    std::wstring strText;
};

struct DialogTemplate
{
    DWORD dwExStyle;
    DWORD dwStyle;
    short x, y, cx, cy;
    std::wstring strCaption;
    WORD wPointSize;
    std::wstring strFont;
    std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX: fields, then strings or ordinals, items DWORD-aligned.
class CTemplateReader
{
public:
    explicit CTemplateReader(const BYTE* data) : m_pBase(data), m_pAt(data) {}

    DialogTemplate Read()
    {
        DialogTemplate dialog = {};
        EXPECT_EQ(1, Word()) << "dlgVer";
        EXPECT_EQ(0xFFFF, Word()) << "signature: an extended template";
        Dword();  // help ID
        dialog.dwExStyle = Dword();
        dialog.dwStyle = Dword();
        const WORD count = Word();
        dialog.x = Short(); dialog.y = Short(); dialog.cx = Short(); dialog.cy = Short();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        dialog.strCaption = String();
        if (dialog.dwStyle & DS_SETFONT) {
            dialog.wPointSize = Word();
            Word();   // weight
            Word();   // italic, charset
            dialog.strFont = String();
        }
        for (WORD i = 0; i < count; ++i) {
            Align();
            TemplateItem item = {};
            Dword();  // help ID
            Dword();  // extended style
            item.dwStyle = Dword();
            item.x = Short(); item.y = Short(); item.cx = Short(); item.cy = Short();
            item.dwId = Dword();
            item.strClass = NameOrOrdinal();
            item.strText = NameOrOrdinal();
            m_pAt += Word();  // creation data
            dialog.items.push_back(item);
        }
        return dialog;
    }

private:
    WORD Word() { WORD value; memcpy(&value, m_pAt, 2); m_pAt += 2; return value; }
    short Short() { return static_cast<short>(Word()); }
    DWORD Dword() { DWORD value; memcpy(&value, m_pAt, 4); m_pAt += 4; return value; }
    void Align() { m_pAt = m_pBase + ((m_pAt - m_pBase + 3) & ~3); }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    std::wstring NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, m_pAt, 2);
        if (first != 0xFFFF)
            return String();
        m_pAt += 2;
        switch (const WORD ordinal = Word()) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x85: return L"ComboBox";
        default: return L"#" + std::to_wstring(ordinal);
        }
    }

    const BYTE* m_pBase;
    const BYTE* m_pAt;
};

std::wstring Wide(const char* utf8)
{
    wchar_t text[256];
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 256);
    return text;
}

const BYTE* Resource(HMODULE module, int id, LPCSTR type)
{
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    return found ? static_cast<const BYTE*>(::LockResource(::LoadResource(module, found))) : nullptr;
}

bool SameClass(const std::wstring& actual, const wchar_t* expected)
{
    return _wcsicmp(actual.c_str(), expected) == 0;
}

// A control of a template in tab order, its text in UTF-8; a style of 0 is
// not compared.
struct ExpectedItem
{
    DWORD dwId;
    const wchar_t* pszClass;
    short x, y, cx, cy;
    const char* pszText;
    DWORD dwStyle = 0;
};

// The frame every template shares, its size and caption, then its controls.
void ExpectTemplate(const DialogTemplate& dialog, short cx, short cy, const char* caption,
                    const std::vector<ExpectedItem>& items)
{
    // visible, caption, system menu, centred, modal frame, font set
    EXPECT_EQ(static_cast<DWORD>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT),
              dialog.dwStyle);
    EXPECT_EQ(0u, dialog.dwExStyle);
    EXPECT_EQ(22, dialog.x);
    EXPECT_EQ(17, dialog.y);
    EXPECT_EQ(cx, dialog.cx);
    EXPECT_EQ(cy, dialog.cy);
    EXPECT_EQ(Wide(caption), dialog.strCaption);
    EXPECT_EQ(8, dialog.wPointSize);
    EXPECT_EQ(L"MS Sans Serif", dialog.strFont);
    ASSERT_EQ(items.size(), dialog.items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const ExpectedItem& want = items[i];
        EXPECT_EQ(want.dwId, item.dwId) << "tab position " << i;
        EXPECT_TRUE(SameClass(item.strClass, want.pszClass)) << "control " << want.dwId;
        EXPECT_EQ(want.x, item.x) << "control " << want.dwId;
        EXPECT_EQ(want.y, item.y) << "control " << want.dwId;
        EXPECT_EQ(want.cx, item.cx) << "control " << want.dwId;
        EXPECT_EQ(want.cy, item.cy) << "control " << want.dwId;
        EXPECT_EQ(Wide(want.pszText), item.strText) << "control " << want.dwId;
        if (want.dwStyle) {
            EXPECT_EQ(want.dwStyle, item.dwStyle) << "control " << want.dwId;
        }
    }
}

DialogTemplate LoadTemplate(const CTestModule& module, int id)
{
    const BYTE* data = Resource(module.Handle(), id, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    EXPECT_NE(nullptr, data) << "template " << id;
    return data ? CTemplateReader(data).Read() : DialogTemplate();
}

typedef CModuleFixture Resources;

TEST_F(Resources, Template2020HoldsEveryControlInTabOrder)
{
    const DialogTemplate dialog = LoadTemplate(m_module, 2020);
    ExpectTemplate(dialog, 400, 215, u8"Konfigurace čítače", {
        {32787, L"Static", 5, 5, 180, 180, ""},
        {32815, L"Static", 240, 5, 80, 10, "Adresa:"},
        {32771, L"Edit", 325, 4, 70, 12, ""},
        {32816, L"Static", 240, 20, 80, 10, u8"Prodleva odpovědi [ms]:"},
        {32772, L"Edit", 325, 19, 17, 12, ""},
        {32786, L"Button", 344, 20, 513, 10, u8"neodpovídat"},
        {32817, L"Static", 230, 35, 90, 10, u8"Komunikační rychlost [Bd]:"},
        {32773, L"ComboBox", 325, 34, 70, 112, ""},
        {32818, L"Static", 240, 50, 80, 10, "Parita:"},
        {32774, L"ComboBox", 325, 49, 70, 112, ""},
        {32830, L"Button", 225, 65, 95, 10, u8"Komunikační timeout [ms]:"},
        {32831, L"Edit", 325, 64, 70, 12, ""},
        {32819, L"Static", 240, 80, 80, 10, u8"Kvadraturní vstup:"},
        {32776, L"Button", 325, 80, 35, 10, "I0 a I1"},
        {32777, L"Button", 362, 80, 35, 10, "I2 a I3"},
        {32820, L"Static", 220, 95, 100, 10, u8"Proud aktivního vstupu I0 a I1:"},
        {32790, L"ComboBox", 325, 94, 70, 112, ""},
        {32821, L"Static", 220, 110, 100, 10, u8"Proud aktivního vstupu I2 a I3:"},
        {32791, L"ComboBox", 325, 109, 70, 112, ""},
        {32822, L"Static", 325, 125, 32, 9, u8"minimální"},
        {32823, L"Static", 363, 125, 32, 9, u8"maximální"},
        {32824, L"Static", 220, 135, 100, 10, "I0 - doba mezi pulsy [ms]:"},
        {32778, L"Edit", 325, 134, 22, 12, ""},
        {32805, L"msctls_updown32", 347, 134, 10, 12, ""},
        {32782, L"Edit", 363, 134, 22, 12, ""},
        {32809, L"msctls_updown32", 385, 134, 10, 12, ""},
        {32825, L"Static", 220, 150, 100, 10, "I1 - doba mezi pulsy [ms]:"},
        {32779, L"Edit", 325, 149, 22, 12, ""},
        {32806, L"msctls_updown32", 347, 149, 10, 12, ""},
        {32783, L"Edit", 363, 149, 22, 12, ""},
        {32810, L"msctls_updown32", 385, 149, 10, 12, ""},
        {32826, L"Static", 220, 165, 100, 10, "I2 - doba mezi pulsy [ms]:"},
        {32780, L"Edit", 325, 164, 22, 12, ""},
        {32807, L"msctls_updown32", 347, 164, 10, 12, ""},
        {32784, L"Edit", 363, 164, 22, 12, ""},
        {32811, L"msctls_updown32", 385, 164, 10, 12, ""},
        {32827, L"Static", 220, 180, 100, 10, "I3 - doba mezi pulsy [ms]:"},
        {32781, L"Edit", 325, 179, 22, 12, ""},
        {32808, L"msctls_updown32", 347, 179, 10, 12, ""},
        {32785, L"Edit", 363, 179, 22, 12, ""},
        {32812, L"msctls_updown32", 385, 179, 10, 12, ""},
        {32789, L"Button", 75, 193, 110, 10, u8"konfigurovat sérii jednotek"},
        {32788, L"Button", 225, 195, 75, 15, "Zapsat a otestovat"},
        {2, L"Button", 305, 195, 75, 15, "Storno"},
    });

    // Styles that the behaviour depends on.
    auto styleOf = [&dialog](DWORD id) {
        for (const TemplateItem& item : dialog.items) {
            if (item.dwId == id)
                return item.dwStyle;
        }
        return DWORD(0);
    };
    EXPECT_EQ(static_cast<DWORD>(SS_BITMAP), styleOf(32787) & SS_TYPEMASK);
    EXPECT_TRUE(styleOf(32787) & WS_BORDER);
    EXPECT_TRUE(styleOf(32771) & ES_NUMBER) << "digits only";
    EXPECT_TRUE(styleOf(32778) & ES_READONLY) << "pulse edits only display";
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST), styleOf(32773) & 3);
    EXPECT_FALSE(styleOf(32773) & (WS_TABSTOP | CBS_SORT)) << "unsorted, no tab stop";
    EXPECT_EQ(static_cast<DWORD>(UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_NOTHOUSANDS),
              styleOf(32805) & 0xFF) << "and no automatic buddy";
    EXPECT_EQ(static_cast<DWORD>(BS_AUTOCHECKBOX), styleOf(32786) & BS_TYPEMASK);
    EXPECT_TRUE(styleOf(32789) & BS_MULTILINE);
    EXPECT_TRUE(styleOf(32788) & BS_FLAT);
    EXPECT_EQ(static_cast<DWORD>(SS_RIGHT), styleOf(32815) & SS_TYPEMASK);
    EXPECT_TRUE(styleOf(32815) & SS_CENTERIMAGE) << "labels are vertically centred";
}

TEST_F(Resources, Templates2021And2022)
{
    const DWORD flatButton = 0x50018000;  // push button, flat, tab stop
    const DialogTemplate test = LoadTemplate(m_module, 2021);
    ExpectTemplate(test, 260, 100, u8"Test konfigurace čítače", {
        {32801, L"Static", 5, 39, 250, 40,
         u8"Test právě probíhá a pokud proběhne úspěšně dialog se sám uzavře.\n\nTest by neměl trvat déle než 10s."},
        {2, L"Button", 80, 80, 100, 15, u8"Zpět ke konfiguraci modulu", flatButton},
    });
    EXPECT_EQ(static_cast<DWORD>(SS_CENTER), test.items.at(0).dwStyle & SS_TYPEMASK);
    ExpectTemplate(LoadTemplate(m_module, 2022), 205, 60, u8"Konfigurace další jednotky ...", {
        {1, L"Button", 60, 40, 40, 15, "OK", flatButton},
        {2, L"Button", 105, 40, 40, 15, "Storno", flatButton},
    });
}

TEST_F(Resources, Bitmap2023Is310By280With256ColoursUncompressed)
{
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(Resource(m_module.Handle(), 2023, RT_BITMAP));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(310, header->biWidth);
    EXPECT_EQ(280, std::abs(header->biHeight));
    EXPECT_EQ(8, header->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);
    EXPECT_TRUE(header->biClrUsed == 256 || header->biClrUsed == 0) << "a palette of 256 colours";
    HBITMAP bitmap = ::LoadBitmapA(m_module.Handle(), MAKEINTRESOURCEA(2023));
    EXPECT_NE(nullptr, bitmap);
    ::DeleteObject(bitmap);
}

}  // namespace
