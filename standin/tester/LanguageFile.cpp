// CLanguageFile: the host's language file over MSXML 6.
#include "LanguageFile.h"

#include <msxml2.h>

#include <vector>

namespace {

// MinGW's headers lack these two.
const CLSID kClsidDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const IID kIidDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

const char kRoot[] = "TesterLanguage";

std::wstring Widen(const char* text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    return wide;
}

std::string Narrow(const wchar_t* text, int length)
{
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

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
    int Length() const { return static_cast<int>(::SysStringLen(m_bstr)); }

private:
    BSTR m_bstr;
};

bool HasName(IXMLDOMNode* node, const std::wstring& name)
{
    DOMNodeType type = NODE_INVALID;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT)
        return false;
    CBstr nodeName;
    return SUCCEEDED(node->get_nodeName(&nodeName)) && nodeName &&
           name.compare(0, std::wstring::npos, nodeName, nodeName.Length()) == 0;
}

void SetProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value)
{
    CBstr property{std::wstring(name)};
    document->setProperty(property, value);  // an older parser without it keeps its default
}

}  // namespace

CLanguageFile::CLanguageFile() : m_pDocument(nullptr), m_pCurrent(nullptr), m_bComStarted(false) {}

CLanguageFile::~CLanguageFile()
{
    Close();
}

bool CLanguageFile::Open(const std::string& path)
{
    Close();
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_bComStarted = SUCCEEDED(started);  // another model already set is fine too

    IXMLDOMDocument2* document = nullptr;
    HRESULT hr = ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIidDomDocument2,
                                    reinterpret_cast<void**>(&document));
    if (FAILED(hr)) {
        m_strError = "MSXML 6 is not available (error 0x" + std::to_string(static_cast<unsigned long>(hr)) + ")";
        Close();
        return false;
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    VARIANT yes;
    ::VariantInit(&yes);
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    SetProperty(document, L"ProhibitDTD", yes);
    VARIANT depth;
    ::VariantInit(&depth);
    depth.vt = VT_I4;
    depth.lVal = 64;
    SetProperty(document, L"MaxElementDepth", depth);

    VARIANT source;
    ::VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = ::SysAllocString(Widen(path.c_str()).c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    hr = document->load(source, &loaded);
    ::VariantClear(&source);
    m_pDocument = document;

    if (FAILED(hr) || loaded != VARIANT_TRUE) {
        IXMLDOMParseError* parseError = nullptr;
        long line = 0;
        CBstr reason;
        if (SUCCEEDED(document->get_parseError(&parseError)) && parseError) {
            parseError->get_line(&line);
            parseError->get_reason(&reason);
            parseError->Release();
        }
        std::string why = reason ? Narrow(reason, reason.Length()) : std::string("cannot be read");
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
            why.pop_back();
        m_strError = "'" + path + "'" + (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": " + why;
        Close();
        return false;
    }

    // A parser that lets a DTD through still gets no file with one.
    IXMLDOMDocumentType* doctype = nullptr;
    if (SUCCEEDED(document->get_doctype(&doctype)) && doctype) {
        doctype->Release();
        m_strError = "'" + path + "': a document type declaration (DTD) is not allowed";
        Close();
        return false;
    }
    IXMLDOMElement* root = nullptr;
    const bool rootFits = SUCCEEDED(document->get_documentElement(&root)) && root && HasName(root, Widen(kRoot));
    if (root)
        root->Release();
    if (!rootFits) {
        m_strError = "'" + path + "': the root element is not " + kRoot;
        Close();
        return false;
    }
    m_strError.clear();
    return true;
}

void CLanguageFile::Close()
{
    SetCurrent(nullptr);
    if (m_pDocument) {
        m_pDocument->Release();
        m_pDocument = nullptr;
    }
    m_texts.clear();
    if (m_bComStarted) {
        ::CoUninitialize();
        m_bComStarted = false;
    }
}

void CLanguageFile::SetCurrent(IXMLDOMNode* node)
{
    if (m_pCurrent)
        m_pCurrent->Release();
    m_pCurrent = node;
}

// The first element named name from first on along the siblings (first is
// released); null when there is none.
IXMLDOMNode* CLanguageFile::FindElement(IXMLDOMNode* first, const char* name) const
{
    const std::wstring wanted = Widen(name);
    IXMLDOMNode* node = first;
    while (node && !HasName(node, wanted)) {
        IXMLDOMNode* next = nullptr;
        node->get_nextSibling(&next);
        node->Release();
        node = next;
    }
    return node;
}

int CLanguageFile::GetTag(unsigned long flags, const char* name)
{
    if (!m_pDocument || !name)
        return 0;
    IXMLDOMNode* found = nullptr;
    if (flags == TAG_ROOT) {
        IXMLDOMElement* root = nullptr;
        if (SUCCEEDED(m_pDocument->get_documentElement(&root)) && root) {
            IXMLDOMNode* node = nullptr;
            root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node));
            root->Release();
            if (node && HasName(node, Widen(name)))
                found = node;
            else if (node)
                node->Release();
        }
    } else if (m_pCurrent && (flags == TAG_FIRST_CHILD || flags == TAG_NEXT)) {
        IXMLDOMNode* start = nullptr;
        if (flags == TAG_FIRST_CHILD)
            m_pCurrent->get_firstChild(&start);
        else
            m_pCurrent->get_nextSibling(&start);
        found = FindElement(start, name);
    }
    SetCurrent(found);
    return found ? 1 : 0;
}

const char* CLanguageFile::GetAttribute(const char* name)
{
    if (!m_pCurrent || !name)
        return nullptr;
    IXMLDOMElement* element = nullptr;
    if (FAILED(m_pCurrent->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element))) || !element)
        return nullptr;
    CBstr attribute{Widen(name)};
    VARIANT value;
    ::VariantInit(&value);
    const HRESULT hr = element->getAttribute(attribute, &value);
    element->Release();
    const char* text = nullptr;
    if (hr == S_OK && value.vt == VT_BSTR)
        text = Keep(value.bstrVal, static_cast<int>(::SysStringLen(value.bstrVal)));
    ::VariantClear(&value);
    return text;
}

const char* CLanguageFile::GetTagName()
{
    if (!m_pCurrent)
        return nullptr;
    CBstr nodeName;
    if (FAILED(m_pCurrent->get_nodeName(&nodeName)) || !nodeName)
        return nullptr;
    return Keep(nodeName, nodeName.Length());
}

const char* CLanguageFile::Keep(const wchar_t* text, int length)
{
    return m_texts.insert(Narrow(text, length)).first->c_str();
}
