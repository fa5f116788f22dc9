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
// may look up, under Microsoft's decorated names; no other export but what
// the compiler adds for an exported class; imports from libraries outside the
// system only under Microsoft's decorated names (what a library built with
// Microsoft's compiler exports); and the resources a host and the dialogs
// need. False, with error, when the file cannot be read as a PE file at all.
bool CheckModuleFile(const std::string& path, std::vector<ModuleCheckLine>* lines, std::string* error);
