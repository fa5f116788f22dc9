// A generated corpus of language files, well-formed and not, through every
// text lookup: never a crash or hang, and every text is what the walk rules
// give (checked against an independent model of them) or, for a file that
// cannot be used, the text without any language file (written down apart
// from the module, not asked of it).
//
// TAVO_LANGUAGE_FILES sets how many files run (default 1000).
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>
#include <random>

#include "BuiltInTexts.h"
#include "ModuleFixture.h"
#include "TempFile.h"
#include "TestModule.h"

namespace {

// One item as generated: its ID and text attributes as written in the file,
// and the text as the module must return it (code page 1250).
struct Item
{
    std::optional<std::string> id;
    std::optional<std::string> text;      // the attribute's source, escaped
    std::string strExpected;              // its value in code page 1250
    std::vector<Item> controls;           // of a DialogItem
};

// The walk's reading of an ID, modelled on its own: blanks, sign, digits,
// clamped to 32 bits; compared as a 32-bit value.
bool Matches(const std::string& idText, unsigned int id)
{
    size_t i = idText.find_first_not_of(" \t\r\n");
    if (i == std::string::npos)
        return id == 0;
    bool negative = false;
    if (idText[i] == '+' || idText[i] == '-')
        negative = idText[i++] == '-';
    long long value = 0;
    while (i < idText.size() && isdigit(static_cast<unsigned char>(idText[i])) && value <= INT_MAX + 1LL)
        value = value * 10 + (idText[i++] - '0');
    value = negative ? -value : value;
    value = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
    return static_cast<unsigned int>(static_cast<int>(value)) == id;
}

// The first item whose ID matches; no item when none does.
const Item* First(const std::vector<Item>& items, unsigned int id)
{
    for (const Item& item : items) {
        if (item.id && Matches(*item.id, id))
            return &item;
    }
    return nullptr;
}

class CCorpus
{
public:
    explicit CCorpus(unsigned int seed) : m_random(seed) {}

    // A well-formed file of random items; messages and dialogs describe it.
    std::string WellFormed(std::vector<Item>* messages, std::vector<Item>* dialogs)
    {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TesterLanguage>\n";
        if (Chance(4))
            xml += Nested(10 + Next(100));  // deep, but beside the texts
        xml += "<Message>\n";
        for (int i = Next(25); i > 0; --i)
            xml += Write("MessageItem", Random(MessageId()), messages);
        xml += "</Message>\n<Dialog>\n";
        for (int i = Next(6); i > 0; --i) {
            Item dialog = Random(DialogId());
            xml += "<DialogItem" + Attributes(dialog) + ">\n";
            for (int j = Next(6); j > 0; --j)
                xml += Write("ControlItem", Random(ControlId()), &dialog.controls);
            xml += "</DialogItem>\n";
            dialogs->push_back(dialog);
        }
        return xml + "</Dialog>\n</TesterLanguage>\n";
    }

    // A file that must not be used at all.
    std::string Broken()
    {
        std::vector<Item> messages, dialogs;
        const std::string good = WellFormed(&messages, &dialogs);
        switch (Next(7)) {
        case 0: return good.substr(0, good.size() / 2);                                   // truncated
        case 1:
            return "<?xml version=\"1.0\"?><Language><Message><MessageItem ID=\"35\" text=\"x\"/></Message></Language>";
        case 2: return "<?xml version=\"1.0\"?><!DOCTYPE TesterLanguage [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                       "<TesterLanguage><Message><MessageItem ID=\"35\" text=\"&c;\"/></Message></TesterLanguage>";
        case 3:
            return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><TesterLanguage><Message><MessageItem ID=\"35\" "
                   "text=\"Jednotka s t\xEDmto\"/></Message></TesterLanguage>";              // 1250 bytes as UTF-8
        case 4: return std::string(1 + Next(200), static_cast<char>(Next(256)));             // noise
        case 5: return "";
        default: return "<?xml version=\"1.0\"?><TesterLanguage><Message><MessageItem ID=\"35\" text=\"a<b\"/>"
                        "</Message></TesterLanguage>";
        }
    }

private:
    int Next(int bound) { return static_cast<int>(m_random() % bound); }
    bool Chance(int oneIn) { return Next(oneIn) == 0; }

    std::optional<std::string> MessageId()
    {
        static const char* const kOdd[] = {" 37", "37x", "+21", "0x25", "99999999999", "-1", "", "4294967333",
                                           "2147483647", "-2147483649", "\t46"};
        if (Chance(8))
            return std::nullopt;
        if (Chance(3))
            return std::string(kOdd[Next(11)]);
        return std::to_string(18 + Next(31));
    }
    std::optional<std::string> DialogId()
    {
        if (Chance(10))
            return std::nullopt;
        return Chance(5) ? std::string(" 2021abc") : std::to_string(2019 + Next(5));
    }
    std::optional<std::string> ControlId()
    {
        static const unsigned int kIds[] = {1, 2, 5, 32786, 32788, 32795, 32800, 32801, 32815};
        return Chance(10) ? std::optional<std::string>() : std::to_string(kIds[Next(9)]);
    }

