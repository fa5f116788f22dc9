// libFuzzer: the readers of a module, its PDB and its version block over any
// bytes, natively with the sanitizers: whatever the bytes, every access
// stays within them and every answer is one the check can use.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PdbFile.h"
#include "PeFile.h"
#include "VersionBlock.h"

namespace {

// A property of a reader's answer that must hold whatever the bytes.
void Hold(bool property, const char* what)
{
    if (!property) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

void ReadModule(const std::string& bytes)
{
    CPeFile pe;
    std::string error;
    if (!pe.Parse(bytes, "fuzz.test", &error)) {
        Hold(!error.empty(), "a refused module without a reason");
        return;
    }
    pe.CheckLayout();
    for (const auto& exported : pe.Exports()) {
        pe.IsForwarder(exported.second);
        pe.IsCode(exported.second);
        ULONGLONG value = 0;
        pe.PointerAt(exported.second, &value);
    }
    for (const PeLibrary& library : pe.Imports())
        Hold(library.imports.size() <= kMaxImports, "more imports than the bound");
    pe.Relocated();
    std::string pdb;
    GUID guid;
    DWORD age = 0;
    pe.CodeView(&pdb, &guid, &age);
    for (const IMAGE_SECTION_HEADER& section : pe.Sections())
        pe.SectionName(section);
    const LPCSTR types[] = {RT_DIALOG, RT_BITMAP, RT_GROUP_ICON, RT_ICON};
    for (LPCSTR type : types) {
        for (WORD id : {1, 2020, 2021, 2022, 2023})
            pe.Resource(type, MAKEINTRESOURCEA(id), &age);
    }
    pe.Resource(RT_GROUP_ICON, "MAINICON", &age);
    pe.Resource(RT_BITMAP, "IDB_TOOLBAR", &age);
    DWORD size = 0;
    if (const BYTE* version = pe.Resource(RT_VERSION, MAKEINTRESOURCEA(1), &size)) {
        std::wstring table;
        VersionText(version, size, L"OriginalFilename", &table);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadModule(bytes);
    CPdbFile pdb;
    std::string error;
    pdb.Parse(bytes, "fuzz.pdb", &error);
    std::wstring table;
    VersionText(data, static_cast<DWORD>(size), L"OriginalFilename", &table);
    return 0;
}
