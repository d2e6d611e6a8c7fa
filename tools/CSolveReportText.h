#pragma once

#include <QString>

class CSolveReport;
struct NumberFormat;

// Renders a report as plain text: a summary, then every node as an indented
// tree with aligned columns.
class CSolveReportText
{
public:
    // Payoffs and values in format; probabilities and variables plainly.
    static QString Render(const CSolveReport &report, const NumberFormat &format);
    // Names may hold line breaks and other control characters that would
    // break a layout; they show as spaces.
    static QString Printable(QString strText);

    // Indentation is drawn down to this depth; deeper nodes show their level
    // instead, so that a very deep tree does not print megabytes per line.
    static constexpr int MaxDrawnDepth = 40;
};
