// Classes in this file: CReportFile, the host report kept in a file that
// always holds every line so far: it is written whole through the file door
// after each line, so a full disk or a killed host never leaves it cut.
#pragma once

#include <string>

#include "FileDoor.h"

class CReportFile
{
public:
    // Starts the file at path with the byte-order mark that tells Notepad it
    // is UTF-8, not the ANSI code page; false, with error, when it cannot be.
    bool Open(const std::string& path, std::string* error)
    {
        m_strPath = path;
        m_strText = "\xEF\xBB\xBF";
        m_bWritten = WriteWholeFile(m_strPath, m_strText, error);
        return m_bWritten;
    }
    bool IsOpen() const { return !m_strPath.empty(); }

    // Adds one line of UTF-8 text, ended as Windows ends lines.
    void Add(const std::string& line)
    {
        if (!IsOpen())
            return;
        m_strText += line + "\r\n";
        m_bWritten = WriteWholeFile(m_strPath, m_strText, &m_strError) && m_bWritten;
    }

    // False, with the first reason, when a line could not be written: the
    // file then holds the lines up to the one before.
    bool Written(std::string* error) const
    {
        if (!m_bWritten)
            *error = m_strError;
        return m_bWritten;
    }

private:
    std::string m_strPath, m_strText, m_strError;
    bool m_bWritten = false;
};
