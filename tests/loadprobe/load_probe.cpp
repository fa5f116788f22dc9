// load_probe MODULE: what a host does with a test module before it calls it,
// in a process of its own: LoadLibraryEx with the libraries beside it (or in
// the current folder), the two plain exports, the dialog templates. Exit: 0
// all there; 1 refused; 2 an export missing; 3 a template missing; 4 the load
// crashed; 64 no module named.
#include <windows.h>

#include <initializer_list>

// A crash inside the loader holds its lock: the process ends at once, with
// no debugger and without the detach notices ExitProcess would wait for.
LONG WINAPI Crashed(EXCEPTION_POINTERS*)
{
    ::TerminateProcess(::GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

int wmain(int argc, wchar_t** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(Crashed);
    if (argc != 2)
        return 64;
    HMODULE module = ::LoadLibraryExW(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return 1;
    if (!::GetProcAddress(module, "_GetTestInstance") || !::GetProcAddress(module, "_GetTestInstanceID"))
        return 2;
    for (WORD dialog : {2020, 2021, 2022}) {
        if (!::FindResourceW(module, MAKEINTRESOURCEW(dialog), MAKEINTRESOURCEW(5)))  // RT_DIALOG
            return 3;
    }
    ::FreeLibrary(module);
    return 0;
}
