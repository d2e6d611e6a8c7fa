#pragma once

#include "CSwingPanel.h"

// The spider chart of a project: the tree's value as each input of the
// tornado changes by a share of its value, one line per input, the inputs
// that swing it most drawn.
class CSpiderPanel : public CSwingPanel
{
    Q_OBJECT

public:
    explicit CSpiderPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // More lines than this tangle into an unreadable chart; the note tells
    // how many more there are.
    static constexpr int MaxLines = 10;
    static constexpr int Steps = 20;

protected:
    void Recompute() override;
};
