#pragma once

#include <boost/random/mersenne_twister.hpp>

#include <cstdint>

// The uniforms of one block of iterations: a Mersenne Twister of Boost.Random
// seeded from the run's seed and the block's number, so that a block draws
// the same numbers whichever thread runs it and whenever. Under Latin
// hypercube sampling each variable's N strata are dealt to the iterations
// by a keyed permutation computed on the spot, so no table of N entries per
// variable is held.
class CUniformStream
{
public:
    CUniformStream(uint64_t nSeed, int64_t nBlock, int64_t nIterations, bool bLatinHypercube);

    // The uniform within 0 and 1 (both excluded) of variable nVariable in
    // iteration nIteration; called for each variable in turn, iteration by
    // iteration, as the stream follows the calls.
    double Next(int64_t nIteration, int nVariable);

private:
    uint64_t Stratum(int64_t nIteration, int nVariable) const;

    boost::random::mt19937_64 engine;
    const uint64_t seed;
    const int64_t iterations;
    const bool latinHypercube;
    int halfBits = 1;
};
