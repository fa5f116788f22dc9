// Functions in this file: VersionText, a text of a module's version
// resource as VerQueryValue finds it, read from the resource's bytes alone.
#pragma once

#include <string>

#include "PeFormat.h"

// The text of key in the string table the version block's Translation
// names; *table gets that table's name (empty when it names none). Empty when
// there is no such text, or the block cannot be read within size.
std::string VersionText(const BYTE* resource, DWORD size, const std::wstring& key, std::wstring* table);
