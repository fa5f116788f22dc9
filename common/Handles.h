// Classes in this file: small owners of the host side's handles, each giving
// its handle back the one way Windows asks for it: CHandle (a kernel object:
// a file, a thread, a process), CComApartment, CScreenDc, CMemoryDc,
// CGdiObject and CDcSelection (an object selected into a DC, put back). COM
// interfaces are held in WRL's ComPtr.
#pragma once

#include <windows.h>

#include <objbase.h>

// A kernel handle, closed at the end of its scope; INVALID_HANDLE_VALUE, as
// CreateFile answers, and null both count as none.
class CHandle
{
public:
    explicit CHandle(HANDLE handle = nullptr) : m_hHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~CHandle()
    {
        if (m_hHandle)
            ::CloseHandle(m_hHandle);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return m_hHandle; }
    explicit operator bool() const { return m_hHandle != nullptr; }

private:
    HANDLE m_hHandle;
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
