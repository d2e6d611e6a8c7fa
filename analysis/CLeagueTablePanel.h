#pragma once

#include "CAnalysisPanel.h"

class QTableWidget;

// The league table of a project of two criteria and its cost-effectiveness
// plane: each strategy a point (criterion 1 along, criterion 2 up), the
// frontier joined, dominated strategies marked apart, and the line of slope
// w through the best strategy; hovering a point shows its numbers.
class CLeagueTablePanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    explicit CLeagueTablePanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

protected:
    void Recompute() override;
    bool WeighsTwoCriteria() const override { return true; }

private:
    QTableWidget *table = nullptr;
};
