// Times one find keystroke's search over a realistic tree of 100,000 nodes:
// the bar finds every match anew at each keystroke, to show "3 of 17".
#include "BenchTrees.h"
#include "CNodeSearch.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void Time(CNode *pRoot, const QString &strText)
{
    std::vector<double> times;
    size_t nFound = 0;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer timer;
        timer.start();
        nFound = CNodeSearch::Matches(pRoot, strText).size();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("find %-12s %7zu found: min %8.2f ms, median %8.2f ms\n",
                qPrintable(QStringLiteral("\"%1\"").arg(strText)), nFound, times.front(),
                times[times.size() / 2]);
}

} // namespace

int main()
{
    CNode *pRoot = BenchTrees::MakeRealistic(100000);
    // One letter matches much, a longer text little, an absent one nothing:
    // each walks the whole tree.
    for (const char *pText : {"a", "ma", "market", "zzqx"})
        Time(pRoot, QString::fromLatin1(pText));
    CNode::FreeSubtree(pRoot);
    return 0;
}
