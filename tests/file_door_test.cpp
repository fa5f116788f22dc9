// The two file doors of the tools: no device opened under any name Windows
// keeps for one, a file replaced whole or left as it was. Rows appended:
// trace_log_tests; paths outside the ANSI code page: tavohost_any_folder.
#include <gtest/gtest.h>

#include <windows.h>

#include "FileDoor.h"
#include "Handles.h"
#include "TempFile.h"
#include "TextConvert.h"

namespace {

TEST(FileDoor, NamesOfDevicesAreKnownInEveryForm)
{
    for (const char* device : {"COM1", "com9", "AUX", "aux.txt", "NUL", "CON", "PRN", "LPT1", "C:\\data\\COM1.ini",
                               "COM1:", "conin$", "CONOUT$", "CLOCK$", "\\\\.\\pipe\\x", "//./COM2", "AUX .log"})
        EXPECT_TRUE(IsDeviceName(device)) << device;
    for (const char* file : {"COM0", "COM10", "LPT", "auxiliary.txt", "bench.ini", "C:\\COM1\\bench.ini", "CONSOLE", ""})
        EXPECT_FALSE(IsDeviceName(file)) << file;
}

// Every door refuses a device by its name, before it opens anything.
TEST(FileDoor, EveryDoorRefusesADevice)
{
    for (const char* device : {"COM1", "AUX", "com1.txt", "LPT1", "NUL", "\\\\.\\pipe\\tavo"}) {
        std::string bytes, error;
        EXPECT_FALSE(ReadRegularFile(device, 1024, &bytes, &error)) << device;
        EXPECT_NE(std::string::npos, error.find("names a device")) << error;
        for (auto write : {+[](const char* path, std::string* why) { return CanWriteFile(path, why); },
                           +[](const char* path, std::string* why) { return WriteWholeFile(path, "x", why); },
                           +[](const char* path, std::string* why) { return AppendToFile(path, "", "x", why); }}) {
            error.clear();
            EXPECT_FALSE(write(device, &error)) << device;
            EXPECT_NE(std::string::npos, error.find("names a device")) << error;
        }
    }
}

// Whether a file with a .~PID.tmp name, which a write makes, is left beside path.
bool PartBeside(const std::string& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Widen(path + ".~*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    return search != INVALID_HANDLE_VALUE;
}

TEST(FileDoor, WriteReplacesTheFileWholeOrLeavesItAsItWas)
{
    CTempFile target("whole.ini", "old bytes");
    std::string error;
    ASSERT_TRUE(WriteWholeFile(target.Path(), "new bytes", &error)) << error;
    EXPECT_EQ("new bytes", FileBytes(target.Path()));
    {
        // Another program holds the file and lets nobody replace it.
        CHandle held(::CreateFileW(Widen(target.Path()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(WriteWholeFile(target.Path(), "newer bytes, longer than before", &error));
        EXPECT_NE(std::string::npos, error.find("the file is as it was")) << error;
    }
    EXPECT_EQ("new bytes", FileBytes(target.Path()));
    EXPECT_FALSE(PartBeside(target.Path())) << "the new file is not left beside it";

    char folder[MAX_PATH];
    ::GetTempPathA(sizeof(folder), folder);
    EXPECT_FALSE(WriteWholeFile(folder, "x", &error));
    EXPECT_NE(std::string::npos, error.find("is a folder, not a file")) << error;
}

}  // namespace
