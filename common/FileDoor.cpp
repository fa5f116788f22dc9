// The file doors: regular disk files read whole within a bound, written
// beside and moved over their target, appended in one write; devices never
// opened.
#include "FileDoor.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "Handles.h"
#include "TextConvert.h"

namespace {

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

// What an existing path is, when it is no regular file; empty for a regular
// file or a path where nothing is yet.
std::string NotAFile(const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Quoted(path) + " is a folder, not a file";
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return Quoted(path) + " is a device, not a file";
    return std::string();
}

bool IsDiskFile(HANDLE file)
{
    return ::GetFileType(file) == FILE_TYPE_DISK;
}

// Writes bytes whole to file, in pieces a 32-bit count can hold.
bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::string Failure(const std::string& path, const char* what, DWORD error)
{
    return Quoted(path) + " " + what + ": " + SystemMessage(error);
}

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

bool PathExists(const std::string& path)
{
    return !path.empty() && !IsDeviceName(path) && ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadRegularFile(const std::string& path, size_t limit, std::string* bytes, std::string* error)
{
    if (IsDeviceName(path)) {
        *error = Quoted(path) + " names a device, not a file";
        return false;
    }
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *error = Quoted(path) + " cannot be opened";
        return false;
    }
    if (!(*error = NotAFile(path, attributes)).empty())
        return false;
    CHandle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = Quoted(path) + " cannot be opened";
        return false;
    }
    LARGE_INTEGER size{};
    if (!IsDiskFile(file.Get()) || !::GetFileSizeEx(file.Get(), &size)) {
        *error = Quoted(path) + " is not a file on disk";
        return false;
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > limit) {
        *error = Quoted(path) + " is larger than " + std::to_string(limit >> 20) + " MB: no such file is read";
        return false;
    }
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    DWORD read = 1;
    while (done < bytes->size() && read) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1u << 24));
        if (!::ReadFile(file.Get(), &(*bytes)[done], chunk, &read, nullptr))
            break;
        done += read;
    }
    if (done != bytes->size()) {
        *error = Quoted(path) + " cannot be read whole";
        return false;
    }
    return true;
}

bool CanWriteFile(const std::string& path, std::string* error)
{
    if (path.empty()) {
        *error = "an empty name is no file to write";
        return false;
    }
    if (IsDeviceName(path)) {
        *error = Quoted(path) + " names a device, not a file: nothing is written there";
        return false;
    }
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD why = ::GetLastError();
        if (why == ERROR_FILE_NOT_FOUND)
            return true;
        *error = Failure(path, "cannot be written", why);
        return false;
    }
    if (!(*error = NotAFile(path, attributes)).empty())
        return false;
    // Only a disk file answers FILE_TYPE_DISK; opening to ask reads nothing.
    CHandle existing(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing && !IsDiskFile(existing.Get())) {
        *error = Quoted(path) + " is not a file on disk";
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* error)
{
    if (!CanWriteFile(path, error))
        return false;
    const std::wstring target = Widen(path);
    const std::wstring part = target + L".~" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    {
        CHandle file(::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
        if (!file) {
            *error = Failure(path, "cannot be written", ::GetLastError());
            return false;
        }
        if (!IsDiskFile(file.Get()) || !WriteAll(file.Get(), bytes) || !::FlushFileBuffers(file.Get())) {
            const DWORD why = ::GetLastError();
            ::DeleteFileW(part.c_str());
            *error = Failure(path, "cannot be written whole", why) + "; the file is as it was";
            return false;
        }
    }
    if (!::MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD why = ::GetLastError();
        ::DeleteFileW(part.c_str());
        *error = Failure(path, "cannot be replaced", why) + "; the file is as it was";
        return false;
    }
    return true;
}

bool AppendToFile(const std::string& path, const std::string& head, const std::string& bytes, std::string* error)
{
    if (!CanWriteFile(path, error))
        return false;
    CHandle file(::CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) {
        *error = Failure(path, "cannot be appended to", ::GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    if (!IsDiskFile(file.Get()) || !::GetFileSizeEx(file.Get(), &size)) {
        *error = Quoted(path) + " is not a file on disk";
        return false;
    }
    // One write: the rows arrive whole or not at all.
    if (!WriteAll(file.Get(), size.QuadPart == 0 ? head + bytes : bytes) || !::FlushFileBuffers(file.Get())) {
        *error = Failure(path, "cannot be appended to", ::GetLastError());
        return false;
    }
    return true;
}
