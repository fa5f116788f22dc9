// Functions in this file: JudgeDamagedCopies, the seeded batch of randomly
// damaged files on which a tavohost check is held against the real consumer
// of the file (the loader, the module's own reading of a language file).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "Progress.h"

// What became of one damaged copy.
struct Verdicts
{
    bool bConsumerTakes;  // the loader loads it, the module's reading uses it
    bool bCheckerPasses;  // the check calls it fit or readable
};

// Hands judge as many copies of original as the environment variable count
// asks (else fallback), each changed by damage. Fails for every copy the
// consumer refuses and the check passes. Holds that the batch means
// something: each of the consumer's verdicts in a tenth of the copies at
// least, and the check passing at least a third of what the consumer takes
// (a check that refused everything would meet the first rule alone). Prints
// the counts.
inline void JudgeDamagedCopies(const char* count, const std::string& original, int fallback,
                               const std::function<void(std::string&, std::mt19937&)>& damage,
                               const std::function<Verdicts(const std::string&)>& judge)
{
    const int copies = EnvCount(count, fallback);
    CProgress progress("damaged copies", copies);
    std::mt19937 random(20261209);
    int taken = 0, both = 0, onlyChecker = 0;
    for (int copy = 0; copy < copies; ++copy) {
        std::string bytes = original;
        damage(bytes, random);
        const Verdicts verdicts = judge(bytes);
        taken += verdicts.bConsumerTakes ? 1 : 0;
        both += verdicts.bConsumerTakes && verdicts.bCheckerPasses ? 1 : 0;
        const bool wrong = !verdicts.bConsumerTakes && verdicts.bCheckerPasses;
        onlyChecker += wrong ? 1 : 0;
        EXPECT_FALSE(wrong) << "copy " << copy << ": refused by its consumer, passed by the check";
        progress.Done(copy + 1);
    }
    printf("%d damaged copies: the consumer took %d (the check passed %d of them, refused %d), refused %d "
           "(the check passed %d of them)\n",
           copies, taken, both, taken - both, copies - taken, onlyChecker);
    EXPECT_GE(taken * 10, copies) << "the damage leaves too few copies whole to judge the check by";
    EXPECT_GE((copies - taken) * 10, copies) << "the damage breaks too few copies to judge the check by";
    EXPECT_GE(both * 3, taken) << "the check refuses most copies its consumer takes";
}
