#pragma once

#include "CAnalysisPanel.h"

class QTableWidget;

// What knowing each uncertainty before deciding is worth: a table and a bar
// chart of the expected value of perfect information, the widest first, and
// of knowing everything at once.
class CValueOfInformationPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    explicit CValueOfInformationPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // More uncertainties than this do not fit a readable chart; the note
    // tells how many more the table lists.
    static constexpr int MaxBars = 12;

protected:
    void Recompute() override;

private:
    QTableWidget *table = nullptr;
};
