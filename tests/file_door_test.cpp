// The two file doors of the tools: no device opened under any name Windows
// keeps for one, a file replaced whole or left as it was, rows appended whole.
// Paths outside the ANSI code page: tavohost_any_folder.
#include <gtest/gtest.h>

#include <windows.h>

#include "FileDoor.h"
#include "Handles.h"
#include "TempFile.h"
#include "TextConvert.h"

namespace {

TEST(FileDoor, NamesOfDevicesAreKnownInEveryForm)
{
    const struct
    {
        const char* pszPath;
        bool bDevice;
    } cases[] = {
        {"COM1", true},          {"com9", true},        {"AUX", true},          {"aux.txt", true},
        {"NUL", true},           {"CON", true},         {"PRN", true},          {"LPT1", true},
        {"C:\\data\\COM1.ini", true}, {"COM1:", true},  {"conin$", true},       {"CONOUT$", true},
        {"CLOCK$", true},        {"\\\\.\\pipe\\x", true}, {"//./COM2", true},  {"AUX .log", true},
        {"COM0", false},         {"COM10", false},      {"LPT", false},         {"auxiliary.txt", false},
        {"bench.ini", false},    {"C:\\COM1\\bench.ini", false}, {"CONSOLE", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bDevice, IsDeviceName(c.pszPath)) << c.pszPath;
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

// Files with a .~PID.tmp name beside path, which a write leaves behind.
int PartsBeside(const std::string& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(Widen(path + ".~*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
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
    EXPECT_EQ(0, PartsBeside(target.Path())) << "the new file is not left beside it";

    char folder[MAX_PATH];
    ::GetTempPathA(sizeof(folder), folder);
    EXPECT_FALSE(WriteWholeFile(folder, "x", &error));
    EXPECT_NE(std::string::npos, error.find("is a folder, not a file")) << error;
}

TEST(FileDoor, AppendAddsWholeRowsAndTheHeadOnce)
{
    CTempFile log("rows.csv", "");
    std::string error;
    ASSERT_TRUE(AppendToFile(log.Path(), "head\r\n", "row 1\r\n", &error)) << error;
    ASSERT_TRUE(AppendToFile(log.Path(), "head\r\n", "row 2\r\n", &error)) << error;
    EXPECT_EQ("head\r\nrow 1\r\nrow 2\r\n", FileBytes(log.Path()));
}

}  // namespace
