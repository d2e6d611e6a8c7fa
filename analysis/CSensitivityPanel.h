#pragma once

#include "CAnalysisPanel.h"

#include <QVector>

class CNode;
class CSensitivityAnalysis;
class CTreeIndex;
class CTypedNumber;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The one-way analysis of an option's payoff or probability: the tree's value
// over a range drawn as a line, coloured by what the Decision above the option
// chooses, with the break-even points marked and listed and today's value
// marked.
class CSensitivityPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    CSensitivityPanel(CProjectDocument *pDocument, const CNode *pOption, QWidget *parent = nullptr);

    // Analyses another option of the same project, over its own default range.
    void SetOption(const CNode *pOption);
    // The break-even points shown, in order.
    QVector<double> BreakEvens() const { return breakEvens; }
    // The value of the tree at each step of the range.
    QString TableText() const override { return tableText; }

protected:
    void Recompute() override;
    // The note and every break-even point in full.
    QStringList Findings() const override;

private slots:
    void OnParameterChosen();
    void OnRangeEdited();

private:
    QString tableText;
    void SetDefaultRange(const CTreeIndex &index, int nOption);
    CTypedNumber ReadRange(const QLineEdit *pEdit) const;
    void Draw(const CSensitivityAnalysis &analysis, const CTreeIndex &index);
    void List(const CSensitivityAnalysis &analysis, const CTreeIndex &index);

    // Only compared with the nodes of the tree; read once found among them,
    // so an option that has been deleted is never touched.
    const CNode *option = nullptr;
    bool rangeFromUser = false;
    // The range's ends as last read, for a refused text to go back to.
    QString lowRead;
    QString highRead;
    QVector<double> breakEvens;
    QStringList breakEvenLines;
    QComboBox *parameterBox = nullptr;
    QLineEdit *lowEdit = nullptr;
    QLineEdit *highEdit = nullptr;
    QPlainTextEdit *breakEvenText = nullptr;
};
