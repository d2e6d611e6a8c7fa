#include "CProbabilisticSensitivityPanel.h"

#include "CCsvTable.h"
#include "CPsaChart.h"
#include "CSafeFile.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThreadPool>

#include <cmath>

namespace {

// Runs of more draws than this keep no row per iteration.
constexpr int64_t MaxKeptDraws = 20000000;

} // namespace

CProbabilisticSensitivityPanel::CProbabilisticSensitivityPanel(CProjectDocument *pDocument,
                                                               QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    auto *pSettings = new QWidget(this);
    auto *pGrid = new QGridLayout(pSettings);
    pGrid->setContentsMargins(0, 0, 0, 0);
    const auto edit = [&](const char *pName, const QString &strText, int nRow, int nColumn,
                          const QString &strLabel) {
        auto *pEdit = new QLineEdit(strText, pSettings);
        pEdit->setObjectName(QLatin1String(pName));
        pEdit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("10000000000")));
        pGrid->addWidget(new QLabel(strLabel, pSettings), nRow, nColumn);
        pGrid->addWidget(pEdit, nRow, nColumn + 1);
        return pEdit;
    };
    iterationsEdit = edit("lineEditIterations", QStringLiteral("1000"), 0, 0, tr("Iterations:"));
    seedEdit = edit("lineEditSeed", QStringLiteral("1"), 0, 2, tr("Seed:"));
    thresholdEdit = edit("lineEditThreshold", QStringLiteral("0"), 1, 0, tr("Below:"));
    samplingBox = new QComboBox(pSettings);
    samplingBox->setObjectName(QStringLiteral("comboBoxSampling"));
    samplingBox->addItems({tr("Monte Carlo"), tr("Latin hypercube")});
    pGrid->addWidget(samplingBox, 0, 4);
    chartBox = new QComboBox(pSettings);
    chartBox->setObjectName(QStringLiteral("comboBoxChart"));
    chartBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    chartBox->addItems({tr("Histogram"), tr("Cumulative"), tr("Running mean")});
    // With several strategies the cumulative curves read best.
    chartBox->setCurrentIndex(CPsaChart::Cumulative);
    pGrid->addWidget(new QLabel(tr("Chart:"), pSettings), 1, 2);
    pGrid->addWidget(chartBox, 1, 3);
    runButton = new QPushButton(tr("Run"), pSettings);
    runButton->setObjectName(QStringLiteral("pushButtonRun"));
    pGrid->addWidget(runButton, 1, 4);
    cancelButton = new QPushButton(tr("Cancel"), pSettings);
    cancelButton->setObjectName(QStringLiteral("pushButtonCancel"));
    cancelButton->setEnabled(false);
    pGrid->addWidget(cancelButton, 1, 5);
    progressBar = new QProgressBar(pSettings);
    progressBar->setRange(0, 1000);
    pGrid->addWidget(progressBar, 2, 0, 1, 4);
    timeLabel = new QLabel(pSettings);
    timeLabel->setObjectName(QStringLiteral("labelTimeLeft"));
    pGrid->addWidget(timeLabel, 2, 4, 1, 2);
    AddControl(pSettings);

    table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("tableWidgetStrategies"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->setMaximumHeight(180);
    AddBelow(table);
    auto *pSaveIterations = new QPushButton(tr("Save Iterations..."), this);
    pSaveIterations->setObjectName(QStringLiteral("pushButtonSaveIterations"));
    AddBelow(pSaveIterations);

    connect(runButton, &QPushButton::clicked, this, &CProbabilisticSensitivityPanel::Run);
    connect(cancelButton, &QPushButton::clicked, this, &CProbabilisticSensitivityPanel::Cancel);
    connect(pSaveIterations, &QPushButton::clicked, this,
            &CProbabilisticSensitivityPanel::OnSaveIterations);
    connect(chartBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CProbabilisticSensitivityPanel::ShowChartKind);
    ticker.setInterval(100);
    connect(&ticker, &QTimer::timeout, this, &CProbabilisticSensitivityPanel::OnTick);
}

CProbabilisticSensitivityPanel::~CProbabilisticSensitivityPanel()
{
    // The worker holds the job too and ends at its next block.
    Cancel();
}

const CProbabilisticSensitivity *CProbabilisticSensitivityPanel::Results() const
{
    return shown ? &shown->psa : nullptr;
}

QString CProbabilisticSensitivityPanel::TableText() const
{
    return CAnalysisPanel::TableText(table);
}

