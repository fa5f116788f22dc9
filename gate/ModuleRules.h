// Names in this file: kModuleRules, the rules check-module holds a built
// module to, in the order they run. The ids are stable: scripts and records
// on the line name them.
#pragma once

#include "CheckRule.h"

const CheckRule kModuleRules[] = {
    {"TM101", "package", "beside the package's SHA256SUMS, the bytes it lists for the module"},
    {"TM102", "machine", "a PE32 DLL for 32-bit x86, as the production host is a 32-bit program"},
    {"TM103", "structure", "headers, sections, tables, relocations and resources the loader reads as they stand"},
    {"TM110", "plain exports", "_GetTestInstance and _GetTestInstanceID, each a function of the module"},
    {"TM111", "class exports", "CTestTAVO02's members and table under Microsoft's decorated names"},
    {"TM112", "no other exports", "nothing exported but the class, the two functions and what the compiler adds"},
    {"TM120", "imports bound", "every import bound to an export of the library the loader would load"},
    {"TM130", "virtual table", "the exported table slot by slot in the published order"},
    {"TM131", "RTTI", "an object locator before the table naming CTestTAVO02, CTAVOTester and CTest"},
    {"TM132", "entry point", "the entry point at the beginning of a function the PDB names"},
    {"TM140", "ASLR", "a dynamic base with relocations of every address the host reads, not RELOCS_STRIPPED"},
    {"TM141", "NX", "the NX_COMPAT mark"},
    {"TM142", "SEH", "a SafeSEH table or the NO_SEH mark"},
    {"TM143", "no writable code", "no section both writable and executable"},
    {"TM144", "stripped", "no COFF symbols and no DWARF sections, the symbols in the PDB"},
    {"TM145", "PDB", "a CodeView entry naming a PDB without a path, and that PDB, when beside it, of this build"},
    {"TM150", "native code", "no CLR header"},
    {"TM151", "integrity", "FORCE_INTEGRITY only with a signature"},
    {"TM152", "thread storage", "a thread-storage zero fill within the image"},
    {"TM153", "stack cookie", "the load configuration's stack cookie in writable data"},
    {"TM160", "resources", "the icon MAINICON, the bitmaps IDB_TOOLBAR and 2023, the dialog templates 2020-2022"},
    {"TM161", "version block", "a version block naming the file TestTAVO02.test in the table its Translation names"},
    {"TM162", "usable resources", "dialog templates, bitmaps and the icon readable as the system reads them"},
    // This PC's own verdict: the module loaded and used as the host does, in
    // a process of its own (tavoprobe).
    {"TM170", "loaded", "this PC's loader loading it away from its preferred base, with the host's libraries"},
    {"TM171", "dialogs made", "the dialog manager making the dialogs 2020-2022 with every control of their templates"},
    {"TM172", "pictures loaded", "LoadImage loading the bitmaps 2023 and IDB_TOOLBAR and the icon MAINICON"},
    {"TM173", "version read", "VerQueryValue finding the file name TestTAVO02.test through the Translation"},
    {"TM174", "cookie seeded", "the stack cookie seeded by the module's start-up"},
    {"TM175", "entry points", "_GetTestInstanceID answering 19796, _GetTestInstance the one object in the image"},
    {"TM176", "table loaded", "the object's table the exported one, each slot and the locator relocated and bound"},
    {"TM177", "identity", "GetModuleName answering TAVO-01 and the three supported tests, as the host asks first"},
    {"TM178", "RTTI at run time", "typeid and dynamic_cast through the C runtime answering the object itself"},
};
