#include "CAnalysisPanel.h"

#include "CChartExport.h"
#include "CCsvTable.h"
#include "CNode.h"
#include "CSafeFile.h"
#include "NumberPrecision.h"
#include "TextNumber.h"

#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QXYSeries>

#include <cmath>

CAnalysisPanel::CAnalysisPanel(CProjectDocument *pDocument, QWidget *parent)
    : QWidget(parent), document(pDocument)
{
    auto *pLayout = new QVBoxLayout(this);
    heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("labelHeading"));
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    pLayout->addWidget(heading);
    controls = new QHBoxLayout;
    controls->addStretch();
    auto *pSave = new QPushButton(tr("Save Chart..."), this);
    pSave->setObjectName(QStringLiteral("pushButtonSaveChart"));
    controls->addWidget(pSave);
    auto *pCopy = new QPushButton(tr("Copy Table"), this);
    pCopy->setObjectName(QStringLiteral("pushButtonCopyTable"));
    controls->addWidget(pCopy);
    auto *pSaveTable = new QPushButton(tr("Save Table..."), this);
    pSaveTable->setObjectName(QStringLiteral("pushButtonSaveTable"));
    controls->addWidget(pSaveTable);
    pLayout->addLayout(controls);
    chartView = new QtCharts::QChartView(this);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(380, 280);
    pLayout->addWidget(chartView, 1);
    // Dozens of long names would push the chart aside: the legend scrolls
    // beyond a few lines (a saved chart holds it whole).
    legendArea = new QScrollArea(this);
    legendArea->setFrameShape(QFrame::NoFrame);
    legendArea->setWidgetResizable(true);
    legendArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    legendArea->setMaximumHeight(6 * fontMetrics().lineSpacing());
    legend = new QLabel;
    legend->setObjectName(QStringLiteral("labelLegend"));
    legend->setWordWrap(true);
    legend->setTextFormat(Qt::RichText);
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    legendArea->setWidget(legend);
    legendArea->hide();
    pLayout->addWidget(legendArea);
    note = new QLabel(this);
    note->setObjectName(QStringLiteral("labelNote"));
    note->setWordWrap(true);
    pLayout->addWidget(note);
    below = new QVBoxLayout;
    pLayout->addLayout(below);
    connect(pSave, &QPushButton::clicked, this, &CAnalysisPanel::OnSaveChart);
    connect(pCopy, &QPushButton::clicked, this, &CAnalysisPanel::OnCopyTable);
    connect(pSaveTable, &QPushButton::clicked, this, &CAnalysisPanel::OnSaveTable);

    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(0);
    connect(&refreshTimer, &QTimer::timeout, this, &CAnalysisPanel::OnRefreshDue);
    if (pDocument) {
        connect(pDocument, &CProjectDocument::sig_evaluated, this, &CAnalysisPanel::Refresh);
        // Renames and comments change no value.
        connect(pDocument, &CProjectDocument::sig_nodeChanged, this, &CAnalysisPanel::Refresh);
        connect(pDocument, &CProjectDocument::sig_treeReplaced, this, &CAnalysisPanel::Refresh);
        // A rule is evaluated anew; a number format only worded anew.
        connect(pDocument, &CProjectDocument::sig_settingsChanged, this, &CAnalysisPanel::Refresh);
    }
    // The first computation waits until the derived panel is complete.
    Refresh();
}

CAnalysisPanel::Evaluated::Evaluated(const CProjectDocument &document)
    : index(document.GetTree().GetRoot()), evaluation(index, document.GetSettings().AnalysisRule())
{
}

void CAnalysisPanel::Refresh()
{
    refreshTimer.start();
}

void CAnalysisPanel::OnRefreshDue()
{
    shownCount = 0;
    if (!document) {
        ShowNote(tr("The project has been closed."), true);
        return;
    }
    const CCriteria &criteria = document->GetSettings().criteria;
    const QString strCriteria = WeighsTwoCriteria() ? QString() : criteria.AnalysisProblem();
    if (!strCriteria.isEmpty()) {
        SetTable(CAnalysisTable());
        ShowNote(strCriteria, true);
        emit sig_refreshed();
        return;
    }
    Recompute();
    emit sig_refreshed();
}

void CAnalysisPanel::AddControl(QWidget *pControl)
{
    // Before the stretch and the two buttons.
    controls->insertWidget(controls->count() - 3, pControl);
}

void CAnalysisPanel::AddBelow(QWidget *pWidget)
{
    below->addWidget(pWidget);
}

