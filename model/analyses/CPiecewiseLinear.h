#pragma once

#include <utility>
#include <vector>

// A continuous function of one parameter x over [low, high], linear on each of
// its pieces. A piece may carry a tag: the child position of the option that a
// Decision chooses there, so that the function of a Decision also tells where
// its choice changes.
class CPiecewiseLinear
{
public:
    static constexpr int NoTag = -1;

    // Piece i covers [start, next piece's start), the last one up to high.
    struct Piece
    {
        double start = 0.0;
        double intercept = 0.0;
        double slope = 0.0;
        int tag = NoTag;

        double At(double dX) const { return intercept + slope * dX; }
    };

    CPiecewiseLinear() = default;
    // intercept + slope * x over the whole of [dLow, dHigh].
    CPiecewiseLinear(double dLow, double dHigh, double dIntercept, double dSlope, int nTag = NoTag);

    double Low() const { return low; }
    double High() const { return high; }
    const std::vector<Piece> &Pieces() const { return pieces; }
    const Piece &PieceAt(double dX) const;
    double At(double dX) const { return PieceAt(dX).At(dX); }
    // The smallest and the largest value over the whole range; NaN when the
    // function is not a number somewhere.
    std::pair<double, double> Extremes() const;

    // dScale * f + dOffset; tags are dropped.
    CPiecewiseLinear Affine(double dScale, double dOffset) const;
    // f + dWeight * g, for g over the same range; tags are dropped.
    CPiecewiseLinear PlusWeighted(const CPiecewiseLinear &g, double dWeight) const;
    // The rollback's rule for the next option of a Decision: wherever g is
    // strictly greater, g with nTag; elsewhere, including ties, f as it was.
    CPiecewiseLinear Greater(const CPiecewiseLinear &g, int nTag) const;
    // The same for a rule that minimises: where g is strictly smaller.
    CPiecewiseLinear Less(const CPiecewiseLinear &g, int nTag) const;

    // Joins neighbours with the same line and tag, and folds pieces narrower
    // than rounding noise into their neighbour, so that three lines crossing
    // at one point do not leave a sliver that looks like two choice changes.
    void Tidy();

private:
    CPiecewiseLinear Pick(const CPiecewiseLinear &g, int nTag, bool bLess) const;
    void Append(double dStart, double dIntercept, double dSlope, int nTag);

    double low = 0.0;
    double high = 0.0;
    std::vector<Piece> pieces;
};
