// Functions in this file: AnswerDamagedCopies, the seeded batch of randomly
// damaged files that tavohost's checks must each answer within a second.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

// Hands answer TAVO_DAMAGED_COPIES (else fallback) copies of original, each
// changed by damage; answer says whether the copy still passed. Prints how
// many did and the slowest answer.
inline void AnswerDamagedCopies(const std::string& original, int fallback,
                                const std::function<void(std::string&, std::mt19937&)>& damage,
                                const std::function<bool(const std::string&)>& answer)
{
    const char* count = getenv("TAVO_DAMAGED_COPIES");
    const int copies = count && atoi(count) > 0 ? atoi(count) : fallback;
    std::mt19937 random(20261209);
    int passed = 0;
    DWORD slowest = 0;
    for (int copy = 0; copy < copies; ++copy) {
        std::string bytes = original;
        damage(bytes, random);
        const DWORD start = ::GetTickCount();
        passed += answer(bytes) ? 1 : 0;
        slowest = std::max(slowest, ::GetTickCount() - start);
        EXPECT_LT(::GetTickCount() - start, 1000u) << "copy " << copy;
    }
    printf("%d of %d damaged copies still passed; the slowest answer took %lu ms\n", passed, copies, slowest);
}
