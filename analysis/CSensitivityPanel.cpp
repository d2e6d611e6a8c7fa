#include "CSensitivityPanel.h"

#include "CChartColours.h"
#include "CCsvTable.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CSensitivityAnalysis.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTypedNumber.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QComboBox>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMap>
#include <QPlainTextEdit>
#include <QScatterSeries>
#include <QStandardItemModel>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

// Quoted in sentences; the legend has too little room for quotes.
QString Name(const CTreeIndex &index, int n, bool bQuoted = true)
{
    if (n < 0)
        return CSensitivityPanel::tr("nothing");
    const QString strName = QString::fromStdString(index.Node(n)->name);
    if (strName.isEmpty())
        return QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
    return bQuoted ? QStringLiteral("\"%1\"").arg(strName) : strName;
}

using Parameter = CSensitivityAnalysis::Parameter;

// The box lists the payoff and the probability, and in a project of two
// criteria the second payoff and the weight too, in this order.
Parameter ParameterAt(int nItem)
{
    static const Parameter parameters[] = {Parameter::Payoff, Parameter::Probability,
                                           Parameter::SecondPayoff, Parameter::Weight};
    return nItem >= 0 && nItem < 4 ? parameters[nItem] : Parameter::Payoff;
}

} // namespace

CSensitivityPanel::CSensitivityPanel(CProjectDocument *pDocument, const CNode *pOption,
                                     QWidget *parent)
    : CRangePanel(pDocument, parent), option(pOption)
{
    parameterBox = new QComboBox(this);
    parameterBox->setObjectName(QStringLiteral("comboBoxParameter"));
    // The criteria's names make some items long.
    parameterBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    parameterBox->addItem(tr("Payoff"));
    parameterBox->addItem(tr("Probability"));
    AddControl(parameterBox);
    AddRangeControls();
    connect(parameterBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CSensitivityPanel::OnParameterChosen);
}

void CSensitivityPanel::SetOption(const CNode *pOption)
{
    option = pOption;
    rangeFromUser = false;
    parameterBox->setCurrentIndex(0);
    Refresh();
}

void CSensitivityPanel::OnParameterChosen()
{
    rangeFromUser = false;
    Refresh();
}

CTypedNumber::Kind CSensitivityPanel::RangeKind() const
{
    return ParameterAt(parameterBox->currentIndex()) == Parameter::Probability
               ? CTypedNumber::Kind::Probability
               : CTypedNumber::Kind::Amount;
}

void CSensitivityPanel::ListParameters()
{
    const CCriteria &criteria = Document()->GetSettings().criteria;
    const int nWanted = criteria.two ? 4 : 2;
    const QSignalBlocker blocker(parameterBox);
    if (criteria.two) {
        parameterBox->setItemText(0, tr("Payoff (%1)").arg(criteria.names[0]));
        if (parameterBox->count() < nWanted) {
            parameterBox->addItem(QString());
            parameterBox->addItem(tr("Weight w"));
        }
        parameterBox->setItemText(2, tr("Second payoff (%1)").arg(criteria.names[1]));
    } else {
        parameterBox->setItemText(0, tr("Payoff"));
    }
    while (parameterBox->count() > nWanted) {
        if (parameterBox->currentIndex() >= nWanted) {
            parameterBox->setCurrentIndex(0);
            rangeFromUser = false;
        }
        parameterBox->removeItem(parameterBox->count() - 1);
    }
}

void CSensitivityPanel::SetDefaultRange(const CTreeIndex &index, int nOption)
{
    double dLow = 0.0;
    double dHigh = 1.0;
    const Parameter parameter = ParameterAt(parameterBox->currentIndex());
    if (parameter == Parameter::Weight) {
        // From 0 to twice the weight, or to 1 from a weight of 0.
        const double dWeight = Document()->GetSettings().criteria.weight;
        dHigh = dWeight > 0 && std::isfinite(dWeight) ? 2 * dWeight : 1.0;
    } else if (parameter != Parameter::Probability) {
        // Half the payoff each way. A payoff of 0 has no half; then half of
        // the largest payoff in the tree sets the scale, or 1 for a tree of
        // zeros.
        const bool bSecond = parameter == Parameter::SecondPayoff;
        const auto payoff = [&index, bSecond](int n) {
            return bSecond ? index.Node(n)->payoff2 : index.Node(n)->payoff;
        };
        const double dPayoff = payoff(nOption);
        double dSpan = std::fabs(dPayoff) / 2;
        if (dSpan == 0)
            for (int n = 0; n < index.Size(); ++n)
                if (index.Type(n) == NodeType::Option && std::isfinite(payoff(n)))
                    dSpan = std::max(dSpan, std::fabs(payoff(n)) / 2);
        if (!(dSpan > 0) || !std::isfinite(dSpan))
            dSpan = 1.0;
        dLow = dPayoff - dSpan;
        dHigh = dPayoff + dSpan;
    }
    ShowDefaultRange(dLow, dHigh);
}

