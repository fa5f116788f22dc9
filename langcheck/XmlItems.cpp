// ReadXmlItems: the byte scan, then XmlLite, which knows the line of every
// element.
#include "XmlItems.h"

#include <windows.h>
#include <shlwapi.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ByteScan.h"
#include "Text.h"
#include "TextConvert.h"

namespace {

// Wide text as UTF-8; a null text as none.
std::string Utf8(const wchar_t* text)
{
    return Narrow(text, text ? wcslen(text) : 0);
}

// Text of a one-byte code page as UTF-8, when every byte is a character of it.
std::string CodePageFault(const std::string& bytes, UINT codePage, const std::string& declared, std::string* text,
                          int* line)
{
    for (const char c : bytes) {
        const std::string fault = CharacterFault(static_cast<unsigned char>(c));
        wchar_t wide = 0;
        if (!fault.empty())
            return fault;
        if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &c, 1, &wide, 1) != 1)
            return "byte " + Hex(static_cast<unsigned char>(c), 2) + " is no character of " + declared;
        *line += c == '\n' ? 1 : 0;
    }
    std::wstring wide(bytes.size(), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                          static_cast<int>(wide.size()));
    *text = Narrow(wide);
    return std::string();
}

// UTF-16 text as UTF-8, when every unit is part of a character.
std::string Utf16Text(const std::string& bytes, bool bigEndian, std::string* text, int* line)
{
    if (bytes.size() % 2)
        return "its UTF-16 text ends in half a character";
    std::wstring wide(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        const unsigned char first = bytes[2 * i], second = bytes[2 * i + 1];
        wide[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    const std::string fault = Utf16Fault(wide, line);
    if (!fault.empty())
        return fault;
    if (!wide.empty() && wide[0] == 0xFEFF)
        wide.erase(0, 1);
    *text = Narrow(wide);
    return std::string();
}

// The document as UTF-8 text in *text, its declaration naming UTF-8, when
// its bytes are what their byte-order mark and declaration say and every
// one is part of a character; else the fault, with *line its line. Wine's
// XmlLite reads UTF-8 alone reliably, where MSXML reads UTF-16 and the
// Windows code pages as well.
std::string Utf8Text(const std::string& bytes, std::string* text, int* line)
{
    const std::string declared = DeclaredEncoding(bytes);
    const Encoding encoding = EncodingOf(bytes);
    const bool declaresUtf16 = declared.compare(0, 6, "UTF-16") == 0;
    if (encoding != kEightBit && !declared.empty() && !declaresUtf16)
        return "its bytes are UTF-16, its declaration says " + declared;
    if (encoding == kEightBit && declaresUtf16)
        return "its declaration says " + declared + ", its bytes are 8-bit";
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 && !declared.empty() && declared != "UTF-8")
        return "its byte-order mark says UTF-8, its declaration " + declared;
    if (encoding == kEightBit && (declared.empty() || declared == "UTF-8")) {
        *text = bytes;
        return Utf8Fault(bytes, line);
    }
    const UINT codePage = encoding == kEightBit ? CodePage(declared) : 0;
    if (encoding == kEightBit && !codePage)
        return "its declaration names the encoding " + declared + ", which no reader here knows";
    const std::string fault = codePage ? CodePageFault(bytes, codePage, declared, text, line)
                                       : Utf16Text(bytes, encoding == kUtf16Be, text, line);
    // The declaration, now of UTF-8 text.
    const size_t end = text->find("?>");
    const size_t at = text->compare(0, 5, "<?xml") == 0 ? text->find("encoding") : std::string::npos;
    const size_t open = at < end ? text->find_first_of("\"'", at) : std::string::npos;
    const size_t close = open < end ? text->find((*text)[open], open + 1) : std::string::npos;
    if (fault.empty() && close < end)
        text->replace(open + 1, close - open - 1, "UTF-8");
    return fault;
}

// The scan before the reader: the document as UTF-8 text in *text, or the
// fault, with *line its line.
std::string ByteFault(const std::string& bytes, std::string* text, int* line)
{
    *line = 1;
    std::string fault = Utf8Text(bytes, text, line);
    if (fault.empty())
        fault = MarkupFault(*text, line);
    return fault;
}

typedef HRESULT(WINAPI* CreateXmlReaderFn)(REFIID, void**, IMalloc*);

// XmlLite's reader factory, looked up once; the library stays loaded.
CreateXmlReaderFn XmlReaderFactory()
{
    static const CreateXmlReaderFn create = [] {
        const HMODULE xmllite = ::LoadLibraryW(L"xmllite.dll");
        return xmllite ? reinterpret_cast<CreateXmlReaderFn>(
                             reinterpret_cast<void*>(::GetProcAddress(xmllite, "CreateXmlReader")))
                       : nullptr;
    }();
    return create;
}

// Reads the attribute name of the reader's element, if it has one.
bool Attribute(IXmlReader* reader, const wchar_t* name, std::string* value)
{
    const wchar_t* text = nullptr;
    if (reader->MoveToAttributeByName(name, nullptr) != S_OK || FAILED(reader->GetValue(&text, nullptr)))
        return false;
    *value = Utf8(text);
    return true;
}

}  // namespace

bool ReadXmlItems(const std::string& bytes, std::vector<XmlItem>* items, int* line, std::string* reason)
{
    std::string text;
    *reason = ByteFault(bytes, &text, line);
    if (!reason->empty())
        return false;
    *line = 0;
    const CreateXmlReaderFn create = XmlReaderFactory();
    Microsoft::WRL::ComPtr<IStream> stream;
    stream.Attach(text.size() <= UINT_MAX
                      ? ::SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()))
                      : nullptr);
    Microsoft::WRL::ComPtr<IXmlReader> reader;
    if (!create || !stream ||
        FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.GetAddressOf()), nullptr))) {
        *reason = "XmlLite is not available";
        return false;
    }
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    HRESULT hr = reader->SetInput(stream.Get());
    // Every node takes at least one byte of the file. Wine's XmlLite answers
    // some malformed files with S_OK and no node, or the same node, for ever:
    // a node that is none, or more nodes than bytes, ends the reading.
    const size_t most = text.size() + 1;
    size_t nodes = 0;
    XmlNodeType type;
    while (SUCCEEDED(hr) && (hr = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_None || ++nodes > most) {
            hr = WC_E_SYNTAX;
            break;
        }
        if (type != XmlNodeType_Element)
            continue;
        XmlItem item;
        const wchar_t* name = nullptr;
        reader->GetQualifiedName(&name, nullptr);  // the module compares names with their prefix
        item.strElement = Utf8(name);
        UINT number = 0;
        reader->GetLineNumber(&number);
        item.nLine = static_cast<int>(number);
        reader->GetDepth(&number);
        item.nDepth = static_cast<int>(number);
        item.bHasId = Attribute(reader.Get(), L"ID", &item.strId);
        item.bHasText = Attribute(reader.Get(), L"text", &item.strText);
        reader->MoveToElement();
        items->push_back(item);
    }
    if (FAILED(hr)) {
        UINT number = 0;
        reader->GetLineNumber(&number);
        *line = static_cast<int>(number);
        *reason = "error 0x" + Hex(static_cast<unsigned long>(hr), 8);
        return false;
    }
    return true;
}

unsigned int DeclaredCodePage(const std::string& bytes)
{
    return EncodingOf(bytes) == kEightBit ? CodePage(DeclaredEncoding(bytes)) : 0;
}