void CProbabilisticSensitivityPanel::Recompute()
{
    SetHeading(tr("%1: how the value falls when the uncertain variables are drawn")
                   .arg(Document()->GetProjectName()));
    // The first look runs at once; after that an edit only outdates what
    // is shown, since a run may take a while.
    if (!started) {
        started = true;
        Run();
        return;
    }
    if (running)
        runOutdated = true;
    else if (shown && !stale)
        MarkStale();
}

void CProbabilisticSensitivityPanel::MarkStale()
{
    stale = true;
    runButton->setText(tr("Run again"));
    ShowNote(tr("The project has changed since this run: the figures are of the tree as it "
                "was. Run again to bring them up to date."));
}

bool CProbabilisticSensitivityPanel::ReadSettings(CProbabilisticSensitivity::Settings *pSettings,
                                                  QString *pError) const
{
    bool bIterations = false;
    bool bSeed = false;
    bool bThreshold = false;
    pSettings->iterations = iterationsEdit->text().trimmed().toLongLong(&bIterations);
    pSettings->seed = seedEdit->text().trimmed().toULongLong(&bSeed);
    pSettings->threshold = thresholdEdit->text().trimmed().toDouble(&bThreshold);
    pSettings->latinHypercube = samplingBox->currentIndex() == 1;
    *pError = !bIterations  ? tr("The number of iterations must be a whole number.")
              : !bSeed      ? tr("The seed must be a whole number of at least 0.")
              : !bThreshold ? tr("The threshold must be a number.")
                            : CProbabilisticSensitivity::SettingsProblem(*pSettings);
    return pError->isEmpty();
}

void CProbabilisticSensitivityPanel::Run()
{
    Cancel();
    if (!Document())
        return;
    auto job = std::make_shared<Job>();
    QString strProblem;
    if (!ReadSettings(&job->settings, &strProblem) ||
        !(strProblem =
              job->psa.Prepare(Document()->GetTree(), Document()->GetSettings().AnalysisRule()))
             .isEmpty()) {
        shown.reset();
        table->setRowCount(0);
        EndRun(strProblem, true);
        return;
    }
    job->settings.keepDraws = job->settings.iterations * job->psa.UncertainCount() <= MaxKeptDraws;
    running = job;
    runOutdated = false;
    cancelButton->setEnabled(true);
    progressBar->setValue(0);
    timeLabel->clear();
    clock.start();
    ticker.start();
    QThreadPool::globalInstance()->start([job] {
        job->succeeded = job->psa.Run(job->settings, &job->progress);
        job->finished = true;
    });
}

void CProbabilisticSensitivityPanel::Cancel()
{
    if (!running)
        return;
    running->progress.cancel = true;
    running.reset();
    ticker.stop();
    cancelButton->setEnabled(false);
    timeLabel->setText(tr("Cancelled."));
}