void CSensitivityPanel::Recompute()
{
    ClearBreakEvens();
    ListParameters();
    const QString strProject = Document()->GetProjectName();
    const CTreeIndex index(Document()->GetTree().GetRoot());
    const int nOption = index.IndexOf(option);
    if (nOption < 0 || index.Type(nOption) != NodeType::Option) {
        SetHeading(tr("%1: sensitivity").arg(strProject));
        ShowNote(tr("The option is no longer in the tree."), true);
        return;
    }
    // A probability counts only among the options of a Situation.
    const bool bChance = index.Type(index.Parent(nOption)) == NodeType::Situation;
    if (auto *pModel = qobject_cast<QStandardItemModel *>(parameterBox->model()))
        pModel->item(1)->setEnabled(bChance);
    if (!bChance && parameterBox->currentIndex() == 1) {
        const QSignalBlocker blocker(parameterBox);
        parameterBox->setCurrentIndex(0);
        rangeFromUser = false;
    }
    if (!rangeFromUser)
        SetDefaultRange(index, nOption);
    const Parameter parameter = ParameterAt(parameterBox->currentIndex());
    SetHeading(parameter == Parameter::Weight
                   ? tr("%1: the value of the tree as the weight w moves").arg(strProject)
                   : tr("%1: the value of the tree as the %2 of option %3 moves")
                         .arg(strProject, CSensitivityAnalysis::KindName(parameter),
                              Name(index, nOption)));

    double dLow = 0.0;
    double dHigh = 0.0;
    if (!ReadRange(&dLow, &dHigh))
        return;
    const CTreeEvaluation evaluation(index, Document()->GetSettings().AnalysisRule());
    CSensitivityAnalysis analysis(evaluation);
    SetTable({});
    if (!analysis.Run(nOption, parameter, dLow, dHigh)) {
        ShowNote(analysis.Error(), true);
        return;
    }
    SetTable(analysis.Table(index));
    for (const auto &corner : analysis.Corners())
        if (!std::isfinite(corner.second)) {
            // A file may hold values that are not numbers; no chart can show them.
            ShowNote(tr("The value of the tree is not a number over this range."), true);
            return;
        }
    Draw(analysis, index);
    List(analysis, index);
}

void CSensitivityPanel::Draw(const CSensitivityAnalysis &analysis, const CTreeIndex &index)
{
    QValueAxis *pAxisX = nullptr;
    QValueAxis *pAxisY = nullptr;
    const QString strX =
        analysis.Kind() == Parameter::Weight
            ? parameterBox->currentText()
            : tr("%1 of %2").arg(parameterBox->currentText(), Name(index, analysis.Option()));
    QChart *pChart = NewXYChart(strX, tr("Value of the tree"), &pAxisX, &pAxisY);
    pAxisY->setLabelFormat(AxisFormat());
    pChart->legend()->setShowToolTips(true);
    const auto add = [pChart](QXYSeries *pSeries) { AddXYSeries(pChart, pSeries); };

    // One stretch of the line per choice of the Decision above; a choice that
    // comes back keeps its colour and its one entry in the legend.
    const int nAbove = analysis.DecisionAbove();
    if (nAbove >= 0)
        pChart->setTitle(tr("The line's colour shows what %1 chooses").arg(Name(index, nAbove)));
    const auto corners = analysis.Corners();
    double dMin = corners.front().second;
    double dMax = dMin;
    // An option has the same colour in every chart of its project.
    CChartColours *pColours = CChartColours::Of(Document());
    QMap<int, QColor> colours;
    for (const CSensitivityAnalysis::Region &region : analysis.Regions(nAbove)) {
        auto *pLine = new QLineSeries;
        pLine->setName(nAbove < 0 ? tr("Value of the tree") : Name(index, region.option, false));
        pLine->append(region.from, analysis.ValueAt(region.from));
        for (const auto &[dX, dY] : corners)
            if (dX > region.from && dX < region.to)
                pLine->append(dX, dY);
        pLine->append(region.to, analysis.ValueAt(region.to));
        for (const QPointF &point : pLine->points()) {
            dMin = std::min(dMin, point.y());
            dMax = std::max(dMax, point.y());
        }
        add(pLine);
        QPen pen = pLine->pen();
        pen.setWidth(3);
        if (colours.contains(region.option))
            pChart->legend()->markers(pLine).front()->setVisible(false);
        else
            colours.insert(region.option, region.option < 0
                                              ? QColor(Qt::darkGray)
                                              : pColours->ColourOf(index, region.option));
        pen.setColor(colours.value(region.option));
        pLine->setPen(pen);
    }

    auto *pBreakEvens = new QScatterSeries;
    pBreakEvens->setName(tr("Break-even"));
    pBreakEvens->setMarkerSize(11);
    // Markers in no option's colour, without labels: close ones wrote over
    // one another. The list under the chart gives them left to right.
    pBreakEvens->setColor(Qt::black);
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens())
        pBreakEvens->append(found.parameter, found.value);
    add(pBreakEvens);
    AddNowMarker(pChart, analysis.Current(), analysis.ValueAt(analysis.Current()), analysis.Low(),
                 analysis.High());

    SetLineRanges(pAxisX, pAxisY, analysis.Low(), analysis.High(), dMin, dMax);
    ShowChart(pChart);
}

void CSensitivityPanel::List(const CSensitivityAnalysis &analysis, const CTreeIndex &index)
{
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens()) {
        breakEvens.append(found.parameter);
        breakEvenLines.append(tr("At %1: %2 chooses %3 below, %4 above; value %5")
                                  .arg(NumberAtPrecision(found.parameter, 10),
                                       Name(index, found.decision), Name(index, found.below),
                                       Name(index, found.above), Amount(found.value, 10)));
    }
    QString strNote = analysis.BreakEvens().empty()
                          ? tr("No decision changes its choice between %1 and %2.")
                                .arg(NumberAtPrecision(analysis.Low(), 10),
                                     NumberAtPrecision(analysis.High(), 10))
                      : analysis.BreakEvens().size() == 1
                          ? tr("One break-even point:")
                          : tr("%1 break-even points:").arg(analysis.BreakEvens().size());
    if (!Document()->GetTree().IsProbabilityConsistent())
        strNote += QLatin1Char(' ') + tr("(Some situations' probabilities do not add up to 1; "
                                         "they count as they stand.)");
    ShowBreakEvens();
    ShowNote(strNote);
}
