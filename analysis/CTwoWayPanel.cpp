#include "CTwoWayPanel.h"

#include "CChartColours.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CStrategyMapItem.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CTypedNumber.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;
using Parameter = CSensitivityAnalysis::Parameter;

namespace {

QString Name(const CTreeIndex &index, int n)
{
    if (n < 0)
        return CTwoWayPanel::tr("nothing");
    const QString strName = QString::fromStdString(index.Node(n)->name);
    return strName.isEmpty() ? QStringLiteral("#%1").arg(CTreeIndex::IdOf(n)) : strName;
}

} // namespace

CTwoWayPanel::CTwoWayPanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    auto *pPicker = new QWidget(this);
    auto *pGrid = new QGridLayout(pPicker);
    pGrid->setContentsMargins(0, 0, 0, 0);
    int nRow = 0;
    for (auto [pAxis, strLabel, strName] : {std::tuple{&axisX, tr("Across:"), QStringLiteral("X")},
                                            std::tuple{&axisY, tr("Up:"), QStringLiteral("Y")}}) {
        pAxis->box = new QComboBox(pPicker);
        pAxis->box->setObjectName(QStringLiteral("comboBoxInput") + strName);
        pAxis->box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        pAxis->box->setMinimumContentsLength(18);
        pAxis->low = new QLineEdit(pPicker);
        pAxis->low->setObjectName(QStringLiteral("lineEditLow") + strName);
        pAxis->high = new QLineEdit(pPicker);
        pAxis->high->setObjectName(QStringLiteral("lineEditHigh") + strName);
        pGrid->addWidget(new QLabel(strLabel, pPicker), nRow, 0);
        pGrid->addWidget(pAxis->box, nRow, 1);
        pGrid->addWidget(new QLabel(tr("from"), pPicker), nRow, 2);
        pGrid->addWidget(pAxis->low, nRow, 3);
        pGrid->addWidget(new QLabel(tr("to"), pPicker), nRow, 4);
        pGrid->addWidget(pAxis->high, nRow, 5);
        connect(pAxis->box, qOverload<int>(&QComboBox::activated), this,
                &CTwoWayPanel::OnInputChosen);
        for (QLineEdit *pEdit : {pAxis->low, pAxis->high})
            connect(pEdit, &QLineEdit::editingFinished, this, &CTwoWayPanel::OnRangeEdited);
        ++nRow;
    }
    AddControl(pPicker);
}

void CTwoWayPanel::ChooseInputs(int nX, int nY)
{
    axisX.box->setCurrentIndex(nX);
    axisY.box->setCurrentIndex(nY);
    axisX.rangeFromUser = false;
    axisY.rangeFromUser = false;
    Refresh();
}

void CTwoWayPanel::OnInputChosen()
{
    auto *pBox = qobject_cast<QComboBox *>(sender());
    (pBox == axisY.box ? axisY : axisX).rangeFromUser = false;
    Refresh();
}

void CTwoWayPanel::OnRangeEdited()
{
    Axis &axis = sender() == axisY.low || sender() == axisY.high ? axisY : axisX;
    auto *pEdit = qobject_cast<QLineEdit *>(sender());
    const CTypedNumber typed = CTypedNumber::Read(pEdit->text(), CTypedNumber::Kind::Amount);
    pEdit->setToolTip(typed.Refusal());
    if (!typed.IsNumber()) {
        // The map stays as drawn, over the range the field held before.
        pEdit->setText(pEdit == axis.low ? axis.lowRead : axis.highRead);
        ShowNote(typed.Refusal(), false);
        return;
    }
    axis.rangeFromUser = true;
    Refresh();
}