void CProbabilisticSensitivityPanel::OnTick()
{
    if (!running)
        return;
    const int64_t nDone = running->progress.done;
    const int64_t nAll = running->settings.iterations;
    progressBar->setValue(int(nDone * 1000 / nAll));
    if (nDone > 0 && nDone < nAll) {
        const double dLeft =
            double(clock.elapsed()) / 1000.0 * double(nAll - nDone) / double(nDone);
        timeLabel->setText(tr("About %1 s left").arg(std::ceil(dLeft)));
    }
    if (!running->finished)
        return;
    shown = running;
    running.reset();
    ticker.stop();
    cancelButton->setEnabled(false);
    progressBar->setValue(1000);
    timeLabel->setText(tr("Done in %1 s").arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    stale = false;
    runButton->setText(tr("Run"));
    ShowResults();
    if (runOutdated)
        MarkStale();
}

void CProbabilisticSensitivityPanel::ShowResults()
{
    const CProbabilisticSensitivity &psa = shown->psa;
    ShowChartKind();
    // With two criteria the EVPI is at the project's weight, one point of
    // the acceptability chart's.
    const QString strIterations =
        tr("%1 iterations, seed %2.").arg(psa.GetSettings().iterations).arg(psa.GetSettings().seed);
    QString strNote = psa.TwoCriteria() && !psa.Criteria().WeightIsInfinite()
                          ? tr("%1 Expected value of perfect information at w = %2: %3.")
                                .arg(strIterations, NumberAtPrecision(psa.Criteria().weight, 6),
                                     Amount(psa.Evpi(), 6))
                          : tr("%1 Expected value of perfect information: %2.")
                                .arg(strIterations, Amount(psa.Evpi(), 6));
    if (psa.Failed() > 0)
        strNote += QLatin1Char(' ') + tr("%1 iterations failed and are left out; the first: %2")
                                          .arg(psa.Failed())
                                          .arg(psa.FirstFailure());
    if (psa.StrategyCount() > CPsaChart::MaxShown)
        strNote += QLatin1Char(' ') + tr("The chart shows the first %1 strategies; the table "
                                         "lists all %2.")
                                          .arg(CPsaChart::MaxShown)
                                          .arg(psa.StrategyCount());
    EndRun(strNote, psa.Failed() == psa.GetSettings().iterations);
}

void CProbabilisticSensitivityPanel::ShowTable(bool bAcceptability)
{
    const CProbabilisticSensitivity &psa = shown->psa;
    const CAnalysisTable contents =
        bAcceptability ? psa.AcceptabilityTable(CProbabilisticSensitivity::AcceptabilitySteps)
                       : psa.Table();
    // The summary's shares of iterations come before the means of two
    // criteria; the curve's between w and the EVPI.
    const int nLastShare = bAcceptability      ? contents.header.size() - 2
                           : psa.TwoCriteria() ? contents.header.size() - 3
                                               : contents.header.size() - 1;
    const int nFirstShare = bAcceptability ? 1 : nLastShare - 1;
    table->setColumnCount(contents.header.size());
    table->setHorizontalHeaderLabels(contents.header);
    table->setRowCount(int(contents.rows.size()));
    for (int r = 0; r < int(contents.rows.size()); ++r) {
        const QStringList &cells = contents.rows[size_t(r)];
        if (!bAcceptability)
            table->setItem(r, 0, new QTableWidgetItem(cells.front()));
        for (int c = bAcceptability ? 0 : 1; c < cells.size(); ++c) {
            const double dValue = cells.at(c).isEmpty() ? qQNaN() : cells.at(c).toDouble();
            // Shares, weights and the criteria are plain; values, the EVPI
            // among them, go in the project's format.
            const bool bShare = c >= nFirstShare && c <= nLastShare;
            const bool bPlain = (bAcceptability && c == 0) || (!bAcceptability && c > nLastShare);
            table->setItem(r, c,
                           cells.at(c).isEmpty()
                               ? new QTableWidgetItem
                               : NumberItem(bShare   ? NumberAtPrecision(dValue, 4)
                                            : bPlain ? NumberAtPrecision(dValue, 6)
                                                     : Amount(dValue, 6),
                                            dValue));
        }
    }
}

void CProbabilisticSensitivityPanel::ShowChartKind()
{
    if (!shown)
        return;
    // Two criteria add their charts; a run of one takes them away.
    const bool bTwo = shown->psa.TwoCriteria();
    {
        const QSignalBlocker blocker(chartBox);
        if (bTwo && chartBox->count() == CPsaChart::Acceptability)
            chartBox->addItems({tr("Acceptability by w"), tr("Plane of the criteria")});
        if (!bTwo && chartBox->count() > CPsaChart::Acceptability) {
            if (chartBox->currentIndex() >= CPsaChart::Acceptability)
                chartBox->setCurrentIndex(CPsaChart::Cumulative);
            while (chartBox->count() > CPsaChart::Acceptability)
                chartBox->removeItem(chartBox->count() - 1);
        }
    }
    const bool bFailed = shown->psa.Failed() == shown->psa.GetSettings().iterations;
    ShowTable(bTwo && !bFailed && chartBox->currentIndex() == CPsaChart::Acceptability);
    if (bFailed)
        return;
    QVector<CPsaChart::Line> lines;
    ShowChart(CPsaChart::Make(shown->psa, CPsaChart::Kind(chartBox->currentIndex()), AxisFormat(),
                              &lines, [this](double dValue) { return Amount(dValue, 6); }));
    QVector<LegendEntry> entries;
    for (const CPsaChart::Line &line : lines)
        entries.append({line.name, line.colour, line.dashed});
    ShowLegend(entries);
}

void CProbabilisticSensitivityPanel::EndRun(const QString &strNote, bool bProblem)
{
    ShowNote(strNote, bProblem);
    emit sig_runEnded();
}

bool CProbabilisticSensitivityPanel::SaveIterations(const QString &strPath, QString *pError) const
{
    if (!shown || shown->psa.GetSettings().keepDraws == false) {
        *pError = tr("There is no run whose iterations were kept.");
        return false;
    }
    const CAnalysisTable iterations = shown->psa.IterationTable();
    QString strReason;
    if (CSafeFile::Write(strPath, CCsvTable::Write(iterations.header, iterations.rows), &strReason))
        return true;
    *pError = tr("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(strPath), strReason);
    return false;
}

void CProbabilisticSensitivityPanel::OnSaveIterations()
{
    SaveCsvAs(tr("Save Iterations"), [this](const QString &strPath, QString *pError) {
        return SaveIterations(strPath, pError);
    });
}
