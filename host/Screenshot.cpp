// SaveWindowPng: the window's pixels from the screen into a PNG file, encoded
// in memory and written whole through the file door.
#include "Screenshot.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

#include "FileDoor.h"
#include "Handles.h"

namespace {

// The window's pixels, top-down BGRA, copied from the screen after it has
// painted everything pending.
bool Capture(HWND window, int* width, int* height, std::vector<BYTE>* pixels)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A display driver may hand what was painted to the screen only when the
    // thread waits; wait briefly, without taking any message.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    RECT area;
    ::GetWindowRect(window, &area);
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    if (*width <= 0 || *height <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CScreenDc screen;
    CMemoryDc memory(screen.Get());
    CGdiObject bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.Get() || !memory.Get())
        return false;
    {
        CDcSelection selected(memory.Get(), bitmap.Get());
        if (!::BitBlt(memory.Get(), 0, 0, *width, *height, screen.Get(), area.left, area.top, SRCCOPY))
            return false;
    }
    pixels->assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + *width * *height * 4);
    for (size_t i = 3; i < pixels->size(); i += 4)
        (*pixels)[i] = 255;  // opaque
    return true;
}

// The pixels as the bytes of a PNG file, encoded in memory.
bool EncodePng(int width, int height, const std::vector<BYTE>& pixels, std::string* png)
{
    CComApartment com;
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    Microsoft::WRL::ComPtr<IStream> memory;
    Microsoft::WRL::ComPtr<IWICBitmapEncoder> encoder;
    Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.GetAddressOf()));
    if (SUCCEEDED(hr))
        hr = ::CreateStreamOnHGlobal(nullptr, TRUE, memory.GetAddressOf());
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf());
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(frame.GetAddressOf(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(width, height);
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size()),
                                const_cast<BYTE*>(pixels.data()));
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    HGLOBAL global = nullptr;
    STATSTG stat = {};
    if (SUCCEEDED(hr))
        hr = ::GetHGlobalFromStream(memory.Get(), &global);
    if (SUCCEEDED(hr))
        hr = memory->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return false;
    const void* bytes = ::GlobalLock(global);
    png->assign(static_cast<const char*>(bytes), static_cast<size_t>(stat.cbSize.QuadPart));
    ::GlobalUnlock(global);
    return true;
}

}  // namespace

bool SaveWindowPng(HWND window, const std::string& path, std::string* error)
{
    int width = 0, height = 0;
    std::vector<BYTE> pixels;
    if (!Capture(window, &width, &height, &pixels)) {
        *error = "the window could not be captured";
        return false;
    }
    return WritePng(width, height, pixels, path, error);
}

bool WritePng(int width, int height, const std::vector<BYTE>& pixels, const std::string& path, std::string* error)
{
    std::string png;
    if (!EncodePng(width, height, pixels, &png)) {
        *error = "'" + path + "': the picture cannot be encoded as PNG";
        return false;
    }
    return WriteWholeFile(path, png, error);
}
