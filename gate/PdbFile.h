// Classes in this file: CPdbFile, a program database (an MSF 7.00 file) read
// as a file: the identity it records for its image and its public symbols.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "PeFormat.h"

// The largest PDB read: a module's is a few hundred kilobytes.
const size_t kMaxPdbBytes = 1024u << 20;

class CPdbFile
{
public:
    // False, with error, when the file cannot be read or holds no PDB
    // stream and DBI stream that can be read. The file comes through the
    // file door (ReaderFiles.cpp); everything else here reads bytes alone.
    bool Read(const std::string& path, std::string* error);
    // The same for bytes already read; name names them in the error.
    bool Parse(std::string bytes, const std::string& name, std::string* error);

    // The GUID and age it records for the image it belongs to.
    const GUID& Guid() const { return m_guid; }
    DWORD Age() const { return m_dwAge; }

    // The public symbols: each name, with the section (1 for the first) and
    // the offset in it where the symbol lies.
    const std::map<std::string, std::pair<WORD, DWORD>>& Publics() const { return m_publics; }

private:
    // A stream's bytes gathered from its blocks; false when it is no stream
    // or runs off the file.
    bool Stream(DWORD index, std::string* stream) const;
    bool ReadDirectory();
    void ReadPublics(const std::string& records);

    std::string m_bytes;
    DWORD m_dwBlockSize = 0;
    std::string m_directory;  // the stream count, the sizes, then each stream's blocks
    DWORD m_dwStreams = 0;
    std::vector<size_t> m_firstBlock;  // where each stream's block list begins in m_directory
    GUID m_guid{};
    DWORD m_dwAge = 0;
    std::map<std::string, std::pair<WORD, DWORD>> m_publics;
};
