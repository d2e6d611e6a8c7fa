#pragma once

#include "CSwingPanel.h"

// The tornado diagram of a project: every payoff and Situation probability
// moved down and up by a share of its value, the widest swings of the tree's
// value on top.
class CTornadoPanel : public CSwingPanel
{
    Q_OBJECT

public:
    explicit CTornadoPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // How many inputs the chart shows.
    int BarCount() const { return barCount; }

    // More bars than this do not fit a readable chart; the note tells how
    // many more there are.
    static constexpr int MaxBars = 20;

protected:
    void Recompute() override;

private:
    int barCount = 0;
};
