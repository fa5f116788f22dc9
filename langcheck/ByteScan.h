// Functions in this file: the byte scan of a language file, over its bytes
// alone: which encoding its byte-order mark, first bytes and declaration
// say, the first sequence that is no character of it or none XML allows, and
// the first fault in its markup that an XML reader lets through, misreports
// or stops on. ReadXmlItems runs it before XmlLite reads the file.
#pragma once

#include <string>

// How the bytes are written: by their byte-order mark, else by how the
// first '<' is written.
enum Encoding
{
    kEightBit,
    kUtf16Le,
    kUtf16Be
};
Encoding EncodingOf(const std::string& bytes);

// The encoding the XML declaration names, upper case, read from the first
// bytes with the NUL bytes of UTF-16 left out; empty when it names none.
std::string DeclaredEncoding(const std::string& bytes);

// The Windows code page of an 8-bit encoding the declaration may name; 0
// for one that is not known here.
unsigned int CodePage(const std::string& declared);

// What makes a character one that no XML document may hold; empty when
// nothing does.
std::string CharacterFault(unsigned long character);

// The first sequence of bytes that is not UTF-8 (a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF)
// or is a character XML does not allow; *line is counted on to its line.
std::string Utf8Fault(const std::string& bytes, int* line);

// The first unit of UTF-16 text that is a surrogate without its pair or a
// character XML does not allow; *line is counted on to its line.
std::string Utf16Fault(const std::wstring& units, int* line);

// The first fault of the markup of UTF-8 text that Wine's XmlLite lets
// through where MSXML stops (CMarkupScan in ByteScan.cpp); empty when there
// is none. *line gets its line.
std::string MarkupFault(const std::string& text, int* line);
