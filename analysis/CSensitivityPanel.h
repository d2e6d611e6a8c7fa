#pragma once

#include "CRangePanel.h"

#include <QVector>

class CNode;
class CSensitivityAnalysis;
class CTreeIndex;
class QComboBox;

// The one-way analysis of an option's payoff or probability (or second
// payoff, or of the weight w, in a project of two criteria): the tree's value
// over a range drawn as a line, coloured by what the Decision above the option
// chooses, with the break-even points marked and listed and today's value
// marked.
class CSensitivityPanel : public CRangePanel
{
    Q_OBJECT

public:
    CSensitivityPanel(CProjectDocument *pDocument, const CNode *pOption, QWidget *parent = nullptr);

    // Analyses another option of the same project, over its own default range.
    void SetOption(const CNode *pOption);

protected:
    void Recompute() override;
    CTypedNumber::Kind RangeKind() const override;

private slots:
    void OnParameterChosen();

private:
    // The parameters the project's criteria offer.
    void ListParameters();
    void SetDefaultRange(const CTreeIndex &index, int nOption);
    void Draw(const CSensitivityAnalysis &analysis, const CTreeIndex &index);
    void List(const CSensitivityAnalysis &analysis, const CTreeIndex &index);

    // Only compared with the nodes of the tree; read once found among them,
    // so an option that has been deleted is never touched.
    const CNode *option = nullptr;
    QComboBox *parameterBox = nullptr;
};
