// Sha256 through CNG's SHA-256 provider.
#include "Sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cctype>

#include "Text.h"

namespace {

// The provider and the hash object, closed at the end of the scope.
struct CProvider
{
    BCRYPT_ALG_HANDLE hAlgorithm = nullptr;
    BCRYPT_HASH_HANDLE hHash = nullptr;
    ~CProvider()
    {
        if (hHash)
            ::BCryptDestroyHash(hHash);
        if (hAlgorithm)
            ::BCryptCloseAlgorithmProvider(hAlgorithm, 0);
    }
};

}  // namespace

std::string Sha256(const std::string& bytes)
{
    CProvider provider;
    unsigned char digest[32];
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&provider.hAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(::BCryptCreateHash(provider.hAlgorithm, &provider.hHash, nullptr, 0, nullptr, 0, 0)))
        return std::string();
    // In pieces a 32-bit count can hold.
    for (size_t done = 0; done < bytes.size();) {
        const ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!BCRYPT_SUCCESS(::BCryptHashData(provider.hHash,
                                             reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + done)), chunk,
                                             0)))
            return std::string();
        done += chunk;
    }
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(provider.hHash, digest, sizeof(digest), 0)))
        return std::string();
    std::string hex;
    for (unsigned char byte : digest)
        hex += Hex(byte, 2);
    std::transform(hex.begin(), hex.end(), hex.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return hex;
}
