#include "CUniformStream.h"

#include <boost/random/seed_seq.hpp>

namespace {

uint64_t Mix(uint64_t nValue)
{
    nValue += 0x9e3779b97f4a7c15ULL;
    nValue = (nValue ^ (nValue >> 30)) * 0xbf58476d1ce4e5b9ULL;
    nValue = (nValue ^ (nValue >> 27)) * 0x94d049bb133111ebULL;
    return nValue ^ (nValue >> 31);
}

} // namespace

CUniformStream::CUniformStream(uint64_t nSeed, int64_t nBlock, int64_t nIterations,
                               bool bLatinHypercube)
    : seed(nSeed), iterations(nIterations), latinHypercube(bLatinHypercube)
{
    boost::random::seed_seq sequence{uint32_t(nSeed), uint32_t(nSeed >> 32), uint32_t(nBlock),
                                     uint32_t(uint64_t(nBlock) >> 32)};
    engine.seed(sequence);
    while ((uint64_t(1) << (2 * halfBits)) < uint64_t(nIterations))
        ++halfBits;
}

double CUniformStream::Next(int64_t nIteration, int nVariable)
{
    // 53 random bits and a half: never 0 nor 1, where quantiles run off.
    const double dU = (double(engine() >> 11) + 0.5) * 0x1p-53;
    if (!latinHypercube)
        return dU;
    return (double(Stratum(nIteration, nVariable)) + dU) / double(iterations);
}

uint64_t CUniformStream::Stratum(int64_t nIteration, int nVariable) const
{
    // A Feistel network permutes the numbers of 2 * halfBits bits; walking
    // the cycle until the result is below N permutes 0..N-1.
    const uint64_t nMask = (uint64_t(1) << halfBits) - 1;
    const uint64_t nKey = Mix(seed ^ Mix(uint64_t(nVariable) + 1));
    uint64_t nValue = uint64_t(nIteration);
    do {
        uint64_t nLeft = nValue >> halfBits;
        uint64_t nRight = nValue & nMask;
        for (uint64_t nRound = 0; nRound < 4; ++nRound) {
            const uint64_t nNext = nLeft ^ (Mix(nRight ^ (nKey + nRound)) & nMask);
            nLeft = nRight;
            nRight = nNext;
        }
        nValue = (nLeft << halfBits) | nRight;
    } while (nValue >= uint64_t(iterations));
    return nValue;
}
