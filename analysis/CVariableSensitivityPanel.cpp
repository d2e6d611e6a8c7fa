#include "CVariableSensitivityPanel.h"

#include "CCsvTable.h"
#include "CNode.h"
#include "CTreeIndex.h"
#include "CTypedNumber.h"
#include "CVariableSensitivity.h"
#include "NumberPrecision.h"

#include <QAreaSeries>
#include <QChart>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

// The share of its value a variable without Low and High moves each way.
constexpr double kShare = 0.5;

QString Name(const CTreeIndex &index, int n)
{
    if (n < 0)
        return CVariableSensitivityPanel::tr("nothing");
    const QString strName = QString::fromStdString(index.Node(n)->name);
    return strName.isEmpty() ? QStringLiteral("#%1").arg(CTreeIndex::IdOf(n))
                             : QStringLiteral("\"%1\"").arg(strName);
}

} // namespace

CVariableSensitivityPanel::CVariableSensitivityPanel(CProjectDocument *pDocument,
                                                     const std::string &strVariable,
                                                     QWidget *parent)
    : CRangePanel(pDocument, parent), variable(strVariable)
{
    AddRangeControls();
    // Variables change without any value changing (a rename, a new range).
    if (pDocument)
        connect(pDocument, &CProjectDocument::sig_variablesChanged, this, &CAnalysisPanel::Refresh);
}

void CVariableSensitivityPanel::SetVariable(const std::string &strVariable)
{
    variable = strVariable;
    rangeFromUser = false;
    Refresh();
}

void CVariableSensitivityPanel::SetDefaultRange(int nVariable)
{
    const CVariables::Variable &shown = Document()->GetVariables().At(nVariable);
    auto [dLow, dHigh] = shown.Range(kShare);
    // A file may give Low above High; the panel refuses that, the range
    // still runs between them.
    if (dLow > dHigh)
        std::swap(dLow, dHigh);
    // A variable at 0 has no half; one each way gives the chart a scale.
    if (!(dHigh > dLow)) {
        dLow = shown.value - 1;
        dHigh = shown.value + 1;
    }
    ShowDefaultRange(dLow, dHigh);
}

void CVariableSensitivityPanel::Recompute()
{
    ClearBreakEvens();
    inconsistentStretches.clear();
    SetTable({});
    const QString strName = QString::fromStdString(variable);
    SetHeading(tr("%1: the value of the tree as the variable %2 moves")
                   .arg(Document()->GetProjectName(), strName));
    const int nVariable = Document()->GetVariables().Find(variable);
    if (nVariable < 0) {
        ShowNote(tr("The project has no variable %1 any more.").arg(strName), true);
        return;
    }
    if (!rangeFromUser)
        SetDefaultRange(nVariable);
    double dLow = 0.0;
    double dHigh = 0.0;
    if (!ReadRange(&dLow, &dHigh))
        return;
    CVariableSensitivity analysis(Document()->GetTree(), Document()->GetSettings().AnalysisRule());
    if (!analysis.Run(variable, dLow, dHigh)) {
        ShowNote(analysis.Error(), true);
        return;
    }
    const CTreeIndex index(Document()->GetRoot());
    SetTable(analysis.Table(index));

    QValueAxis *pAxisX = nullptr;
    QValueAxis *pAxisY = nullptr;
    QChart *pChart = NewXYChart(strName, tr("Value of the tree"), &pAxisX, &pAxisY);
    const auto add = [pChart](QXYSeries *pSeries) { AddXYSeries(pChart, pSeries); };
    auto *pLine = new QLineSeries;
    pLine->setName(tr("Value of the tree"));
    double dMin = analysis.CurrentValue();
    double dMax = dMin;
    for (const auto &[dX, dY] : analysis.Corners()) {
        pLine->append(dX, dY);
        dMin = std::min(dMin, dY);
        dMax = std::max(dMax, dY);
    }
    QPen pen = pLine->pen();
    pen.setWidth(3);
    pLine->setPen(pen);
    add(pLine);
    SetLineRanges(pAxisX, pAxisY, analysis.Low(), analysis.High(), dMin, dMax);

    // Where the probabilities stop adding up, the line counts them as they
    // stand, as the canvas flags them: shaded, and said under the chart.
    for (const auto &[dFrom, dTo] : analysis.Inconsistent()) {
        // An area series does not own its edges: they are its children.
        auto *pShade = new QAreaSeries;
        auto *pUpper = new QLineSeries(pShade);
        auto *pLower = new QLineSeries(pShade);
        *pUpper << QPointF(dFrom, pAxisY->max()) << QPointF(dTo, pAxisY->max());
        *pLower << QPointF(dFrom, pAxisY->min()) << QPointF(dTo, pAxisY->min());
        pShade->setUpperSeries(pUpper);
        pShade->setLowerSeries(pLower);
        pShade->setName(tr("Probabilities do not add up"));
        pShade->setColor(QColor(200, 0, 0, 40));
        pShade->setBorderColor(Qt::transparent);
        pChart->addSeries(pShade);
        pShade->attachAxis(pAxisX);
        pShade->attachAxis(pAxisY);
        // One entry in the legend for all stretches.
        if (dFrom != analysis.Inconsistent().front().first)
            pChart->legend()->markers(pShade).front()->setVisible(false);
        inconsistentStretches.append(QPointF(dFrom, dTo));
    }

    // Break-evens are listed under the chart, left to right, rather than
    // written beside markers, where close ones wrote over one another.
    auto *pBreakEvens = new QScatterSeries;
    pBreakEvens->setName(tr("Break-even"));
    pBreakEvens->setMarkerSize(11);
    pBreakEvens->setColor(Qt::black);
    const double dRangeX = analysis.High() - analysis.Low();
    const double dRangeY = pAxisY->max() - pAxisY->min();
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens()) {
        const double dAt = ZeroIfRounding(found.parameter, dRangeX);
        const double dValue = ZeroIfRounding(found.value, dRangeY);
        pBreakEvens->append(dAt, dValue);
        breakEvens.append(dAt);
        breakEvenLines.append(tr("At %1: %2 chooses %3 below, %4 above; value %5")
                                  .arg(NumberAtPrecision(dAt, 10), Name(index, found.decision),
                                       Name(index, found.below), Name(index, found.above),
                                       NumberAtPrecision(dValue, 10)));
    }
    add(pBreakEvens);
    AddNowMarker(pChart, analysis.Current(), analysis.CurrentValue(), analysis.Low(),
                 analysis.High());
    ShowChart(pChart);

    ShowBreakEvens();
    QString strNote = breakEvens.isEmpty() ? tr("No decision changes its choice between %1 and %2.")
                                                 .arg(NumberAtPrecision(analysis.Low(), 10),
                                                      NumberAtPrecision(analysis.High(), 10))
                      : breakEvens.size() == 1 ? tr("One break-even point:")
                                               : tr("%1 break-even points:").arg(breakEvens.size());
    if (!analysis.Inconsistent().empty()) {
        QStringList stretches;
        for (const auto &[dFrom, dTo] : analysis.Inconsistent())
            // Their ends lie half-way between samples: four digits say it.
            stretches << tr("%1 to %2")
                             .arg(NumberAtPrecision(ZeroIfRounding(dFrom, dRangeX), 4),
                                  NumberAtPrecision(ZeroIfRounding(dTo, dRangeX), 4));
        strNote.prepend(
            tr("Shaded, from about %1: %2 The value there counts the probabilities "
               "as they stand. ")
                .arg(stretches.join(QStringLiteral(", ")), analysis.InconsistencyText()));
    }
    ShowNote(strNote);
}
