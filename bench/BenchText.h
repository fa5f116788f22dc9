// Functions in this file: the bench file's text, read from its bytes and
// written, as pure functions (no Windows call), so that its fuzzer runs them
// natively too.
#pragma once

#include <string>
#include <vector>

#include "BenchUnit.h"

// What a bench file holds: its units and the one connected at the start
// (empty: none).
struct BenchContents
{
    std::vector<BenchUnit> units;
    std::string strConnected;
};

// Reads the bytes of a bench file named name. On any mistake answers false,
// with error naming the file, line, unit and key, and leaves contents as they
// were.
bool ParseBenchText(const std::string& bytes, const std::string& name, BenchContents* contents, std::string* error);

// The text of a bench file that ParseBenchText reads back as contents.
std::string BenchText(const BenchContents& contents);
