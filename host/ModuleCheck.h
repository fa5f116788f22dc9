// Functions in this file: CheckModuleFile, the check of a built test module as
// the production host and the field's closed libraries will see it.
#pragma once

#include <string>
#include <vector>

struct ModuleCheckLine
{
    bool bOk;
    std::string strText;
};

// Reads the module at path as a file and checks, one line each: a PE32 DLL
// for 32-bit x86; the two plain exports; every member of CTestTAVO02 the host
// may look up, under Microsoft's decorated names, and nothing else but what
// the compiler adds for an exported class; every import bound to an export of
// the library it names, found beside the module or in libraries (when not
// empty); the exported virtual table slot by slot in the published order;
// the RTTI before it naming the class and its bases; the release conventions
// (ASLR, NX, the SEH marking, no section both writable and executable, no
// symbol table or DWARF, the PDB beside it); and the resources a host and the
// dialogs need. False, with error, when the file cannot be read as a PE file.
bool CheckModuleFile(const std::string& path, const std::string& libraries, std::vector<ModuleCheckLine>* lines,
                     std::string* error);
