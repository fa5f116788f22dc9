// ProbeModule: tavoprobe in a job object of its own, its answers read from a
// pipe within a bound and a time limit, whatever the module does in it.
#include "ModuleProbe.h"

#include <algorithm>
#include <cstring>

#include "Handles.h"
#include "ModuleRules.h"
#include "Text.h"
#include "TextConvert.h"

namespace {

// Where the probe's answers stop being read: far more than its lines.
const size_t kMaxProbeOutput = 64 * 1024;

const char* ProbeName(bool pe32)
{
    return pe32 ? "tavoprobe32.exe" : "tavoprobe64.exe";
}

// The probe of the bitness beside this program; empty when there is none.
std::wstring ProbePath(bool pe32)
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    if (!length || length >= std::size(self))
        return L"";
    std::wstring path(self, length);
    path.erase(path.find_last_of(L'\\') + 1);
    path += Widen(ProbeName(pe32));
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"" : path;
}

// An argument as the C runtime splits a command line: quoted, with the
// backslashes before the closing quote doubled.
std::wstring Quoted(const std::string& argument)
{
    std::wstring wide = Widen(argument);
    const size_t end = wide.find_last_not_of(L'\\') + 1;
    wide.append(wide.size() - end, L'\\');
    return L"\"" + wide + L"\"";
}

// The probe's lines as check lines; a step begun and never answered is a
// finding of its rule, with how the probe ended.
void ReadAnswers(const std::string& output, const std::string& ending, std::vector<ModuleCheckLine>* lines)
{
    const char* open = nullptr;
    bool ended = false;
    for (size_t at = 0; at < output.size();) {
        size_t end = output.find('\n', at);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(at, end - at);
        at = end + 1;
        const size_t blank = line.find(' ');
        const std::string head = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (head == "end") {
            ended = true;
        } else if (head == "note") {
            lines->push_back({true, rest, false, true});
        } else if (const CheckRule* found = FindRule(kModuleRules, std::size(kModuleRules), head.c_str())) {
            const char* rule = found->pszId;
            const size_t word = rest.find(' ');
            const std::string verb = rest.substr(0, word),
                              text = word == std::string::npos ? "" : rest.substr(word + 1);
            if (verb == "begin") {
                open = rule;
            } else if (verb == "ok" || verb == "fail") {
                lines->push_back({verb == "ok", text, false, false, rule});
                open = nullptr;
            }
        }
    }
    if (open)
        lines->push_back({false, "the probe ended during this step: " + ending, false, false, open});
    else if (!ended)
        lines->push_back({false, "the probe ended before its last step: " + ending, false, false, "TM170"});
}

// Adds what the pipe holds now to answers, up to the bound; never waits.
void Drain(HANDLE pipe, std::string* answers)
{
    DWORD available = 0;
    while (answers->size() < kMaxProbeOutput && ::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) &&
           available) {
        char chunk[4096];
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(sizeof(chunk), available));
        if (!::ReadFile(pipe, chunk, wanted, &read, nullptr) || !read)
            return;
        answers->append(chunk, read);
    }
}

}  // namespace

bool ProbeModule(const std::string& path, const std::string& libraries, bool pe32, DWORD cookieRva,
                 std::vector<ModuleCheckLine>* lines)
{
    const std::wstring probe = ProbePath(pe32);
    const char* name = ProbeName(pe32);
    if (probe.empty()) {
        lines->push_back({true, std::string("not loaded: ") + name + " is not beside this program", false, true});
        return false;
    }
    std::wstring command = Quoted(Narrow(probe)) + L" " + Quoted(path);
    if (!libraries.empty())
        command += L" --libs " + Quoted(libraries);
    if (cookieRva)
        command += L" --cookie " + Widen(HexNumber(cookieRva));

    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!::CreatePipe(&reading, &writing, &inherited, 0)) {
        lines->push_back({true, std::string("not loaded: no pipe for ") + name + ": " + SystemMessage(::GetLastError()),
                          false, true});
        return false;
    }
    CHandle output(reading);
    ::SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    CHandle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    startup.hStdError = writing;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(probe.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        ::CloseHandle(writing);
        lines->push_back({true,
                          std::string("not loaded: ") + name + " cannot be started: " + SystemMessage(::GetLastError()),
                          false, true});
        return false;
    }
    CHandle child(process.hProcess), thread(process.hThread);
    // A tool started inside a job of its own may not nest another (before
    // Windows 8): the probe alone is then killed at its time.
    const bool jobbed = job && ::AssignProcessToJobObject(job.Get(), process.hProcess);
    ::ResumeThread(process.hThread);
    ::CloseHandle(writing);  // the probe holds the only writing end now

    // Read what is there while the probe runs; a process that outlives its
    // time is killed with everything it started. What it wrote before it
    // exited is in the pipe when the exit is seen.
    std::string answers, ending;
    const ULONGLONG deadline = ::GetTickCount64() + kProbeTimeLimit;
    for (;;) {
        const bool exited = ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        Drain(output.Get(), &answers);
        if (exited)
            break;
        if (::GetTickCount64() > deadline) {
            if (!jobbed || !::TerminateJobObject(job.Get(), 99))
                ::TerminateProcess(process.hProcess, 99);
            ending = "it did not finish within " + std::to_string(kProbeTimeLimit / 1000) + " s and was killed";
            break;
        }
        ::WaitForSingleObject(process.hProcess, 20);
    }
    if (ending.empty()) {
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        ending = "it exited with status " + HexNumber(status);
    }
    ReadAnswers(answers, ending, lines);
    return true;
}
