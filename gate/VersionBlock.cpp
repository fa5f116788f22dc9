// VersionText: a version resource read block by block within the lengths
// each block gives and the bytes there are, as VerQueryValue walks it.
#include "VersionBlock.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

// One block of a version resource: its length, its key, its value's length
// and type, then the value and the blocks it holds, each on a 32-bit boundary.
struct VersionBlock
{
    std::wstring strKey;
    const BYTE* pValue = nullptr;  // to the end of the block
    size_t nValueBytes = 0;
    const BYTE* pChildren = nullptr;
    size_t nChildrenBytes = 0;
};

// Whether two keys are the same as VerQueryValue compares them: ASCII
// letters without regard to case.
bool SameKey(const std::wstring& a, const std::wstring& b)
{
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&upper](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

size_t Aligned(size_t offset)
{
    return (offset + 3) & ~size_t(3);
}

// Reads the block at the start of bytes, within the length it gives and the
// bytes there are; *length gets its length. False when it does not fit.
bool ReadVersionBlock(const BYTE* bytes, size_t available, VersionBlock* block, size_t* length)
{
    WORD header[3];  // length, value length, type (1: text)
    if (available < sizeof(header))
        return false;
    memcpy(header, bytes, sizeof(header));
    if (header[0] < sizeof(header) || header[0] > available)
        return false;
    size_t at = sizeof(header);
    for (wchar_t unit = 0; at + 2 <= header[0]; at += 2) {
        memcpy(&unit, bytes + at, 2);
        if (!unit)
            break;
        block->strKey += unit;
    }
    at = Aligned(at + 2);
    if (at > header[0])
        return false;
    block->pValue = bytes + at;
    block->nValueBytes = header[0] - at;
    const size_t children = Aligned(at + (header[2] == 1 ? 2 * header[1] : header[1]));
    block->pChildren = bytes + std::min<size_t>(children, header[0]);
    block->nChildrenBytes = header[0] - std::min<size_t>(children, header[0]);
    *length = header[0];
    return true;
}

// Calls visit with each block that parent holds, in order.
template <typename Visit>
void ForEachChild(const VersionBlock& parent, Visit visit)
{
    size_t length = 0;
    for (size_t at = 0; at < parent.nChildrenBytes; at = Aligned(at + length)) {
        VersionBlock child;
        if (!ReadVersionBlock(parent.pChildren + at, parent.nChildrenBytes - at, &child, &length))
            return;
        visit(child);
    }
}

// The StringFileInfo table the first Translation of the version block names,
// as VerQueryValue looks for it ("040504E2" for Czech in code page 1250);
// empty when the block names none.
std::wstring TranslationTable(const VersionBlock& root)
{
    std::wstring table;
    ForEachChild(root, [&](const VersionBlock& info) {
        if (info.strKey != L"VarFileInfo")
            return;
        ForEachChild(info, [&](const VersionBlock& translation) {
            if (translation.strKey != L"Translation" || translation.nValueBytes < 4 || !table.empty())
                return;
            WORD pair[2];
            memcpy(pair, translation.pValue, 4);
            wchar_t key[16];
            swprintf(key, 16, L"%04X%04X", pair[0], pair[1]);
            table = key;
        });
    });
    return table;
}

}  // namespace

// The text of key in the string table the version block's Translation
// names; *table gets that table's name (empty when it names none).
std::string VersionText(const BYTE* resource, DWORD size, const std::wstring& key, std::wstring* table)
{
    VersionBlock root;
    size_t length = 0;
    std::string text;
    table->clear();
    if (!ReadVersionBlock(resource, size, &root, &length) || root.strKey != L"VS_VERSION_INFO")
        return text;
    *table = TranslationTable(root);
    ForEachChild(root, [&](const VersionBlock& info) {
        if (info.strKey != L"StringFileInfo")
            return;
        ForEachChild(info, [&](const VersionBlock& strings) {
            if (!SameKey(strings.strKey, *table))
                return;  // VerQueryValue reads the table its Translation names alone
            ForEachChild(strings, [&](const VersionBlock& entry) {
                for (size_t i = 0; entry.strKey == key && i + 2 <= entry.nValueBytes; i += 2) {
                    wchar_t unit = 0;
                    memcpy(&unit, entry.pValue + i, 2);
                    if (!unit)
                        break;
                    text += unit < 0x80 ? static_cast<char>(unit) : '?';
                }
            });
        });
    });
    return text;
}
