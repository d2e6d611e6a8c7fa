#include "CPiecewiseLinear.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Slopes that agree to this many digits count as parallel. Probabilities that
// add up to 1 only up to rounding give slopes a few units in the last place
// apart; taken literally, two options tied today would "cross" right at the
// current value and report a change of choice that no re-solve shows.
constexpr double ParallelTolerance = 1e-12;
// Pieces narrower than this share of the range are rounding noise.
constexpr double SliverShare = 1e-12;

// Calls fnVisit(start, end, piece of f, piece of g) for every stretch of the
// range on which neither function changes its line.
template <typename Visit>
void ForEachCommonPiece(const CPiecewiseLinear &f, const CPiecewiseLinear &g, Visit fnVisit)
{
    const auto &pf = f.Pieces();
    const auto &pg = g.Pieces();
    size_t i = 0;
    size_t j = 0;
    double dStart = f.Low();
    for (;;) {
        const double dEndF = i + 1 < pf.size() ? pf[i + 1].start : f.High();
        const double dEndG = j + 1 < pg.size() ? pg[j + 1].start : f.High();
        const double dEnd = std::min(dEndF, dEndG);
        fnVisit(dStart, dEnd, pf[i], pg[j]);
        if (!(dEnd < f.High()))
            break;
        if (dEndF == dEnd && i + 1 < pf.size())
            ++i;
        if (dEndG == dEnd && j + 1 < pg.size())
            ++j;
        dStart = dEnd;
    }
}

} // namespace

CPiecewiseLinear::CPiecewiseLinear(double dLow, double dHigh, double dIntercept, double dSlope,
                                   int nTag)
    : low(dLow), high(dHigh)
{
    pieces.push_back({dLow, dIntercept, dSlope, nTag});
}

const CPiecewiseLinear::Piece &CPiecewiseLinear::PieceAt(double dX) const
{
    auto it =
        std::upper_bound(pieces.begin(), pieces.end(), dX,
                         [](double dValue, const Piece &piece) { return dValue < piece.start; });
    return it == pieces.begin() ? pieces.front() : *(it - 1);
}

std::pair<double, double> CPiecewiseLinear::Extremes() const
{
    double dLowest = std::numeric_limits<double>::infinity();
    double dHighest = -dLowest;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const double dEnd = i + 1 < pieces.size() ? pieces[i + 1].start : high;
        for (double dX : {pieces[i].start, dEnd}) {
            const double dValue = pieces[i].At(dX);
            if (std::isnan(dValue))
                return {dValue, dValue};
            dLowest = std::min(dLowest, dValue);
            dHighest = std::max(dHighest, dValue);
        }
    }
    return {dLowest, dHighest};
}

CPiecewiseLinear CPiecewiseLinear::Affine(double dScale, double dOffset) const
{
    CPiecewiseLinear result;
    result.low = low;
    result.high = high;
    for (const Piece &piece : pieces)
        result.Append(piece.start, dScale * piece.intercept + dOffset, dScale * piece.slope, NoTag);
    return result;
}

CPiecewiseLinear CPiecewiseLinear::PlusWeighted(const CPiecewiseLinear &g, double dWeight) const
{
    CPiecewiseLinear result;
    result.low = low;
    result.high = high;
    ForEachCommonPiece(*this, g, [&](double dStart, double, const Piece &a, const Piece &b) {
        result.Append(dStart, a.intercept + dWeight * b.intercept, a.slope + dWeight * b.slope,
                      NoTag);
    });
    return result;
}

CPiecewiseLinear CPiecewiseLinear::Greater(const CPiecewiseLinear &g, int nTag) const
{
    return Pick(g, nTag, false);
}

CPiecewiseLinear CPiecewiseLinear::Less(const CPiecewiseLinear &g, int nTag) const
{
    return Pick(g, nTag, true);
}

CPiecewiseLinear CPiecewiseLinear::Pick(const CPiecewiseLinear &g, int nTag, bool bLess) const
{
    CPiecewiseLinear result;
    result.low = low;
    result.high = high;
    ForEachCommonPiece(*this, g, [&](double dStart, double dEnd, const Piece &a, const Piece &b) {
        // Deciding at the middle of each stretch keeps NaN and infinite lines
        // to the rollback's comparison: they never win.
        auto take = [&](double dFrom, double dTo) {
            const double dMiddle = dFrom + (dTo - dFrom) / 2;
            const double dA = a.At(dMiddle);
            const double dB = b.At(dMiddle);
            if (bLess ? dB < dA : dB > dA)
                result.Append(dFrom, b.intercept, b.slope, nTag);
            else
                result.Append(dFrom, a.intercept, a.slope, a.tag);
        };
        const double dSlopes = b.slope - a.slope;
        const double dScale = std::max(std::fabs(a.slope), std::fabs(b.slope));
        if (std::fabs(dSlopes) > ParallelTolerance * dScale) {
            const double dCross = (a.intercept - b.intercept) / dSlopes;
            if (dCross > dStart && dCross < dEnd) {
                take(dStart, dCross);
                take(dCross, dEnd);
                return;
            }
        }
        take(dStart, dEnd);
    });
    return result;
}

void CPiecewiseLinear::Tidy()
{
    const double dSliver = SliverShare * (high - low);
    std::vector<Piece> kept;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const double dEnd = i + 1 < pieces.size() ? pieces[i + 1].start : high;
        const bool bLast = i + 1 == pieces.size();
        if (dEnd - pieces[i].start < dSliver && !(bLast && kept.empty())) {
            // The neighbour takes the stretch over: the previous piece simply
            // runs on; a first piece hands its start to the next one.
            if (kept.empty())
                pieces[i + 1].start = pieces[i].start;
            continue;
        }
        const Piece &piece = pieces[i];
        if (!kept.empty() && kept.back().intercept == piece.intercept &&
            kept.back().slope == piece.slope && kept.back().tag == piece.tag)
            continue;
        kept.push_back(piece);
    }
    pieces.swap(kept);
}

void CPiecewiseLinear::Append(double dStart, double dIntercept, double dSlope, int nTag)
{
    if (!pieces.empty()) {
        const Piece &last = pieces.back();
        if (last.intercept == dIntercept && last.slope == dSlope && last.tag == nTag)
            return;
        // A stretch of no width would only hide the line that starts there.
        if (last.start == dStart) {
            pieces.back() = {dStart, dIntercept, dSlope, nTag};
            return;
        }
    }
    pieces.push_back({dStart, dIntercept, dSlope, nTag});
}
