// Functions in this file: ReadXmlItems, a language file's bytes read element
// by element with the line of each, after a scan for what the XML readers let
// through, misreport or stop on. The bench's language reader uses it to say
// why MSXML refused a file where MSXML names no reason; tavohost check-lang
// reads the file through it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The largest language file read: no real one comes near.
const size_t kMaxXmlBytes = 64u << 20;

struct XmlItem
{
    std::string strElement;  // with its prefix, as the module compares it
    int nLine = 0;
    int nDepth = 0;  // 0: the root
    bool bHasId = false;
    std::string strId;  // attributes in UTF-8
    bool bHasText = false;
    std::string strText;
};

// Reads every element of the document in bytes with its line, its depth and
// its ID and text attributes. False when the bytes are not a well-formed
// document: *line (0 when the fault is not at a line) and reason say where
// and what, e.g. "bytes C0 AF are not UTF-8" or "error 0xC00CEE3B". Before
// XmlLite reads them, the bytes are held against their encoding (the byte
// order mark and the declaration agree with each other and with the bytes,
// and every sequence is valid in it) and, when 8-bit, against a control
// character or a '&' that begins no reference.
bool ReadXmlItems(const std::string& bytes, std::vector<XmlItem>* items, int* line, std::string* reason);

// The one-byte code page a file's declaration names for its 8-bit bytes
// (1250 for windows-1250, 28592 for ISO-8859-2, ...); 0 for UTF-8, UTF-16
// or an encoding no reader here knows.
unsigned int DeclaredCodePage(const std::string& bytes);
