// Functions in this file: the two doors every file of the host-side tools
// passes. ReadRegularFile reads a regular disk file whole within a bound;
// WriteWholeFile replaces a file with a whole new one or leaves it as it was;
// AppendToFile adds whole rows. None of them opens a device, a pipe or a
// folder: reading a port could wait for ever, and writing one would send the
// bytes to whatever hangs on the line. Paths are UTF-8, widened at the call,
// so any name Windows can hold works.
#pragma once

#include <cstddef>
#include <string>

// True when the last part of path is a name Windows keeps for a device in
// every folder (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$,
// CLOCK$), with or without an extension or blanks behind it, or when path
// lies in the device namespace (\\.\COM1, \\.\pipe\x).
bool IsDeviceName(const std::string& path);

// True when something, a file or a folder, is there at path; a device name never is.
bool PathExists(const std::string& path);

// Reads path whole into bytes when it is a regular file on disk of at most
// limit bytes; otherwise false, with error saying why. A device name is
// refused by its name, before anything is opened; whatever else opens is
// read only when Windows calls it a disk file.
bool ReadRegularFile(const std::string& path, size_t limit, std::string* bytes, std::string* error);

// False, with error, when path could not take a written file: a device name,
// or an existing folder or anything else that is not a regular disk file.
// Opens nothing but to ask what an existing path is.
bool CanWriteFile(const std::string& path, std::string* error);

// Writes bytes into a new file beside path and moves it over path only when
// the whole of it is on the disk, so path holds either its old bytes or all
// the new ones, whatever happens in between. False, with error, when nothing
// was replaced.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* error);

// Appends bytes to the end of path in one write, made through to the disk;
// a new or empty file gets head first. False, with error, when nothing was
// appended.
bool AppendToFile(const std::string& path, const std::string& head, const std::string& bytes, std::string* error);
