// CPdbFile: an MSF file is a super block, then blocks of one size. The
// stream directory lists every stream's size and blocks; stream 1 records
// the image's identity, stream 3 (DBI) names the stream of symbol records,
// which holds the public symbols.
#include "PdbFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const char kMagic[] = "Microsoft C/C++ MSF 7.00\r\n\x1a" "DS\0\0";

struct SuperBlock
{
    char magic[32];
    DWORD blockSize, freeBlockMap, blockCount, directoryBytes, unknown, directoryMapBlock;
};

DWORD WordAt(const std::string& bytes, size_t offset)
{
    DWORD value = 0;
    if (offset <= bytes.size() && bytes.size() - offset >= 4)
        memcpy(&value, bytes.data() + offset, 4);
    return value;
}

WORD HalfAt(const std::string& bytes, size_t offset)
{
    WORD value = 0;
    if (offset <= bytes.size() && bytes.size() - offset >= 2)
        memcpy(&value, bytes.data() + offset, 2);
    return value;
}

const DWORD kPdbStream = 1, kDbiStream = 3;
const size_t kDbiSymbolRecords = 20;  // the DBI header's word naming the symbol record stream
const WORD kPublicSymbol = 0x110E;    // S_PUB32: flags, offset, section, name

}  // namespace

bool CPdbFile::Parse(std::string bytes, const std::string& path, std::string* error)
{
    m_bytes = std::move(bytes);
    std::string identity, dbi, records;
    if (m_bytes.size() < sizeof(SuperBlock) || memcmp(m_bytes.data(), kMagic, sizeof(kMagic) - 1) != 0 ||
        !ReadDirectory() || !Stream(kPdbStream, &identity) || identity.size() < 28 || !Stream(kDbiStream, &dbi) ||
        dbi.size() < 64) {
        *error = "'" + path + "' is no PDB that can be read";
        return false;
    }
    m_dwAge = WordAt(identity, 8);
    memcpy(&m_guid, identity.data() + 12, sizeof(GUID));
    if (Stream(HalfAt(dbi, kDbiSymbolRecords), &records))
        ReadPublics(records);
    return true;
}

bool CPdbFile::ReadDirectory()
{
    SuperBlock super;
    memcpy(&super, m_bytes.data(), sizeof(super));
    m_dwBlockSize = super.blockSize;
    if (m_dwBlockSize != 512 && m_dwBlockSize != 1024 && m_dwBlockSize != 2048 && m_dwBlockSize != 4096)
        return false;
    const size_t directoryBlocks = (super.directoryBytes + static_cast<size_t>(m_dwBlockSize) - 1) / m_dwBlockSize;
    if (super.directoryBytes > m_bytes.size() || directoryBlocks > m_dwBlockSize / 4)
        return false;
    // One block lists the directory's blocks.
    const size_t map = static_cast<size_t>(super.directoryMapBlock) * m_dwBlockSize;
    for (size_t i = 0; i < directoryBlocks; ++i) {
        const size_t block = static_cast<size_t>(WordAt(m_bytes, map + 4 * i)) * m_dwBlockSize;
        if (map + 4 * i + 4 > m_bytes.size() || block > m_bytes.size() || m_bytes.size() - block < m_dwBlockSize)
            return false;
        m_directory.append(m_bytes, block, m_dwBlockSize);
    }
    m_directory.resize(super.directoryBytes);
    m_dwStreams = WordAt(m_directory, 0);
    if (m_dwStreams > m_directory.size() / 4)
        return false;
    size_t at = 4 + 4 * static_cast<size_t>(m_dwStreams);
    for (DWORD i = 0; i < m_dwStreams; ++i) {
        const DWORD size = WordAt(m_directory, 4 + 4 * i);
        m_firstBlock.push_back(at);
        at += size == 0xFFFFFFFF ? 0 : 4 * ((size + static_cast<size_t>(m_dwBlockSize) - 1) / m_dwBlockSize);
        if (at > m_directory.size())
            return false;
    }
    return true;
}

bool CPdbFile::Stream(DWORD index, std::string* stream) const
{
    if (index >= m_dwStreams)
        return false;
    const DWORD size = WordAt(m_directory, 4 + 4 * index);
    if (size == 0xFFFFFFFF || size > m_bytes.size())
        return false;
    stream->clear();
    for (size_t i = 0; stream->size() < size; ++i) {
        const size_t block = static_cast<size_t>(WordAt(m_directory, m_firstBlock[index] + 4 * i)) * m_dwBlockSize;
        if (block > m_bytes.size() || m_bytes.size() - block < m_dwBlockSize)
            return false;
        stream->append(m_bytes, block, std::min<size_t>(m_dwBlockSize, size - stream->size()));
    }
    return true;
}

// Records: a length (of what follows it), a kind, then the record's fields.
void CPdbFile::ReadPublics(const std::string& records)
{
    for (size_t at = 0; at + 4 <= records.size();) {
        const size_t length = HalfAt(records, at);
        if (length < 2 || records.size() - at - 2 < length)
            return;
        const size_t fields = at + 4, end = at + 2 + length;
        if (HalfAt(records, at + 2) == kPublicSymbol && fields + 10 < end) {
            const char* name = records.data() + fields + 10;
            m_publics[std::string(name, strnlen(name, end - fields - 10))] = {HalfAt(records, fields + 8),
                                                                              WordAt(records, fields + 4)};
        }
        at = end;
    }
}
