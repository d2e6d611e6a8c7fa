#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace BenchMeasure {

// Prints the best and the median of times in milliseconds, with a figure
// that shows the work was done.
inline void Print(const char *pLabel, std::vector<double> times, double dFigure)
{
    std::sort(times.begin(), times.end());
    std::printf("  %-50s min %9.3f ms  median %9.3f ms  (%g)\n", pLabel, times.front(),
                times[times.size() / 2], dFigure);
}

// Prints the best and the median of nRuns runs of fnRun, which returns a
// figure that shows the work was done.
inline void Measure(const char *pLabel, int nRuns, const std::function<double()> &fnRun)
{
    std::vector<double> times;
    double dFigure = 0.0;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        dFigure = fnRun();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    Print(pLabel, times, dFigure);
}

} // namespace BenchMeasure
