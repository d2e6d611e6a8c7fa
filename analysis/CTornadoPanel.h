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

protected:
    void Recompute() override;
};
