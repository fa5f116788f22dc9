// CPeFile::Read and CPdbFile::Read: the readers' bytes from the disk through
// the file door, within their bounds; the rest of both readers reads bytes
// alone, so that it also builds natively for the fuzzing harnesses.
#include "FileDoor.h"
#include "PdbFile.h"
#include "PeFile.h"

bool CPeFile::Read(const std::string& path, std::string* error, bool* readable)
{
    std::string bytes;
    const bool read = ReadRegularFile(path, kMaxImageBytes, &bytes, error);
    if (readable)
        *readable = read;
    return read && Parse(std::move(bytes), path, error);
}

bool CPdbFile::Read(const std::string& path, std::string* error)
{
    std::string bytes;
    return ReadRegularFile(path, kMaxPdbBytes, &bytes, error) && Parse(std::move(bytes), path, error);
}
