// Classes in this file: CTempFile, a file the tests write and remove again;
// and FileBytes, which reads a file whole.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

// A file's bytes as they are; none when it cannot be read.
inline std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class CTempFile
{
public:
    // Writes bytes as they are (no conversion) to a new file named after stem.
    CTempFile(const std::string& stem, const std::string& bytes)
    {
        char folder[MAX_PATH];
        ::GetTempPathA(sizeof(folder), folder);
        m_strPath = std::string(folder) + "tavo-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(++s_nCount) + "-" + stem;
        if (FILE* file = fopen(m_strPath.c_str(), "wb")) {
            fwrite(bytes.data(), 1, bytes.size(), file);
            fclose(file);
        }
    }
    ~CTempFile() { ::DeleteFileA(m_strPath.c_str()); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    const std::string& Path() const { return m_strPath; }
    const char* c_str() const { return m_strPath.c_str(); }

private:
    static inline int s_nCount = 0;
    std::string m_strPath;
};
