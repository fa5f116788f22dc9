// ParseBenchText and BenchText: the bench file, an INI file with one [Bench]
// section and one [Unit NAME] section per unit, read from its bytes and
// written as text. Its keys and values are described in docs/bench-file.md.
#include "BenchText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "Text.h"

namespace {


// A whole decimal number within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long* value)
{
    if (text.empty() || text.size() > 9)
        return false;
    char* end = nullptr;
    const long number = strtol(text.c_str(), &end, 10);
    if (*end != '\0' || number < low || number > high)
        return false;
    *value = number;
    return true;
}

bool ParseBytes(const std::string& text, std::vector<unsigned char>* bytes)
{
    std::istringstream words(text);
    std::string word;
    bytes->clear();
    while (words >> word) {
        if (word.size() != 2 || !isxdigit(static_cast<unsigned char>(word[0])) ||
            !isxdigit(static_cast<unsigned char>(word[1])))
            return false;
        bytes->push_back(static_cast<unsigned char>(strtoul(word.c_str(), nullptr, 16)));
    }
    return true;
}

// The line without the comment that may end it: a ';' or '#' after blanks,
// as people write INI files. A quoted value ends at the quote that only
// blanks or such a comment follow, and keeps whatever its quotes hold.
std::string WithoutComment(const std::string& line)
{
    const auto blank = [&line](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    const size_t equals = line.find('=');
    const size_t open = line.find_first_not_of(" \t", equals == std::string::npos ? 0 : equals + 1);
    size_t from = 0;
    if (equals != std::string::npos && open != std::string::npos && line[open] == '"') {
        for (size_t close = line.find('"', open + 1); close != std::string::npos && !from;
             close = line.find('"', close + 1)) {
            const size_t next = line.find_first_not_of(" \t\r", close + 1);
            if (next == std::string::npos || ((line[next] == ';' || line[next] == '#') && blank(next - 1)))
                from = close + 1;
        }
    }
    for (size_t at = line.find_first_of(";#", from); at != std::string::npos; at = line.find_first_of(";#", at + 1)) {
        if (at > 0 && blank(at - 1))
            return line.substr(0, at);
    }
    return line;
}

struct Entry
{
    std::string strValue;
    int nLine;
};

struct Section
{
    std::string strName;
    int nLine;
    std::map<std::string, Entry> entries;
};

class CParser
{
public:
    explicit CParser(const std::string& path) : m_strPath(path) {}

    bool Read(const std::string& bytes, std::vector<Section>* sections)
    {
        std::istringstream file(bytes);
        std::string line;
        int number = 0;
        while (std::getline(file, line)) {
            ++number;
            line = Trimmed(line);
            if (line.empty() || line[0] == ';' || line[0] == '#')
                continue;
            line = Trimmed(WithoutComment(line));
            if (line[0] == '[') {
                if (line.back() != ']')
                    return Fail(number, "", "", "a section header must end with ']'");
                sections->push_back({Trimmed(line.substr(1, line.size() - 2)), number, {}});
                continue;
            }
            const size_t equals = line.find('=');
            if (equals == std::string::npos)
                return Fail(number, "", "", "expected KEY=VALUE or [SECTION]");
            if (sections->empty())
                return Fail(number, "", "", "a key before the first section");
            Section& section = sections->back();
            const std::string key = Trimmed(line.substr(0, equals));
            if (section.entries.count(key))
                return Fail(number, section.strName, key, "the key is given twice");
            section.entries[key] = {Trimmed(line.substr(equals + 1)), number};
        }
        return true;
    }

    bool Fail(int line, const std::string& section, const std::string& key, const std::string& what)
    {
        m_strError = m_strPath;
        if (line)
            m_strError += ", line " + std::to_string(line);
        if (!section.empty())
            m_strError += ", [" + section + "]";
        if (!key.empty())
            m_strError += ", key " + key;
        m_strError += ": " + what;
        return false;
    }

    const std::string& Error() const { return m_strError; }

private:
    std::string m_strPath;
    std::string m_strError;
};

// Reads one [Unit NAME] section into unit.
class CUnitReader
{
public:
    CUnitReader(CParser& parser, const Section& section) : m_parser(parser), m_section(section) {}

    bool Read(BenchUnit* unit)
    {
        for (const auto& entry : m_section.entries) {
            static const char* const kKeys[] = {"Type", "Serial", "UserConfig", "DefaultConfig", "JP1", "JP2",
                                                "AnswersOn", "AnswersAfterPolls", "NeverAnswers", "PollTime"};
            bool known = false;
            for (const char* key : kKeys)
                known = known || entry.first == key;
            if (!known)
                return Fail(entry.first, "unknown key");
        }
        unit->strName = Trimmed(m_section.strName.substr(4));
        if (unit->strName.empty())
            return Fail("", "a unit needs a name: [Unit NAME]");

        std::string text;
        if (!Text("Type", &text) || text.size() > BenchUnit::TYPE_SIZE)
            return Fail("Type", "expected a type text of at most 16 characters");
        unit->strType = text;
        if (!Text("Serial", &text) || text.size() > BenchUnit::SERIAL_SIZE)
            return Fail("Serial", "expected a serial number of at most 8 characters");
        unit->strSerial = text;

        std::vector<unsigned char> bytes;
        if (!Text("UserConfig", &text) || !ParseBytes(text, &bytes) || bytes.size() != BenchUnit::CONFIG_SIZE)
            return Fail("UserConfig", "expected 21 bytes in hexadecimal, e.g. 05 0A 60 02 ...");
        memcpy(unit->abyConfig, bytes.data(), BenchUnit::CONFIG_SIZE);
        if (Has("DefaultConfig")) {
            Text("DefaultConfig", &text);
            if (!ParseBytes(text, &bytes) || bytes.size() < BENCH_DEFAULT_MIN ||
                bytes.size() > BENCH_DEFAULT_MAX)
                return Fail("DefaultConfig", "expected 17 to 32 bytes in hexadecimal");
            unit->defaultBlock = bytes;
        }
        return ReadJumpers(unit) && ReadAnswer(unit) && ReadBehaviour(unit);
    }

private:
    bool Has(const char* key) const { return m_section.entries.count(key) != 0; }

    // The value; one pair of double quotes around it keeps its blanks.
    bool Text(const char* key, std::string* text) const
    {
        auto entry = m_section.entries.find(key);
        if (entry == m_section.entries.end())
            return false;
        const std::string& value = entry->second.strValue;
        const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
        *text = quoted ? value.substr(1, value.size() - 2) : value;
        return true;
    }

    bool Fail(const std::string& key, const std::string& what)
    {
        auto entry = m_section.entries.find(key);
        const int line = entry != m_section.entries.end() ? entry->second.nLine : m_section.nLine;
        const std::string missing = !key.empty() && entry == m_section.entries.end() ? " (the key is missing)" : "";
        return m_parser.Fail(line, m_section.strName, key, what + missing);
    }

    bool ReadJumpers(BenchUnit* unit)
    {
        std::string text = "WE";
        Text("JP1", &text);
        if (text != "WE" && text != "WP")
            return Fail("JP1", "expected WE or WP");
        unit->bWriteEnabled = text == "WE";
        text = "open";
        Text("JP2", &text);
        if (text != "open" && text != "closed")
            return Fail("JP2", "expected open or closed");
        unit->bJP2Closed = text == "closed";
        return true;
    }

    bool ReadAnswer(BenchUnit* unit)
    {
        unit->byAnswerAddress = unit->abyConfig[0];
        unit->nAnswerBaud = unit->abyConfig[2] * 100;
        unit->byAnswerParity = unit->abyConfig[3];
        unit->byAnswerDelay = unit->abyConfig[1];
        std::string text;
        if (!Text("AnswersOn", &text))
            return true;
        std::istringstream words(text);
        std::string address, baud, parity, extra;
        long a = 0, b = 0, p = 0;
        // Besides the line's rates and parities, whatever a unit's record can
        // make it answer on (100 times a baud code, any parity code): a saved
        // bench holds a unit as its record left it, and must load again.
        if (!(words >> address >> baud >> parity) || (words >> extra) || !ParseNumber(address, 0, 255, &a) ||
            !ParseNumber(baud, 0, 25500, &b) || b % 100 != 0 || !ParseNumber(parity, 0, 255, &p))
            return Fail("AnswersOn", "expected ADDRESS BAUD PARITY, e.g. 5 9600 2 (baud 600..9600 or 100 times a "
                                     "baud code, parity 0 none, 1 odd, 2 even or another code)");
        unit->byAnswerAddress = static_cast<unsigned char>(a);
        unit->nAnswerBaud = static_cast<int>(b);
        unit->byAnswerParity = static_cast<unsigned char>(p);
        return true;
    }

    bool ReadBehaviour(BenchUnit* unit)
    {
        std::string text;
        long number = 0;
        if (Text("AnswersAfterPolls", &text)) {
            if (!ParseNumber(text, 0, 1000000, &number))
                return Fail("AnswersAfterPolls", "expected a number from 0 to 1000000");
            unit->nAnswerAfterPolls = static_cast<int>(number);
        }
        if (Text("NeverAnswers", &text)) {
            if (text != "yes" && text != "no")
                return Fail("NeverAnswers", "expected yes or no");
            unit->bNeverAnswers = text == "yes";
        }
        if (Text("PollTime", &text)) {
            if (!ParseNumber(text, 0, 10000, &number))
                return Fail("PollTime", "expected milliseconds from 0 to 10000");
            unit->dwPollMs = static_cast<unsigned long>(number);
        }
        return true;
    }

    CParser& m_parser;
    const Section& m_section;
};

}  // namespace

bool ParseBenchText(const std::string& bytes, const std::string& name, BenchContents* contents, std::string* error)
{
    CParser parser(name);
    std::vector<Section> sections;
    std::vector<BenchUnit> units;
    std::string connected;
    bool ok = parser.Read(bytes, &sections);
    for (size_t i = 0; ok && i < sections.size(); ++i) {
        const Section& section = sections[i];
        if (section.strName == "Bench") {
            for (const auto& entry : section.entries) {
                if (entry.first != "Connected")
                    ok = parser.Fail(entry.second.nLine, section.strName, entry.first, "unknown key");
            }
            if (section.entries.count("Connected"))
                connected = section.entries.at("Connected").strValue;
        } else if (section.strName.compare(0, 4, "Unit") == 0 &&
                   (section.strName.size() == 4 || section.strName[4] == ' ')) {
            BenchUnit unit;
            ok = CUnitReader(parser, section).Read(&unit);
            for (const BenchUnit& other : units) {
                if (ok && other.strName == unit.strName)
                    ok = parser.Fail(section.nLine, section.strName, "", "a second unit of this name");
            }
            units.push_back(unit);
        } else {
            ok = parser.Fail(section.nLine, section.strName, "", "unknown section (expected [Bench] or [Unit NAME])");
        }
    }
    const bool known = std::any_of(units.begin(), units.end(),
                                   [&connected](const BenchUnit& unit) { return unit.strName == connected; });
    if (ok && !connected.empty() && !known)
        ok = parser.Fail(0, "Bench", "Connected", "no unit named '" + connected + "'");
    if (!ok) {
        *error = parser.Error();
        return false;
    }
    contents->units = units;
    contents->strConnected = connected;
    return true;
}

std::string BenchText(const BenchContents& contents)
{
    std::ostringstream out;
    out << "; Simulated units of the TAVO bench\n[Bench]\n";
    if (!contents.strConnected.empty())
        out << "Connected=" << contents.strConnected << "\n";
    for (const BenchUnit& unit : contents.units) {
        out << "\n[Unit " << unit.strName << "]\n"
            << "Type=\"" << unit.strType << "\"\n"
            << "Serial=\"" << unit.strSerial << "\"\n"
            << "UserConfig=" << HexBytes(unit.abyConfig, BenchUnit::CONFIG_SIZE) << "\n";
        if (!unit.defaultBlock.empty())
            out << "DefaultConfig=" << HexBytes(unit.defaultBlock.data(), unit.defaultBlock.size()) << "\n";
        out << "JP1=" << (unit.bWriteEnabled ? "WE" : "WP") << "\n"
            << "JP2=" << (unit.bJP2Closed ? "closed" : "open") << "\n"
            << "AnswersOn=" << static_cast<int>(unit.byAnswerAddress) << " " << unit.nAnswerBaud << " "
            << static_cast<int>(unit.byAnswerParity) << "\n"
            << "AnswersAfterPolls=" << unit.nAnswerAfterPolls << "\n"
            << "NeverAnswers=" << (unit.bNeverAnswers ? "yes" : "no") << "\n"
            << "PollTime=" << unit.dwPollMs << "\n";
    }
    return out.str();
}
