// tavoprobe MODULE [--libs DIR] [--cookie RVA]: the module loaded and used as
// the production host loads and uses it, in a process of its own, so that
// this PC's loader, C runtime and dialog manager give their verdict. It runs
// no more of the module than the host runs before its first command: the
// loader's start-up call, the two exports, the identity operations, the
// runtime type information; its dialogs are made from their templates with a
// dialog procedure of the probe's own, and destroyed unseen.
//
// Each step writes "RULE begin", then "RULE ok TEXT" or "RULE fail TEXT"; a
// step that crashes writes its fail line from the exception filter, and the
// steps after it do not run. The last line is "end". tavohost check-module runs it in a job with a time limit.
// Exit: 0 every step ok, 1 a step failed, 2 the command line is wrong, 3 a
// step crashed. tavoprobe --version names its version.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "PeFile.h"
#include "TestInterface.h"
#include "Text.h"
#include "TextConvert.h"

namespace {

const char* g_pszStep = "TM170";  // the step running, for the exception filter

void Say(const std::string& line)
{
    const std::string bytes = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Begin(const char* step)
{
    g_pszStep = step;
    Say(std::string(step) + " begin");
}

// A step's answer; true when it is ok.
bool Answer(bool ok, const std::string& text)
{
    Say(std::string(g_pszStep) + (ok ? " ok " : " fail ") + text);
    return ok;
}

// A crash inside the loader or the module may hold a lock the process needs
// to end normally: the step's line is written and the process ends at once.
LONG WINAPI Crashed(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    Answer(false, "the step crashed: exception " + HexNumber(record.ExceptionCode) + " at " +
                      HexNumber(reinterpret_cast<uintptr_t>(record.ExceptionAddress)));
    Say("end");  // the steps after it are not run: the crash is the answer
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

const char* const kSlotNames[] = {"scalar deleting destructor",
#define TAVO_SLOT_NAME(member, ...) #member,
                                  TAVO_PUBLISHED_SLOTS(TAVO_SLOT_NAME)
#undef TAVO_SLOT_NAME
};

const char kTable[] = "??_7CTestTAVO02@@6B@";

// The module as loaded beside its file: where the file expects it, where it
// is, and what the file holds.
struct Loaded
{
    CPeFile file;
    HMODULE module = nullptr;
    uintptr_t base = 0;
    ITest* pObject = nullptr;

    uintptr_t Delta() const { return base - static_cast<uintptr_t>(file.ImageBase()); }
    // The address a pointer the file holds at rva must hold once relocated.
    uintptr_t Relocated(DWORD rva) const
    {
        ULONGLONG value = 0;
        file.PointerAt(rva, &value);
        return static_cast<uintptr_t>(value) + Delta();
    }
    bool InImage(uintptr_t address) const { return address >= base && address - base < file.SizeOfImage(); }
    DWORD Rva(uintptr_t address) const { return static_cast<DWORD>(address - base); }
};

// The host's libraries from folder, loaded before the module so that the
// loader binds the module to them, as it does beside the host.
void LoadLibraries(const std::string& folder, const CPeFile& file)
{
    for (const PeLibrary& library : file.Imports()) {
        const std::wstring path = Widen(folder + "\\" + library.strName);
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

// The file's preferred base is taken first, so the loader relocates the
// module as ASLR will on the line.
bool Load(const std::string& path, Loaded* loaded)
{
    Begin("TM170");
    const uintptr_t preferred = static_cast<uintptr_t>(loaded->file.ImageBase());
    void* taken =
        ::VirtualAlloc(reinterpret_cast<void*>(preferred), loaded->file.SizeOfImage(), MEM_RESERVE, PAGE_NOACCESS);
    loaded->module = ::LoadLibraryExW(Widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD error = ::GetLastError();
    if (!loaded->module)
        return Answer(false,
                      "the loader refuses it: " + SystemMessage(error) + " (error " + std::to_string(error) + ")");
    loaded->base = reinterpret_cast<uintptr_t>(loaded->module);
    if (loaded->base != preferred)
        return Answer(true, "loaded and relocated from " + HexNumber(preferred) + " to " + HexNumber(loaded->base));
    if (!taken)
        return Answer(true, "loaded at its preferred base " + HexNumber(preferred) +
                                ", which the probe could not take first: its relocation is untried");
    return Answer(false, "loaded at its preferred base " + HexNumber(preferred) + ", which the probe held");
}

// The two exports, called as the host calls them: the identifier, and the
// one object twice.
bool EntryPoints(Loaded* loaded)
{
    Begin("TM175");
    typedef unsigned short (*GetIdFn)();
    typedef ITest* (*GetInstanceFn)();
    const auto getId =
        reinterpret_cast<GetIdFn>(reinterpret_cast<void*>(::GetProcAddress(loaded->module, "_GetTestInstanceID")));
    const auto getInstance =
        reinterpret_cast<GetInstanceFn>(reinterpret_cast<void*>(::GetProcAddress(loaded->module, "_GetTestInstance")));
    if (!getId || !getInstance)
        return Answer(false,
                      std::string("GetProcAddress finds no ") + (getId ? "_GetTestInstance" : "_GetTestInstanceID"));
    const unsigned short id = getId();
    if (id != 19796)
        return Answer(false, "_GetTestInstanceID answers " + std::to_string(id) + ", where the host needs 19796");
    ITest* first = getInstance();
    ITest* second = getInstance();
    const auto object = reinterpret_cast<uintptr_t>(first);
    if (!first || first != second || !loaded->InImage(object))
        return Answer(false, "_GetTestInstance answers " + HexNumber(object) + ", then " +
                                 HexNumber(reinterpret_cast<uintptr_t>(second)) +
                                 ", where the host needs the one object, in the module's image");
    loaded->pObject = first;
    return Answer(true, "_GetTestInstanceID answers 19796, _GetTestInstance the one object at " + HexNumber(object));
}

// The address a jump stub (jmp [address table slot]) at rva goes through,
// as an RVA of the file; 0 when no stub is there.
DWORD StubSlot(const CPeFile& file, DWORD rva)
{
    const auto* code = file.AtRva<BYTE>(rva, 6);
    if (!code || code[0] != 0xFF || code[1] != 0x25)
        return 0;
    DWORD operand;
    memcpy(&operand, code + 2, 4);
    if (file.IsPe32())
        return static_cast<DWORD>(operand - file.ImageBase());
    return rva + 6 + operand;  // x64: relative to the next instruction
}

// What a slot must hold once loaded: the export of the module of that name as
// GetProcAddress finds it, or a stub whose address table slot holds what the
// library exports; empty when it does.
std::string SlotFault(const Loaded& loaded, const std::map<DWORD, std::string>& exported,
                      const std::map<DWORD, std::pair<std::string, std::string>>& imported, DWORD slotRva,
                      uintptr_t held)
{
    const uintptr_t needed = loaded.Relocated(slotRva);
    if (held != needed)
        return "holds " + HexNumber(held) + ", where relocated it needs " + HexNumber(needed);
    const DWORD target = loaded.Rva(held);
    const auto name = exported.find(target);
    if (name != exported.end()) {
        const auto found = reinterpret_cast<uintptr_t>(::GetProcAddress(loaded.module, name->second.c_str()));
        return found == held ? ""
                             : "holds " + HexNumber(held) + ", where GetProcAddress finds " + name->second + " at " +
                                   HexNumber(found);
    }
    const DWORD slot = StubSlot(loaded.file, target);
    const auto import = imported.find(slot);
    if (!slot || import == imported.end())
        return "";  // code of the module's own: the static reading names it
    if (loaded.file.IsPe32()) {
        DWORD operand;
        memcpy(&operand, reinterpret_cast<const BYTE*>(held) + 2, 4);
        if (operand != loaded.base + slot)
            return "jumps through " + HexNumber(operand) + ", where relocated it needs " +
                   HexNumber(loaded.base + slot);
    }
    const HMODULE library = ::GetModuleHandleA(import->second.first.c_str());
    const auto bound = *reinterpret_cast<const uintptr_t*>(loaded.base + slot);
    const auto exportedThere =
        library ? reinterpret_cast<uintptr_t>(::GetProcAddress(library, import->second.second.c_str())) : 0;
    if (bound != exportedThere)
        return "leads to " + HexNumber(bound) + ", where " + import->second.first + " exports " +
               import->second.second + " at " + HexNumber(exportedThere);
    return "";
}

// The object's table pointer against the exported table, and each slot and
// the locator before it as the file holds them, moved by the relocation.
bool Table(const Loaded& loaded)
{
    Begin("TM176");
    const auto table = reinterpret_cast<uintptr_t>(::GetProcAddress(loaded.module, kTable));
    const auto held = *reinterpret_cast<const uintptr_t*>(loaded.pObject);
    if (!table || held != table)
        return Answer(false, "the object's table pointer is " + HexNumber(held) + ", where GetProcAddress finds " +
                                 std::string(kTable) + " at " + HexNumber(table));
    std::map<DWORD, std::string> exported;
    for (const auto& name : loaded.file.Exports())
        exported.emplace(name.second, name.first);
    std::map<DWORD, std::pair<std::string, std::string>> imported;
    for (const PeLibrary& library : loaded.file.Imports()) {
        for (const PeImport& import : library.imports)
            imported[import.dwSlotRva] = {library.strName, import.strName};
    }
    const auto* slots = reinterpret_cast<const uintptr_t*>(table);
    const DWORD first = loaded.Rva(table);
    const DWORD size = sizeof(uintptr_t);
    if (slots[-1] != loaded.Relocated(first - size))
        return Answer(false, "the word before the table holds " + HexNumber(slots[-1]) +
                                 ", where the object locator relocated lies at " +
                                 HexNumber(loaded.Relocated(first - size)));
    for (size_t i = 0; i < std::size(kSlotNames); ++i) {
        const std::string fault = SlotFault(loaded, exported, imported, static_cast<DWORD>(first + i * size), slots[i]);
        if (!fault.empty())
            return Answer(false, "slot " + std::to_string(i) + " (" + kSlotNames[i] + ") " + fault);
    }
    return Answer(true, "the object's table is the exported one; its " + std::to_string(std::size(kSlotNames)) +
                            " slots and its locator lead where the file's table does, relocated and bound");
}

// The identity operations the host calls first.
bool Identity(ITest* test)
{
    Begin("TM177");
    const auto text = [](const char* value) { return value ? "\"" + std::string(value) + "\"" : std::string("null"); };
    const char* name = test->GetModuleName();
    if (!name || strcmp(name, "TAVO-01") != 0)
        return Answer(false, "GetModuleName answers " + text(name) + ", where the host needs \"TAVO-01\"");
    const unsigned int count = test->GetSupportedTestCount();
    if (count != 3)
        return Answer(false, "GetSupportedTestCount answers " + std::to_string(count) + ", where it needs 3");
    static const char* const kTests[] = {"TAVO-01", "TAVO-02", "TAV-02"};
    for (unsigned int i = 0; i < 3; ++i) {
        const char* supported = test->GetSupportedTest(i);
        if (!supported || strcmp(supported, kTests[i]) != 0)
            return Answer(false, "GetSupportedTest(" + std::to_string(i) + ") answers " + text(supported) +
                                     ", where it needs " + text(kTests[i]));
        if (!test->IsSupportedTest(supported))
            return Answer(false, "IsSupportedTest(" + text(supported) + ") answers 0");
    }
    if (test->GetSupportedTest(3) || test->GetSupportedTest(0xFFFFFFFFu))
        return Answer(false, "GetSupportedTest answers a text past its three");
    return Answer(true, "GetModuleName \"TAVO-01\"; the tests \"TAVO-01\", \"TAVO-02\", \"TAV-02\", each supported");
}

// A type descriptor as Microsoft's compiler lays it out; the C runtime
// compares descriptors by their decorated names.
struct TypeDescriptor
{
    const void* pVtable;
    void* pSpare;
    char szName[32];
};

TypeDescriptor g_test = {nullptr, nullptr, ".?AVCTest@@"};
TypeDescriptor g_tester = {nullptr, nullptr, ".?AVCTAVOTester@@"};
TypeDescriptor g_module = {nullptr, nullptr, ".?AVCTestTAVO02@@"};

// typeid and dynamic_cast as the host's C runtime does them, through the
// object's own type information.
bool TypeInformation(const Loaded& loaded)
{
    Begin("TM178");
    HMODULE runtime = ::LoadLibraryW(L"msvcrt.dll");
    typedef const TypeDescriptor* (*TypeidFn)(void*);
    typedef void* (*DynamicCastFn)(void*, LONG, void*, void*, BOOL);
    typedef void* (*CastToVoidFn)(void*);
    const auto typeId = reinterpret_cast<TypeidFn>(reinterpret_cast<void*>(::GetProcAddress(runtime, "__RTtypeid")));
    const auto cast =
        reinterpret_cast<DynamicCastFn>(reinterpret_cast<void*>(::GetProcAddress(runtime, "__RTDynamicCast")));
    const auto toVoid =
        reinterpret_cast<CastToVoidFn>(reinterpret_cast<void*>(::GetProcAddress(runtime, "__RTCastToVoid")));
    if (!typeId || !cast || !toVoid)
        return Answer(true, "not asked: this PC's msvcrt.dll has no __RTtypeid, __RTDynamicCast and __RTCastToVoid");
    void* object = loaded.pObject;
    const TypeDescriptor* type = typeId(object);
    if (!type || strcmp(type->szName, g_module.szName) != 0)
        return Answer(false, "typeid names " + std::string(type ? type->szName : "nothing") + ", where it needs " +
                                 g_module.szName);
    const struct
    {
        const char* pszCast;
        void* pResult;
    } casts[] = {
        {"dynamic_cast<CTAVOTester*> of the CTest", cast(object, 0, &g_test, &g_tester, FALSE)},
        {"dynamic_cast<CTestTAVO02*> of the CTest", cast(object, 0, &g_test, &g_module, FALSE)},
        {"dynamic_cast<CTest*> of the CTAVOTester", cast(object, 0, &g_tester, &g_test, FALSE)},
        {"dynamic_cast<void*>", toVoid(object)},
    };
    for (const auto& c : casts) {
        if (c.pResult != object)
            return Answer(false,
                          std::string(c.pszCast) + " answers " + HexNumber(reinterpret_cast<uintptr_t>(c.pResult)) +
                              ", where it needs the object at " + HexNumber(reinterpret_cast<uintptr_t>(object)));
    }
    return Answer(true, "typeid names CTestTAVO02; dynamic_cast to CTAVOTester, CTestTAVO02, CTest and void* "
                        "answer the object itself");
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A dialog's template made into a hidden dialog with the probe's own
// procedure; empty when it is made with every control.
std::string DialogFault(HMODULE module, WORD id)
{
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    const void* bytes = size ? ::LockResource(::LoadResource(module, found)) : nullptr;
    if (!bytes)
        return "FindResource finds no template";
    DialogTemplate layout;
    if (!ReadDialogTemplate(static_cast<const unsigned char*>(bytes), size, &layout))
        return "its template ends before its controls";
    std::string copy(static_cast<const char*>(bytes), size);
    const bool extended = size >= 4 && copy[2] == '\xFF' && copy[3] == '\xFF';
    DWORD style;
    memcpy(&style, &copy[extended ? 12 : 0], 4);
    style &= ~WS_VISIBLE;
    memcpy(&copy[extended ? 12 : 0], &style, 4);
    HWND dialog =
        ::CreateDialogIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr, QuietDialog, 0);
    if (!dialog)
        return "the dialog manager cannot make it: " + SystemMessage(::GetLastError());
    size_t children = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ++children;
    ::DestroyWindow(dialog);
    if (children != layout.controls.size())
        return "the dialog manager makes " + std::to_string(children) + " of its " +
               std::to_string(layout.controls.size()) + " controls";
    return "";
}

bool Dialogs(HMODULE module)
{
    Begin("TM171");
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    for (WORD id : {2020, 2021, 2022}) {
        const std::string fault = DialogFault(module, id);
        if (!fault.empty())
            return Answer(false, "dialog " + std::to_string(id) + ": " + fault);
    }
    return Answer(true, "the dialogs 2020, 2021 and 2022 made from their templates with every control, hidden");
}

bool Pictures(HMODULE module)
{
    Begin("TM172");
    const struct
    {
        const char* pszWhat;
        const wchar_t* pszName;
        UINT type;
    } pictures[] = {
        {"bitmap 2023", MAKEINTRESOURCEW(2023), IMAGE_BITMAP},
        {"bitmap IDB_TOOLBAR", L"IDB_TOOLBAR", IMAGE_BITMAP},
        {"icon MAINICON", L"MAINICON", IMAGE_ICON},
    };
    for (const auto& picture : pictures) {
        HANDLE loaded =
            ::LoadImageW(module, picture.pszName, picture.type, 0, 0, picture.type == IMAGE_ICON ? LR_DEFAULTSIZE : 0);
        if (!loaded)
            return Answer(false, std::string("LoadImage cannot load its ") + picture.pszWhat + ": " +
                                     SystemMessage(::GetLastError()));
        if (picture.type == IMAGE_BITMAP)
            ::DeleteObject(loaded);
        else
            ::DestroyIcon(static_cast<HICON>(loaded));
    }
    return Answer(true, "LoadImage loads the bitmaps 2023 and IDB_TOOLBAR and the icon MAINICON");
}

bool Version(const std::string& path)
{
    Begin("TM173");
    const std::wstring wide = Widen(path);
    DWORD handle = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(wide.c_str(), &handle));
    if (block.empty() || !::GetFileVersionInfoW(wide.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return Answer(false, "GetFileVersionInfo finds no version block");
    const WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        return Answer(false, "VerQueryValue finds no Translation");
    wchar_t key[64];
    swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\OriginalFilename", translation[0], translation[1]);
    const wchar_t* name = nullptr;
    if (!::VerQueryValueW(block.data(), key, (void**)&name, &length) || !name)
        return Answer(false, "VerQueryValue finds no " + Narrow(key, wcslen(key)));
    const std::string file = Narrow(name, wcsnlen(name, length));
    return Answer(file == "TestTAVO02.test", "VerQueryValue finds " + Narrow(key, wcslen(key)) + " \"" + file + "\"" +
                                                 (file == "TestTAVO02.test" ? "" : ", where it needs TestTAVO02.test"));
}

// The stack cookie the module's start-up seeds: loaded, it no longer holds
// the value its file does.
bool Cookie(const Loaded& loaded, DWORD rva)
{
    Begin("TM174");
    ULONGLONG unset = 0;
    if (!loaded.file.PointerAt(rva, &unset) || rva + sizeof(uintptr_t) > loaded.file.SizeOfImage())
        return Answer(false, "the stack cookie's address " + HexNumber(rva) + " lies outside the image's data");
    const auto seeded = *reinterpret_cast<const uintptr_t*>(loaded.base + rva);
    return Answer(seeded != unset && seeded != 0,
                  seeded != unset && seeded != 0 ? "the stack cookie at " + HexNumber(rva) + " is seeded"
                                                 : "the stack cookie at " + HexNumber(rva) + " still holds " +
                                                       HexNumber(seeded) + ": the module's start-up never seeded it");
}

int Usage()
{
    Say("usage: tavoprobe MODULE [--libs DIR] [--cookie RVA]   tavoprobe --version");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(Crashed);
    if (argc == 2 && wcscmp(argv[1], L"--version") == 0) {
        Say("tavoprobe " TAVO_VERSION);
        return 0;
    }
    std::string path, libraries;
    DWORD cookie = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string word = Narrow(argv[i], wcslen(argv[i]));
        if ((word == "--libs" || word == "--cookie") && i + 1 < argc) {
            ++i;
            const std::string value = Narrow(argv[i], wcslen(argv[i]));
            if (word == "--libs")
                libraries = value;
            else
                cookie = static_cast<DWORD>(strtoul(value.c_str(), nullptr, 0));
        } else if (path.empty() && word.compare(0, 2, "--") != 0) {
            path = word;
        } else {
            return Usage();
        }
    }
    if (path.empty())
        return Usage();
    Loaded loaded;
    std::string error;
    if (!loaded.file.Read(path, &error)) {
        Say("TM170 begin");
        Say("TM170 fail not loaded: " + error);
        Say("end");
        return 1;
    }
    if (!libraries.empty())
        LoadLibraries(libraries, loaded.file);
    // What needs the module alone comes first: a crash in the object's
    // steps ends the probe.
    bool ok = Load(path, &loaded);
    if (loaded.module) {
        ok = Dialogs(loaded.module) && ok;
        ok = Pictures(loaded.module) && ok;
        ok = Version(path) && ok;
        if (cookie)
            ok = Cookie(loaded, cookie) && ok;
        else
            Say("note the stack cookie is not looked at: neither a PDB beside the module nor its load configuration "
                "says where it lies");
        // The object is called through its table only when the table leads
        // where the file's does.
        const bool table = EntryPoints(&loaded) && Table(loaded);
        ok = table && Identity(loaded.pObject) && ok;
        ok = (!loaded.pObject || TypeInformation(loaded)) && ok;
        g_pszStep = "TM170";
        ::FreeLibrary(loaded.module);
    }
    Say("end");
    return ok ? 0 : 1;
}
