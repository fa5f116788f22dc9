// Functions in this file: Sha256, the SHA-256 of bytes as sha256sum and
// certutil print it, computed by Windows' own cryptography (CNG).
#pragma once

#include <string>

// 64 lower-case hexadecimal digits; empty when the platform cannot hash.
std::string Sha256(const std::string& bytes);
