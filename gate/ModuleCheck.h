// Functions in this file: CheckModuleFile, the check of a built test module as
// the loader, the production host and the field's closed libraries will see
// it.
#pragma once

#include <string>
#include <vector>

#include "CheckRule.h"

struct ModuleCheckLine
{
    bool bOk;
    std::string strText;
    // The one finding about the module's bitness: a 64-bit build of the
    // same sources is read the same way and differs from the 32-bit one there.
    bool bBitness = false;
    // A line that says what was read rather than judging it (the module's
    // SHA-256 and size, which head every report).
    bool bNote = false;
    // The rule of kModuleRules (ModuleRules.h) the line judges; null for a note.
    const char* pszRule = nullptr;
};

// Reads the module at path as a file and checks, one line each: a PE32 DLL
// for 32-bit x86 (a PE32+ file for x64 gets every other check as well); its
// headers, sections, tables, relocations and resource directory at the
// loader's strictness; the two plain exports, each a function of its own;
// every member of CTestTAVO02 the host may look up, under Microsoft's
// decorated names, and nothing else but what the compiler adds for an
// exported class; every import, the system's too, bound to an export of the
// library the loader would load (from libraries when not empty, else beside
// the module, else from this PC's system folder); the exported virtual table
// slot by slot in the published order (slot 0 against the PDB's symbols when
// the PDB is beside the module); the RTTI before it naming the class and its
// bases; the release conventions (ASLR, NX, the SEH marking, no section both
// writable and executable, no symbol table or DWARF, the PDB beside it); and
// the resources a host and the dialogs need. The first line, a note, gives
// the module's SHA-256 and size; where the package's SHA256SUMS lies beside
// the module, its line for the module must match. No device is opened and
// every file is read once, within a bound. False, with error, only when no
// byte of the file could be read: whatever is wrong with its bytes, a file
// cut short or no PE file at all included, is a finding.
//
// With load, the module is then loaded and used as the host does in a
// process of its own (ModuleProbe.h), where the static reading leaves the
// loader something to judge; each step of it is a line of its rule
// (TM170-TM178), and a probe that cannot run is a note.
bool CheckModuleFile(const std::string& path, const std::string& libraries, std::vector<ModuleCheckLine>* lines,
                     std::string* error, FileIdentity* identity = nullptr, bool load = true);
