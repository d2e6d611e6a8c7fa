#pragma once

#include "CAnalysisPanel.h"

class QComboBox;
class QTableWidget;

// The risk profiles of the first Decision's options: how likely each total
// payoff is, as probabilities or cumulative probabilities, one line per
// option, with their figures in a table and which option dominates which.
class CRiskProfilePanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    explicit CRiskProfilePanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // Shows the cumulative chart instead of the probabilities, or back.
    void ShowCumulative(bool bCumulative);

protected:
    void Recompute() override;

private:
    QComboBox *chartBox = nullptr;
    QTableWidget *table = nullptr;
};
