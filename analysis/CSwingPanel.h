#pragma once

#include "CAnalysisPanel.h"

class QDoubleSpinBox;

// A panel that moves every payoff, probability and variable of the tree by
// up to a share of its value, the share chosen above the chart: the tornado
// and the spider.
class CSwingPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    // strAsk says what the share moves, before its box.
    CSwingPanel(CProjectDocument *pDocument, const QString &strAsk, QWidget *parent);

protected:
    // The share, in percent.
    double Percent() const;

private:
    QDoubleSpinBox *percentBox = nullptr;
};