void CAnalysisPanel::ShowChart(QtCharts::QChart *pChart)
{
    // The view gives up the chart before without deleting it.
    QtCharts::QChart *pOld = chartView->chart();
    chartView->setChart(pChart);
    delete pOld;
    ShowLegend({});
}

void CAnalysisPanel::ShowLegend(const QVector<LegendEntry> &entries)
{
    legendNames.clear();
    QStringList items;
    for (const LegendEntry &entry : entries) {
        legendNames << entry.name;
        // A name that fits a line stays on one; a longer one wraps.
        QString strName = entry.name.toHtmlEscaped();
        if (entry.name.size() <= 48)
            strName.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        // A line's sample, then its name; wrapping happens between entries
        // first, and only within a name longer than a line.
        items << QStringLiteral("<span style=\"white-space:nowrap\"><span style=\"color:%1\">"
                                "<b>%2</b></span>&nbsp;</span>%3")
                     .arg(entry.colour.name(),
                          entry.dashed ? QStringLiteral("&#9476;&#9476;&#9476;")
                                       : QStringLiteral("&#9473;&#9473;&#9473;"),
                          strName);
    }
    legend->setText(items.join(QStringLiteral(" &nbsp; &nbsp; ")));
    legendArea->setVisible(!entries.isEmpty());
}

void CAnalysisPanel::ShowNote(const QString &strText, bool bProblem)
{
    note->setText(strText);
    if (bProblem)
        ShowChart(new QtCharts::QChart);
}

void CAnalysisPanel::SetHeading(const QString &strText)
{
    // The analyses of one value follow the combined value of two criteria;
    // each says which.
    const CCriteria *pCriteria = document ? &document->GetSettings().criteria : nullptr;
    if (pCriteria && pCriteria->two && !WeighsTwoCriteria())
        heading->setText(tr("%1 (values: %2)").arg(strText, pCriteria->ValueName()));
    else
        heading->setText(strText);
}

QString CAnalysisPanel::Amount(double dValue, int nPlainDigits) const
{
    // The plain display keeps the digits each panel needs to tell values apart.
    if (!document || document->GetSettings().numbers.IsDefault())
        return NumberAtPrecision(dValue, nPlainDigits);
    return NumberToText(dValue, document->GetSettings().numbers);
}

double CAnalysisPanel::ZeroIfRounding(double dValue, double dRange)
{
    return std::fabs(dValue) < 1e-12 * std::fabs(dRange) ? 0.0 : dValue;
}

void CAnalysisPanel::SetLineRanges(QtCharts::QValueAxis *pAxisX, QtCharts::QValueAxis *pAxisY,
                                   double dLow, double dHigh, double dMin, double dMax)
{
    double dMargin = dMax > dMin ? (dMax - dMin) / 20 : std::max(1.0, std::fabs(dMax) / 10);
    if (!std::isfinite(dMin - dMargin) || !std::isfinite(dMax + dMargin))
        dMargin = 0.0;
    pAxisX->setRange(dLow, dHigh);
    pAxisY->setRange(dMin - dMargin, dMax + dMargin);
    pAxisY->applyNiceNumbers();
}

QString CAnalysisPanel::AxisFormat() const
{
    if (!document)
        return QStringLiteral("%g");
    const NumberFormat &format = document->GetSettings().numbers;
    // The axis fills in one printf number, whose "'" groups its digits.
    auto escaped = [](QString strText) { return strText.replace('%', QStringLiteral("%%")); };
    const QString strGroup = format.grouping ? QStringLiteral("'") : QString();
    const QString strNumber = format.decimals == NumberFormat::AsNeeded
                                  ? QStringLiteral("%%1g").arg(strGroup)
                                  : QStringLiteral("%%1.%2f").arg(strGroup).arg(format.decimals);
    return escaped(format.prefix) + strNumber + escaped(format.suffix);
}

QString CAnalysisPanel::Heading() const
{
    return heading->text();
}

QStringList CAnalysisPanel::Findings() const
{
    return {note->text()};
}

bool CAnalysisPanel::SaveChart(const QString &strPath, QString *pError) const
{
    return CChartExport(chartView, Heading(), Findings(), legendNames.isEmpty() ? nullptr : legend)
        .Save(strPath, pError);
}

