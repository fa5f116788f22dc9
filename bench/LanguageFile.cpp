// CLanguageFile: the host's language file over MSXML 6.
#include "LanguageFile.h"

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>

#include "FileDoor.h"
#include "Handles.h"
#include "Text.h"
#include "TestBench.h"
#include "TextConvert.h"
#include "XmlItems.h"

namespace {

using Microsoft::WRL::ComPtr;

// MinGW's headers lack these two.
const CLSID kClsidDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const IID kIidDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

const char kRoot[] = "TesterLanguage";
// Deeper documents are refused by the parser; the copy is recursive.
const int kMaxDepth = 64;

// A BSTR freed at the end of its scope.
class CBstr
{
public:
    CBstr() : m_bstr(nullptr) {}
    explicit CBstr(const std::wstring& text) : m_bstr(::SysAllocStringLen(text.data(), text.size())) {}
    ~CBstr() { ::SysFreeString(m_bstr); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;

    BSTR* operator&() { return &m_bstr; }
    operator BSTR() const { return m_bstr; }
    std::string Narrowed() const { return m_bstr ? Narrow(m_bstr, ::SysStringLen(m_bstr), CP_ACP) : ""; }

private:
    BSTR m_bstr;
};

void SetProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value)
{
    CBstr property{std::wstring(name)};
    document->setProperty(property, value);  // an older parser without it keeps its default
}

VARIANT Variant(VARTYPE type, LONG value)
{
    VARIANT variant;
    ::VariantInit(&variant);
    variant.vt = type;
    if (type == VT_BOOL)
        variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    else
        variant.lVal = value;
    return variant;
}

bool IsElement(IXMLDOMNode* node)
{
    DOMNodeType type = NODE_INVALID;
    return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

// Why MSXML refused the document, with the line. Where it names no line
// (Wine's MSXML says only "error"), the byte scan and XmlLite look for the
// fault in the same bytes.
std::string ParseFailure(IXMLDOMDocument2* document, const std::string& bytes)
{
    ComPtr<IXMLDOMParseError> parseError;
    long line = 0;
    CBstr reason;
    if (SUCCEEDED(document->get_parseError(&parseError)) && parseError.Get()) {
        parseError->get_line(&line);
        parseError->get_reason(&reason);
    }
    std::string why = reason.Narrowed();
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
        why.pop_back();
    if (line > 0)
        return ", line " + std::to_string(line) + ": " + why;
    std::vector<XmlItem> items;
    int at = 0;
    std::string fault;
    if (!ReadXmlItems(bytes, &items, &at, &fault))
        return (at ? ", line " + std::to_string(at) : std::string()) + ": not well-formed XML (" + fault + ")";
    return ": MSXML 6 refuses it and names no line (its reason: " + (why.empty() ? "none" : why) + ")";
}

}  // namespace

bool CLanguageFile::Open(const std::string& path, std::string* error)
{
    m_elements.clear();
    m_nCurrent = -1;
    // The module names the file in the ANSI code page. MSXML reads it by its
    // name; a device or a folder never reaches it.
    std::string bytes;
    if (!ReadRegularFile(AnsiToUtf8(path), kMaxXmlBytes, &bytes, error))
        return false;
    CComApartment com;
    ComPtr<IXMLDOMDocument2> document;
    const HRESULT created = ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIidDomDocument2,
                                               reinterpret_cast<void**>(document.GetAddressOf()));
    if (FAILED(created)) {
        *error = "MSXML 6 is not available (error 0x" + Hex(static_cast<unsigned long>(created), 8) + ")";
        return false;
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    SetProperty(document.Get(), L"ProhibitDTD", Variant(VT_BOOL, 1));
    SetProperty(document.Get(), L"MaxElementDepth", Variant(VT_I4, kMaxDepth));

    VARIANT source;
    ::VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = ::SysAllocString(Widen(path, CP_ACP).c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->load(source, &loaded);
    ::VariantClear(&source);
    if (FAILED(result) || loaded != VARIANT_TRUE) {
        *error = "'" + path + "'" + ParseFailure(document.Get(), bytes);
        return false;
    }

    // A parser that lets a DTD through still gets no file with one.
    ComPtr<IXMLDOMDocumentType> doctype;
    if (SUCCEEDED(document->get_doctype(&doctype)) && doctype.Get()) {
        *error = "'" + path + "': a document type declaration (DTD) is not allowed";
        return false;
    }
    ComPtr<IXMLDOMElement> root;
    CBstr rootName;
    if (FAILED(document->get_documentElement(&root)) || !root.Get() || FAILED(root->get_nodeName(&rootName)) ||
        rootName.Narrowed() != kRoot) {
        *error = "'" + path + "': the root element is not " + kRoot;
        return false;
    }
    if (!Copy(root.Get(), 1, error)) {
        m_elements.clear();
        *error = "'" + path + "': " + *error;
        return false;
    }
    error->clear();
    return true;
}

// Appends node and, behind it, every element below it; links the children.
bool CLanguageFile::Copy(IXMLDOMNode* node, int depth, std::string* error)
{
    if (depth > kMaxDepth) {
        *error = "elements nested deeper than " + std::to_string(kMaxDepth);
        return false;
    }
    const int index = static_cast<int>(m_elements.size());
    m_elements.emplace_back();
    CBstr name;
    node->get_nodeName(&name);
    m_elements[index].strName = name.Narrowed();

    ComPtr<IXMLDOMNamedNodeMap> attributes;
    long count = 0;
    if (SUCCEEDED(node->get_attributes(&attributes)) && attributes.Get() && SUCCEEDED(attributes->get_length(&count))) {
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> attribute;
            CBstr attributeName;
            VARIANT value;
            ::VariantInit(&value);
            // The value exactly as written (entities resolved); an attribute's
            // text would have its blanks normalised.
            if (SUCCEEDED(attributes->get_item(i, &attribute)) && attribute.Get() &&
                SUCCEEDED(attribute->get_nodeName(&attributeName)) && SUCCEEDED(attribute->get_nodeValue(&value)) &&
                value.vt == VT_BSTR)
                m_elements[index].attributes.emplace_back(
                    attributeName.Narrowed(), Narrow(value.bstrVal, ::SysStringLen(value.bstrVal), CP_ACP));
            ::VariantClear(&value);
        }
    }

    int previous = -1;
    ComPtr<IXMLDOMNode> child;
    node->get_firstChild(&child);
    while (child) {
        if (IsElement(child.Get())) {
            const int childIndex = static_cast<int>(m_elements.size());
            if (!Copy(child.Get(), depth + 1, error))
                return false;
            if (previous < 0)
                m_elements[index].nFirstChild = childIndex;
            else
                m_elements[previous].nNextSibling = childIndex;
            previous = childIndex;
        }
        ComPtr<IXMLDOMNode> next;
        child->get_nextSibling(&next);
        child = next;
    }
    return true;
}

int CLanguageFile::FindSibling(int first, const char* name) const
{
    int element = first;
    while (element >= 0 && m_elements[element].strName != name)
        element = m_elements[element].nNextSibling;
    return element;
}

int CLanguageFile::GetTag(unsigned long flags, const char* name)
{
    int found = -1;
    if (name && !m_elements.empty()) {
        if (flags == BENCH_TAG_ROOT)
            found = m_elements[0].strName == name ? 0 : -1;
        else if (m_nCurrent >= 0 && flags == BENCH_TAG_FIRST_CHILD)
            found = FindSibling(m_elements[m_nCurrent].nFirstChild, name);
        else if (m_nCurrent >= 0 && flags == BENCH_TAG_NEXT)
            found = FindSibling(m_elements[m_nCurrent].nNextSibling, name);
    }
    m_nCurrent = found;
    return found >= 0 ? 1 : 0;
}

const char* CLanguageFile::GetAttribute(const char* name) const
{
    if (m_nCurrent < 0 || !name)
        return nullptr;
    for (const auto& attribute : m_elements[m_nCurrent].attributes) {
        if (attribute.first == name)
            return attribute.second.c_str();
    }
    return nullptr;
}

const char* CLanguageFile::GetTagName() const
{
    return m_nCurrent >= 0 ? m_elements[m_nCurrent].strName.c_str() : nullptr;
}
