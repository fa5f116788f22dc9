// Functions in this file: IsDeviceName and ReadRegularFile, the one way the
// bench's language reader and tavohost's checks take a file they are handed:
// a regular file on disk, read whole within a bound; never a device, a pipe
// or a folder, whose reading could wait for ever.
#pragma once

#include <cstddef>
#include <string>

// True when the last part of path is a name Windows keeps for a device in
// every folder (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$,
// CLOCK$), with or without an extension or blanks behind it.
bool IsDeviceName(const std::string& path);

// Reads path whole into bytes when it is a regular file on disk of at most
// limit bytes; otherwise false, with error saying why. A device name is
// refused by its name, before anything is opened; whatever else opens is
// read only when Windows calls it a disk file.
bool ReadRegularFile(const std::string& path, size_t limit, std::string* bytes, std::string* error);