void CAnalysisPanel::OnSaveChart()
{
    const QString strPng = tr("PNG image (*.png)");
    const QString strSvg = tr("SVG drawing (*.svg)");
    QString strFilter = strPng;
    QString strPath = QFileDialog::getSaveFileName(
        this, tr("Save Chart"), QString(), strPng + QStringLiteral(";;") + strSvg, &strFilter);
    if (strPath.isEmpty())
        return;
    if (!strPath.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
        !strPath.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        strPath += strFilter == strSvg ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString strError;
    if (!SaveChart(strPath, &strError))
        QMessageBox::warning(this, tr("Save Chart"), strError);
}

namespace {

// Where a number cell keeps its number for spreadsheets.
constexpr int PlainRole = Qt::UserRole + 1;

} // namespace

QString CAnalysisPanel::TableText(const QTableWidget *pTable)
{
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < pTable->columnCount(); ++c)
        cells << (pTable->horizontalHeaderItem(c) ? pTable->horizontalHeaderItem(c)->text()
                                                  : QString());
    lines << cells.join(QLatin1Char('\t'));
    for (int r = 0; r < pTable->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < pTable->columnCount(); ++c) {
            const QTableWidgetItem *pItem = pTable->item(r, c);
            const QVariant plain = pItem ? pItem->data(PlainRole) : QVariant();
            cells << (plain.isValid() ? plain.toString() : pItem ? pItem->text() : QString());
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QTableWidgetItem *CAnalysisPanel::NumberItem(const QString &strShown, double dValue)
{
    auto *pItem = new QTableWidgetItem(strShown);
    pItem->setData(PlainRole, PlainNumber(dValue));
    pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return pItem;
}

void CAnalysisPanel::OnCopyTable()
{
    const QString strText = TableText();
    if (strText.isEmpty())
        QMessageBox::information(this, tr("Copy Table"), tr("This panel has no table to copy."));
    else
        QApplication::clipboard()->setText(strText);
}

QtCharts::QChart *CAnalysisPanel::NewXYChart(const QString &strX, const QString &strY,
                                             QtCharts::QValueAxis **ppX, QtCharts::QValueAxis **ppY)
{
    auto *pChart = new QtCharts::QChart;
    *ppX = new QtCharts::QValueAxis;
    (*ppX)->setTitleText(strX);
    *ppY = new QtCharts::QValueAxis;
    (*ppY)->setTitleText(strY);
    pChart->addAxis(*ppX, Qt::AlignBottom);
    pChart->addAxis(*ppY, Qt::AlignLeft);
    pChart->legend()->setAlignment(Qt::AlignBottom);
    return pChart;
}

void CAnalysisPanel::AddXYSeries(QtCharts::QChart *pChart, QtCharts::QXYSeries *pSeries)
{
    pChart->addSeries(pSeries);
    for (QtCharts::QAbstractAxis *pAxis : pChart->axes())
        pSeries->attachAxis(pAxis);
}

QTableWidget *CAnalysisPanel::AddTable(const QString &strObjectName, const QStringList &headings,
                                       int nMaxHeight)
{
    shownTable = new QTableWidget(0, headings.size(), this);
    shownTable->setObjectName(strObjectName);
    shownTable->setHorizontalHeaderLabels(headings);
    shownTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    shownTable->verticalHeader()->hide();
    shownTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    shownTable->setMaximumHeight(nMaxHeight);
    AddBelow(shownTable);
    return shownTable;
}

QString CAnalysisPanel::TableText() const
{
    if (!analysisTable.header.isEmpty())
        return analysisTable.TabSeparated();
    return shownTable ? TableText(shownTable) : QString();
}

bool CAnalysisPanel::SaveTable(const QString &strPath, QString *pError) const
{
    const QByteArray csv = CCsvTable::FromTabSeparated(
        analysisTable.header.isEmpty() ? TableText() : analysisTable.TabSeparated(false));
    if (csv.isEmpty()) {
        *pError = tr("This panel has no table to save.");
        return false;
    }
    QString strReason;
    if (CSafeFile::Write(strPath, csv, &strReason))
        return true;
    *pError = tr("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(strPath), strReason);
    return false;
}

void CAnalysisPanel::OnSaveTable()
{
    if (TableText().isEmpty()) {
        QMessageBox::information(this, tr("Save Table"), tr("This panel has no table to save."));
        return;
    }
    SaveCsvAs(tr("Save Table"), [this](const QString &strPath, QString *pError) {
        return SaveTable(strPath, pError);
    });
}

void CAnalysisPanel::SaveCsvAs(const QString &strTitle,
                               const std::function<bool(const QString &, QString *)> &fnSave)
{
    QString strPath =
        QFileDialog::getSaveFileName(this, strTitle, QString(), tr("CSV table (*.csv)"));
    if (strPath.isEmpty())
        return;
    if (QFileInfo(strPath).suffix().isEmpty())
        strPath += QStringLiteral(".csv");
    QString strError;
    if (!fnSave(strPath, &strError))
        QMessageBox::warning(this, strTitle, strError);
}
