// Classes in this file: small owners of the development host's handles, each
// giving its handle back the one way Windows asks for it: CStdioFile (a C
// stream), CComApartment, CScreenDc, CMemoryDc, CGdiObject and CDcSelection
// (an object selected into a DC, put back). COM interfaces are held in WRL's
// ComPtr, here as in the bench.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <string>

class CStdioFile
{
public:
    CStdioFile() = default;
    ~CStdioFile() { Close(); }
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    bool Open(const std::string& path, const char* mode)
    {
        Close();
        m_pFile = fopen(path.c_str(), mode);
        return m_pFile != nullptr;
    }
    void Close()
    {
        if (m_pFile)
            fclose(m_pFile);
        m_pFile = nullptr;
    }
    FILE* Get() const { return m_pFile; }

private:
    FILE* m_pFile = nullptr;
};

// COM on this thread for the object's life; declared before the interfaces
// used in it, so they are released first.
class CComApartment
{
public:
    CComApartment() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT m_hr;
};

// The whole screen's DC.
class CScreenDc
{
public:
    CScreenDc() : m_hDc(::GetDC(nullptr)) {}
    ~CScreenDc() { ::ReleaseDC(nullptr, m_hDc); }
    CScreenDc(const CScreenDc&) = delete;
    CScreenDc& operator=(const CScreenDc&) = delete;
    HDC Get() const { return m_hDc; }

private:
    HDC m_hDc;
};

class CMemoryDc
{
public:
    explicit CMemoryDc(HDC compatible) : m_hDc(::CreateCompatibleDC(compatible)) {}
    ~CMemoryDc()
    {
        if (m_hDc)
            ::DeleteDC(m_hDc);
    }
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;
    HDC Get() const { return m_hDc; }

private:
    HDC m_hDc;
};

class CGdiObject
{
public:
    explicit CGdiObject(HGDIOBJ object) : m_hObject(object) {}
    ~CGdiObject()
    {
        if (m_hObject)
            ::DeleteObject(m_hObject);
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    HGDIOBJ Get() const { return m_hObject; }

private:
    HGDIOBJ m_hObject;
};

// Selects object into dc and puts back what was selected before.
class CDcSelection
{
public:
    CDcSelection(HDC dc, HGDIOBJ object) : m_hDc(dc), m_hOld(::SelectObject(dc, object)) {}
    ~CDcSelection()
    {
        if (m_hOld)
            ::SelectObject(m_hDc, m_hOld);
    }
    CDcSelection(const CDcSelection&) = delete;
    CDcSelection& operator=(const CDcSelection&) = delete;

private:
    HDC m_hDc;
    HGDIOBJ m_hOld;
};
