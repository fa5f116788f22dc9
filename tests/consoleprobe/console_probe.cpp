// console_probe: runs a command in a console of its own whose output code
// page is 852 (a Czech Windows console), then writes what the console shows,
// row by row without trailing blanks, as UTF-8 to its own standard output, and
// exits with the command's exit status (64 when it could not run it). It reads
// the console's characters, not the bytes the command wrote: what a person at
// that console would read.
#include <windows.h>

#include <string>

namespace {

const SHORT kColumns = 200, kRows = 600;

std::string Utf8(const std::wstring& wide)
{
    std::string text(wide.size() * 3 + 1, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                             static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(length > 0 ? length : 0);
    return text;
}

// Everything the console shows, each row ended by a line feed.
std::string ScreenText()
{
    const HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    std::string text;
    for (SHORT row = 0; row < kRows; ++row) {
        std::wstring line(kColumns, L' ');
        DWORD read = 0;
        if (!::ReadConsoleOutputCharacterW(screen, &line[0], kColumns, COORD{0, row}, &read))
            break;
        line.resize(line.find_last_not_of(L' ') + 1);
        text += Utf8(line) + "\n";
    }
    ::CloseHandle(screen);
    return text.substr(0, text.find_last_not_of('\n') + 1) + "\n";
}

}  // namespace

int wmain()
{
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const wchar_t* command = ::GetCommandLineW();
    // Past the probe's own name, quoted or not.
    const bool quoted = *command == L'"';
    for (++command; *command && (quoted ? *command != L'"' : *command != L' '); ++command) {}
    for (command += *command == L'"'; *command == L' '; ++command) {}
    ::FreeConsole();
    if (!::AllocConsole() || !::SetConsoleOutputCP(852) ||
        !::SetConsoleScreenBufferSize(::GetStdHandle(STD_OUTPUT_HANDLE), COORD{kColumns, kRows}))
        return 64;
    std::wstring line = command;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 64;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 64;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    const std::string text = ScreenText();
    DWORD written = 0;
    ::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return static_cast<int>(status);
}