void CTwoWayPanel::FillChoices(const CTreeIndex &index)
{
    // The tornado's inputs, so both analyses offer the same.
    const CTreeEvaluation evaluation(index, Document()->GetSettings().AnalysisRule());
    std::vector<Choice> fresh;
    for (const CTornado::Bar &input : CTornado(evaluation).Inputs(&Document()->GetTree())) {
        Choice choice;
        choice.option = input.option < 0 ? nullptr : index.Node(input.option);
        choice.kind = input.kind;
        choice.variable = input.variable;
        choice.current = input.current;
        choice.label = CTornado::Describe(index, input.option, input.kind, input.variable);
        fresh.push_back(choice);
    }
    for (Axis *pAxis : {&axisX, &axisY}) {
        const int nOld = pAxis->box->currentIndex();
        const Choice before =
            nOld >= 0 && size_t(nOld) < choices.size() ? choices[size_t(nOld)] : Choice();
        const QSignalBlocker blocker(pAxis->box);
        pAxis->box->clear();
        for (const Choice &choice : fresh)
            pAxis->box->addItem(choice.label);
        const auto found = std::find(fresh.begin(), fresh.end(), before);
        // A new project starts with the first two inputs.
        int nNew = int(found - fresh.begin());
        if (found == fresh.end()) {
            nNew = std::min(pAxis == &axisX ? 0 : 1, int(fresh.size()) - 1);
            pAxis->rangeFromUser = false;
        }
        pAxis->box->setCurrentIndex(nNew);
    }
    choices = std::move(fresh);
}

void CTwoWayPanel::SetDefaultRange(Axis *pAxis, const Choice &choice)
{
    // Half the value each way, 0 to 1 for a probability, and 1 each way for
    // a value of 0, which has no half.
    double dLow = 0.0;
    double dHigh = 1.0;
    if (choice.option == nullptr || choice.kind != Parameter::Probability) {
        double dSpan = std::fabs(choice.current) / 2;
        if (!(dSpan > 0) || !std::isfinite(dSpan))
            dSpan = 1.0;
        dLow = choice.current - dSpan;
        dHigh = choice.current + dSpan;
    }
    pAxis->low->setText(NumberAtPrecision(dLow, 10));
    pAxis->high->setText(NumberAtPrecision(dHigh, 10));
    pAxis->low->setCursorPosition(0);
    pAxis->high->setCursorPosition(0);
}

bool CTwoWayPanel::ReadAxis(Axis *pAxis, const CTreeIndex &index, double *pLow, double *pHigh,
                            int *pOption, std::string *pVariable, Parameter *pKind)
{
    const Choice &choice = choices[size_t(pAxis->box->currentIndex())];
    if (!pAxis->rangeFromUser)
        SetDefaultRange(pAxis, choice);
    const auto kind = choice.option && choice.kind == Parameter::Probability
                          ? CTypedNumber::Kind::Probability
                          : CTypedNumber::Kind::Amount;
    const CTypedNumber low = CTypedNumber::Read(pAxis->low->text(), kind);
    const CTypedNumber high = CTypedNumber::Read(pAxis->high->text(), kind);
    if (!low.IsNumber() || !high.IsNumber()) {
        ShowNote(low.IsNumber() ? high.Refusal() : low.Refusal(), true);
        return false;
    }
    pAxis->lowRead = pAxis->low->text();
    pAxis->highRead = pAxis->high->text();
    *pLow = low.ValueOr(0.0);
    *pHigh = high.ValueOr(0.0);
    *pOption = choice.option ? index.IndexOf(choice.option) : -1;
    *pVariable = choice.variable;
    *pKind = choice.kind;
    return true;
}

void CTwoWayPanel::Recompute()
{
    SetTable({});
    findings.clear();
    map = nullptr;
    const QString strProject = Document()->GetProjectName();
    SetHeading(tr("%1: what the first decision chooses as two inputs move").arg(strProject));
    const CTreeIndex index(Document()->GetTree().GetRoot());
    const QString strShape = index.ShapeProblem();
    if (!strShape.isEmpty()) {
        ShowNote(strShape, true);
        return;
    }
    FillChoices(index);
    if (choices.size() < 2) {
        ShowNote(tr("The tree needs two inputs to move: payoffs, probabilities or variables."),
                 true);
        return;
    }
    CTwoWayAnalysis::Input x;
    CTwoWayAnalysis::Input y;
    if (!ReadAxis(&axisX, index, &x.low, &x.high, &x.option, &x.variable, &x.kind) ||
        !ReadAxis(&axisY, index, &y.low, &y.high, &y.option, &y.variable, &y.kind))
        return;
    CTwoWayAnalysis analysis(Document()->GetTree(), Document()->GetSettings().AnalysisRule());
    if (!analysis.Run(x, y)) {
        ShowNote(analysis.Error(), true);
        return;
    }
    for (const CTwoWayAnalysis::Point &point : analysis.Grid())
        if (!std::isfinite(point.value)) {
            ShowNote(tr("The value of the tree is not a number somewhere on the grid."), true);
            return;
        }
    SetTable(analysis.Table(index));
    SetShownCount(int(analysis.Grid().size()));
    Draw(analysis, index);
}

