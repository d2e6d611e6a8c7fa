#include "CVariableSensitivityPanel.h"

#include "CCsvTable.h"
#include "CNode.h"
#include "CTreeIndex.h"
#include "CTypedNumber.h"
#include "CVariableSensitivity.h"

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

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 10);
}

QString Name(const CTreeIndex &index, int n)
{
    if (n < 0)
        return CVariableSensitivityPanel::tr("nothing");
    const QString strName = QString::fromStdString(index.Node(n)->name);
    return strName.isEmpty() ? QStringLiteral("#%1").arg(CTreeIndex::IdOf(n))
                             : QStringLiteral("\"%1\"").arg(strName);
}

CTypedNumber ReadRange(const QLineEdit *pEdit)
{
    return CTypedNumber::Read(pEdit->text(), CTypedNumber::Kind::Amount);
}

} // namespace

CVariableSensitivityPanel::CVariableSensitivityPanel(CProjectDocument *pDocument,
                                                     const std::string &strVariable,
                                                     QWidget *parent)
    : CAnalysisPanel(pDocument, parent), variable(strVariable)
{
    lowEdit = new QLineEdit(this);
    lowEdit->setObjectName(QStringLiteral("lineEditLow"));
    highEdit = new QLineEdit(this);
    highEdit->setObjectName(QStringLiteral("lineEditHigh"));
    const int nWidth =
        lowEdit->fontMetrics().horizontalAdvance(QStringLiteral("-8.888888888e-888")) + 16;
    for (QLineEdit *pEdit : {lowEdit, highEdit}) {
        pEdit->setMinimumWidth(nWidth);
        connect(pEdit, &QLineEdit::editingFinished, this,
                &CVariableSensitivityPanel::OnRangeEdited);
    }
    AddControl(new QLabel(tr("from"), this));
    AddControl(lowEdit);
    AddControl(new QLabel(tr("to"), this));
    AddControl(highEdit);
    breakEvenText = new QPlainTextEdit(this);
    breakEvenText->setObjectName(QStringLiteral("plainTextEditBreakEvens"));
    breakEvenText->setReadOnly(true);
    breakEvenText->setMaximumHeight(110);
    AddBelow(breakEvenText);
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

void CVariableSensitivityPanel::OnRangeEdited()
{
    if (auto *pEdit = qobject_cast<QLineEdit *>(sender())) {
        const CTypedNumber typed = ReadRange(pEdit);
        pEdit->setToolTip(typed.Refusal());
        if (!typed.IsNumber()) {
            pEdit->setText(pEdit == lowEdit ? lowRead : highRead);
            ShowNote(typed.Refusal(), false);
            return;
        }
    }
    rangeFromUser = true;
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
    lowEdit->setText(Number(dLow));
    highEdit->setText(Number(dHigh));
    lowEdit->setCursorPosition(0);
    highEdit->setCursorPosition(0);
}

void CVariableSensitivityPanel::Recompute()
{
    breakEvens.clear();
    breakEvenLines.clear();
    inconsistentStretches.clear();
    breakEvenText->clear();
    breakEvenText->hide();
    tableText.clear();
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
    const CTypedNumber low = ReadRange(lowEdit);
    const CTypedNumber high = ReadRange(highEdit);
    if (!low.IsNumber() || !high.IsNumber()) {
        ShowNote(low.IsNumber() ? high.Refusal() : low.Refusal(), true);
        return;
    }
    lowRead = lowEdit->text();
    highRead = highEdit->text();
    CVariableSensitivity analysis(Document()->GetTree(), Document()->GetSettings().rule);
    if (!analysis.Run(variable, low.ValueOr(0.0), high.ValueOr(0.0))) {
        ShowNote(analysis.Error(), true);
        return;
    }
    const CTreeIndex index(Document()->GetRoot());
    tableText = analysis.Table(index).TabSeparated();

    auto *pChart = new QChart;
    auto *pAxisX = new QValueAxis;
    pAxisX->setTitleText(strName);
    auto *pAxisY = new QValueAxis;
    pAxisY->setTitleText(tr("Value of the tree"));
    pChart->addAxis(pAxisX, Qt::AlignBottom);
    pChart->addAxis(pAxisY, Qt::AlignLeft);
    pChart->legend()->setAlignment(Qt::AlignBottom);
    const auto add = [&](QXYSeries *pSeries) {
        pChart->addSeries(pSeries);
        pSeries->attachAxis(pAxisX);
        pSeries->attachAxis(pAxisY);
    };
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
                                  .arg(Number(dAt), Name(index, found.decision),
                                       Name(index, found.below), Name(index, found.above),
                                       Number(dValue)));
    }
    add(pBreakEvens);
    const double dNow = analysis.Current();
    if (dNow >= analysis.Low() && dNow <= analysis.High()) {
        auto *pNow = new QScatterSeries;
        pNow->setName(tr("Now: %1").arg(Number(dNow)));
        pNow->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        pNow->setMarkerSize(11);
        pNow->setColor(Qt::gray);
        pNow->append(dNow, analysis.CurrentValue());
        add(pNow);
    }
    ShowChart(pChart);

    breakEvenText->setPlainText(breakEvenLines.join(QLatin1Char('\n')));
    breakEvenText->setVisible(!breakEvenLines.isEmpty());
    QString strNote = breakEvens.isEmpty()
                          ? tr("No decision changes its choice between %1 and %2.")
                                .arg(Number(analysis.Low()), Number(analysis.High()))
                      : breakEvens.size() == 1 ? tr("One break-even point:")
                                               : tr("%1 break-even points:").arg(breakEvens.size());
    if (!analysis.Inconsistent().empty()) {
        QStringList stretches;
        for (const auto &[dFrom, dTo] : analysis.Inconsistent())
            // Their ends lie half-way between samples: four digits say it.
            stretches << tr("%1 to %2")
                             .arg(QString::number(ZeroIfRounding(dFrom, dRangeX), 'g', 4),
                                  QString::number(ZeroIfRounding(dTo, dRangeX), 'g', 4));
        strNote.prepend(
            tr("Shaded, from about %1: %2 The value there counts the probabilities "
               "as they stand. ")
                .arg(stretches.join(QStringLiteral(", ")), analysis.InconsistencyText()));
    }
    ShowNote(strNote);
}

QStringList CVariableSensitivityPanel::Findings() const
{
    return CAnalysisPanel::Findings() + breakEvenLines;
}
