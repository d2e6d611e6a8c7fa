#include "CChartColours.h"

#include "CTreeIndex.h"

#include <QSet>

#include <array>

namespace {

// Far apart in hue and lightness, and none of them the grey and black the
// markers are drawn in.
const std::array<QColor, 10> Palette = {QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e),
                                        QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
                                        QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                        QColor(0xe3, 0x77, 0xc2), QColor(0xbc, 0xbd, 0x22),
                                        QColor(0x17, 0xbe, 0xcf), QColor(0x7f, 0x3f, 0x00)};

} // namespace

CChartColours::CChartColours(QObject *pProject) : QObject(pProject) {}

QColor CChartColours::InTurn(int n)
{
    return Palette[size_t(n) % Palette.size()];
}

CChartColours *CChartColours::Of(QObject *pProject)
{
    auto *pColours = pProject->findChild<CChartColours *>(QString(), Qt::FindDirectChildrenOnly);
    return pColours ? pColours : new CChartColours(pProject);
}

QColor CChartColours::ColourOf(const CTreeIndex &index, int nOption)
{
    QSet<const CNode *> present;
    for (int n = 0; n < index.Size(); ++n)
        present.insert(index.Node(n));
    for (auto it = colours.begin(); it != colours.end();)
        it = present.contains(it.key()) ? std::next(it) : colours.erase(it);

    const CNode *pOption = index.Node(nOption);
    auto found = colours.constFind(pOption);
    if (found != colours.constEnd())
        return Palette[size_t(found.value())];
    // The colour of its place among its siblings, so that a tree opened
    // again gets the colours it had; when a sibling has taken that one, the
    // next none of them has; when they have them all, it comes round again.
    QSet<int> taken;
    const int nFirst = index.FirstChild(index.Parent(nOption));
    for (int n = nFirst; n < nFirst + index.ChildCount(index.Parent(nOption)); ++n)
        if (n != nOption && colours.contains(index.Node(n)))
            taken.insert(colours.value(index.Node(n)));
    const int nSize = int(Palette.size());
    int nColour = index.ChildPosition(nOption) % nSize;
    for (int nTried = 0; nTried < nSize && taken.contains(nColour); ++nTried)
        nColour = (nColour + 1) % nSize;
    colours.insert(pOption, nColour);
    return Palette[size_t(nColour)];
}