void CTwoWayPanel::Draw(const CTwoWayAnalysis &analysis, const CTreeIndex &index)
{
    const CTwoWayAnalysis::Input &x = analysis.X();
    const CTwoWayAnalysis::Input &y = analysis.Y();
    const int nDecision = analysis.Decision();
    QValueAxis *pAxisX = nullptr;
    QValueAxis *pAxisY = nullptr;
    QChart *pChart = NewXYChart(CTwoWayAnalysis::Describe(index, x),
                                CTwoWayAnalysis::Describe(index, y), &pAxisX, &pAxisY);
    pAxisX->setRange(x.low, x.high);
    pAxisY->setRange(y.low, y.high);
    const auto add = [pChart](QXYSeries *pSeries) { AddXYSeries(pChart, pSeries); };
    // Spans the plot: the map is drawn in its coordinates.
    auto *pFrame = new QLineSeries;
    pFrame->append(x.low, y.low);
    pFrame->append(x.high, y.high);
    pFrame->setPen(Qt::NoPen);
    add(pFrame);
    pChart->legend()->markers(pFrame).front()->setVisible(false);

    CChartColours *pColours = CChartColours::Of(Document());
    for (int nOption : analysis.ChosenOptions()) {
        // Only for the legend: the map draws the regions.
        auto *pKey = new QScatterSeries;
        pKey->setName(Name(index, nOption));
        pKey->setColor(pColours->ColourOf(index, nOption).lighter(130));
        add(pKey);
    }
    bool bInconsistent = false;
    for (const CTwoWayAnalysis::Point &point : analysis.Grid())
        bInconsistent = bInconsistent || !point.consistent;
    if (bInconsistent) {
        auto *pKey = new QScatterSeries;
        pKey->setName(tr("Probabilities do not add up"));
        pKey->setBrush(QBrush(Qt::darkGray, Qt::BDiagPattern));
        add(pKey);
    }
    if (nDecision >= 0)
        pChart->setTitle(tr("The colour shows what \"%1\" chooses").arg(Name(index, nDecision)));

    const auto colour = [&](int nOption) {
        return nOption < 0 ? QColor(Qt::lightGray)
                           : pColours->ColourOf(index, nOption).lighter(130);
    };
    std::vector<CStrategyMapItem::Band> bands(size_t(analysis.Steps()) + 1);
    std::vector<CStrategyMapItem::Boundary> boundaries;
    const int nSteps = analysis.Steps();
    // The first Decision's changes of choice along each row.
    std::vector<std::vector<CSensitivityAnalysis::BreakEven>> changes;
    for (const CTwoWayAnalysis::Row &row : analysis.Rows()) {
        changes.emplace_back();
        for (const CSensitivityAnalysis::BreakEven &found : row.breakEvens)
            if (found.decision == nDecision)
                changes.back().push_back(found);
    }
    for (int j = 0; j <= nSteps; ++j) {
        CStrategyMapItem::Band &band = bands[size_t(j)];
        band.y = analysis.At(0, j).y;
        band.colours.push_back(colour(analysis.At(0, j).chosen));
        for (const CSensitivityAnalysis::BreakEven &found : changes[size_t(j)]) {
            band.edges.push_back({found.parameter, found.parameter, found.parameter});
            band.colours.push_back(colour(found.above));
        }
    }
    // A change that the next row makes too, between the same options, is one
    // boundary: joined, and the regions' edges meet it halfway.
    for (int j = 0; j < nSteps; ++j) {
        const auto &here = changes[size_t(j)];
        const auto &next = changes[size_t(j) + 1];
        for (size_t k = 0; k < here.size(); ++k)
            for (size_t m = 0; m < next.size(); ++m)
                if (next[m].below == here[k].below && next[m].above == here[k].above) {
                    const double dHalfway = (here[k].parameter + next[m].parameter) / 2;
                    bands[size_t(j)].edges[k].above = dHalfway;
                    bands[size_t(j) + 1].edges[m].below = dHalfway;
                    boundaries.push_back({QPointF(here[k].parameter, bands[size_t(j)].y),
                                          QPointF(next[m].parameter, bands[size_t(j) + 1].y)});
                    break;
                }
    }
    for (int j = 0; j <= nSteps; ++j) {
        CStrategyMapItem::Band &band = bands[size_t(j)];
        for (int i = 0; i <= nSteps; ++i) {
            const CTwoWayAnalysis::Point &point = analysis.At(i, j);
            band.points.emplace_back(point.x, point.consistent);
            band.texts.push_back(
                tr("%1 = %2\n%3 = %4\nValue of the tree: %5\n%6")
                    .arg(CTwoWayAnalysis::Describe(index, x), NumberAtPrecision(point.x, 10),
                         CTwoWayAnalysis::Describe(index, y), NumberAtPrecision(point.y, 10),
                         NumberAtPrecision(point.value, 10))
                    .arg(!point.consistent ? tr("The probabilities do not add up to 1 here.")
                         : nDecision < 0
                             ? QString()
                             : tr("\"%1\" chooses \"%2\"")
                                   .arg(Name(index, nDecision), Name(index, point.chosen))));
        }
    }

    auto *pNow = new QScatterSeries;
    pNow->setName(tr("Now: %1, %2")
                      .arg(NumberAtPrecision(analysis.CurrentX(), 10),
                           NumberAtPrecision(analysis.CurrentY(), 10)));
    pNow->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    pNow->setMarkerSize(12);
    pNow->setColor(Qt::black);
    pNow->setBorderColor(Qt::white);
    if (analysis.CurrentX() >= x.low && analysis.CurrentX() <= x.high &&
        analysis.CurrentY() >= y.low && analysis.CurrentY() <= y.high)
        pNow->append(analysis.CurrentX(), analysis.CurrentY());
    add(pNow);

    map = new CStrategyMapItem(pChart, pFrame);
    map->SetMap(std::move(bands), std::move(boundaries), x.low, x.high, y.low, y.high);
    ShowChart(pChart);

    size_t nBreakEvens = 0;
    for (const CTwoWayAnalysis::Row &row : analysis.Rows())
        for (const CSensitivityAnalysis::BreakEven &found : row.breakEvens)
            if (found.decision == nDecision) {
                ++nBreakEvens;
                findings << tr("At %1 = %2, %3 = %4: \"%5\" chooses \"%6\" below, \"%7\" above")
                                .arg(CTwoWayAnalysis::Describe(index, y),
                                     NumberAtPrecision(row.y, 10),
                                     CTwoWayAnalysis::Describe(index, x),
                                     NumberAtPrecision(found.parameter, 10),
                                     Name(index, found.decision), Name(index, found.below),
                                     Name(index, found.above));
            }
    QString strNote = nDecision < 0 ? tr("The tree has no decision; the map shows where it is "
                                         "consistent.")
                                    : tr("%1 options chosen, %2 exact boundary points on %3 rows.")
                                          .arg(analysis.ChosenOptions().size())
                                          .arg(nBreakEvens)
                                          .arg(nSteps + 1);
    if (bInconsistent)
        strNote += QLatin1Char(' ') +
                   tr("Hatched: the probabilities do not lie within 0 and 1 and add up to 1.");
    ShowNote(strNote);
    findings.prepend(strNote);
}

QString CTwoWayPanel::TextAt(const QPointF &position) const
{
    return map ? map->TextAt(position) : QString();
}

std::vector<std::pair<double, std::vector<double>>> CTwoWayPanel::MapChanges() const
{
    std::vector<std::pair<double, std::vector<double>>> rows;
    if (map)
        for (const CStrategyMapItem::Band &band : map->Bands()) {
            rows.push_back({band.y, {}});
            for (const CStrategyMapItem::Edge &edge : band.edges)
                rows.back().second.push_back(edge.centre);
        }
    return rows;
}
