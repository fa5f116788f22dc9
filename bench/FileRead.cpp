// IsDeviceName, ReadRegularFile: files read whole, devices never opened.
#include "FileRead.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

struct CloseHandleDeleter
{
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
typedef std::unique_ptr<void, CloseHandleDeleter> CFileHandle;

}  // namespace

bool IsDeviceName(const std::string& path)
{
    // The device namespace (\\.\COM1, \\.\pipe\x) is never a file either.
    if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
        path[2] == '.' && (path[3] == '\\' || path[3] == '/'))
        return true;
    const size_t slash = path.find_last_of("\\/:");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (slash != std::string::npos && path[slash] == ':' && slash + 1 == path.size())
        name = path.substr(0, slash);  // "COM1:" names the port as well
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return toupper(c); });
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    if (std::find(std::begin(kDevices), std::end(kDevices), name) != std::end(kDevices))
        return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

bool ReadRegularFile(const std::string& path, size_t limit, std::string* bytes, std::string* error)
{
    const std::string quoted = "'" + path + "'";
    if (IsDeviceName(path)) {
        *error = quoted + " names a device, not a file";
        return false;
    }
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *error = quoted + " cannot be opened";
        return false;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
        *error = quoted + (attributes & FILE_ATTRIBUTE_DIRECTORY ? " is a folder" : " is a device") + ", not a file";
        return false;
    }
    CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        *error = quoted + " cannot be opened";
        return false;
    }
    LARGE_INTEGER size{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.get(), &size)) {
        *error = quoted + " is not a file on disk";
        return false;
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > limit) {
        *error = quoted + " is larger than " + std::to_string(limit >> 20) + " MB: no such file is read";
        return false;
    }
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    DWORD read = 1;
    while (done < bytes->size() && read) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1u << 24));
        if (!::ReadFile(file.get(), &(*bytes)[done], chunk, &read, nullptr))
            break;
        done += read;
    }
    if (done != bytes->size()) {
        *error = quoted + " cannot be read whole";
        return false;
    }
    return true;
}