    // An item with a text (most of the time) from a fixed alphabet of
    // characters and escapes whose code page 1250 form is known.
    Item Random(std::optional<std::string> id)
    {
        static const struct
        {
            const char* pszSource;
            const char* pszBytes;
        } kPieces[] = {{"a", "a"}, {"Z", "Z"}, {" ", " "}, {"%s", "%s"}, {"%d", "%d"}, {"&amp;", "&"},
                       {"&lt;", "<"}, {"&quot;", "\""}, {"&#10;", "\n"}, {"&#9;", "\t"}, {"&#x10D;", "\xE8"},
                       {"\xC5\xBE", "\x9E"}, {"\xC3\xA1", "\xE1"}, {"&#x20AC;", "\x80"}};
        Item item;
        item.id = std::move(id);
        if (Chance(6))
            return item;
        std::string source, bytes;
        const int length = Chance(50) ? 100000 + Next(100000) : Next(40);
        for (int i = 0; i < length; ++i) {
            const auto& piece = kPieces[Chance(2) ? 0 : Next(14)];
            source += piece.pszSource;
            bytes += piece.pszBytes;
        }
        item.text = source;
        item.strExpected = bytes;
        return item;
    }

    static std::string Attributes(const Item& item)
    {
        std::string attributes;
        if (item.id)
            attributes += " ID=\"" + *item.id + "\"";
        if (item.text)
            attributes += " text=\"" + *item.text + "\"";
        return attributes;
    }

    static std::string Write(const char* element, Item item, std::vector<Item>* items)
    {
        items->push_back(item);
        return std::string("<") + element + Attributes(item) + "/>\n";
    }

    std::string Nested(int depth)
    {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<Deep>";
            close = "</Deep>" + close;
        }
        return open + "<MessageItem ID=\"35\" text=\"too deep to count\"/>" + close + "\n";
    }

    std::mt19937 m_random;
};

class BadLanguageFilesTest : public CModuleFixture
{
protected:
    // Every lookup against the model (or, with no model, the texts without a file).
    void CheckLookups(const std::vector<Item>* messages, const std::vector<Item>* dialogs, int file)
    {
        for (unsigned int id : kMessages) {
            const Item* item = messages ? First(*messages, id) : nullptr;
            const std::string expected = item && item->text ? item->strExpected : MessageWithoutFile(id);
            const char* text = m_pTest->GetMessageA(id);
            ASSERT_NE(nullptr, text) << "file " << file << ", message " << id;
            EXPECT_EQ(expected, text) << "file " << file << ", message " << id;
        }
        for (unsigned int id : kDialogs) {
            const Item* item = dialogs ? First(*dialogs, id) : nullptr;
            const std::string expected = item && item->text ? item->strExpected : TitleWithoutFile(id);
            EXPECT_EQ(expected, m_pTest->GetDialogName(id)) << "file " << file << ", dialog " << id;
        }
        for (const auto& control : kControls) {
            const Item* dialog = dialogs ? First(*dialogs, control.first) : nullptr;
            const Item* item = dialog ? First(dialog->controls, control.second) : nullptr;
            const std::string expected =
                item && item->text ? item->strExpected : CaptionWithoutFile(control.first, control.second);
            EXPECT_EQ(expected, m_pTest->GetDialogControlName(control.first, control.second))
                << "file " << file << ", control " << control.first << "/" << control.second;
        }
    }

    static constexpr unsigned int kMessages[] = {0, 18, 19, 20, 21, 25, 31, 35, 37, 39, 44, 45, 46, 47, 48,
                                                 2147483647u, 2147483648u, 4294967295u};
    static constexpr unsigned int kDialogs[] = {2019, 2020, 2021, 2022, 2023};
    const std::vector<std::pair<unsigned int, unsigned int>> kControls = {
        {2020, 2}, {2020, 32786}, {2020, 32788}, {2020, 32815}, {2021, 2}, {2021, 32800}, {2021, 32801},
        {2022, 1}, {2022, 2}, {2022, 32795}, {2019, 5}, {2023, 32815}};
};

TEST_F(BadLanguageFilesTest, EveryTextFallsBackByTheRules)
{
    ASSERT_EQ(1250u, ::GetACP());
    CCorpus corpus(1208);
    const int count = EnvCount("TAVO_LANGUAGE_FILES", 1000);
    int used = 0;
    CProgress progress("language files", count);
    for (int file = 0; file < count; ++file) {
        progress.Done(file);
        std::vector<Item> messages, dialogs;
        const bool broken = file % 4 == 3;
        CTempFile path("corpus.xml", broken ? corpus.Broken() : corpus.WellFormed(&messages, &dialogs));
        m_pTest->SetLanguageFile(path.c_str());
        const int opened = m_pTest->LanguageFileOpen();
        if (broken) {
            EXPECT_EQ(0, opened) << "file " << file << " must not be used";
            // The reason is kept for the host and says what is wrong, where MSXML itself names nothing.
            const std::string reason = BenchLanguageError();
            EXPECT_TRUE(reason.find("not well-formed XML (") != std::string::npos ||
                        reason.find("the root element is not TesterLanguage") != std::string::npos ||
                        reason.find("(DTD) is not allowed") != std::string::npos)
                << "file " << file << ": " << reason;
        }
        used += opened;
        if (opened)
            CheckLookups(&messages, &dialogs, file);
        else
            CheckLookups(nullptr, nullptr, file);
        m_pTest->LanguageFileClose();
        if (HasFatalFailure() || HasFailure())
            break;
    }
    EXPECT_GT(used, count / 2);
}

}  // namespace
