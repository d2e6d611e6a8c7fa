#pragma once

#include "CAnalysisPanel.h"
#include "CProbabilisticSensitivity.h"

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// Probabilistic sensitivity analysis beside a project: the run goes on in a
// worker thread with progress, the time left and Cancel, while the project
// stays editable. An edit makes the results shown stale, and they say so
// until the user runs again; they are never silently of another tree.
class CProbabilisticSensitivityPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    explicit CProbabilisticSensitivityPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);
    ~CProbabilisticSensitivityPanel() override;

    QString TableText() const override;
    // One row per iteration, every draw and every strategy's value, as CSV.
    bool SaveIterations(const QString &strPath, QString *pError) const;
    // The results on screen, or null; and whether an edit has outdated them.
    const CProbabilisticSensitivity *Results() const;
    bool IsStale() const { return stale; }
    bool IsRunning() const { return bool(running); }

signals:
    // A run has ended: finished, cancelled or refused.
    void sig_runEnded();

public slots:
    // Starts a run with the settings typed, cancelling one under way.
    void Run();
    void Cancel();

protected:
    void Recompute() override;

private slots:
    void OnTick();
    void OnSaveIterations();
    void ShowChartKind();

private:
    // What a run shares with its worker thread; kept alive by both.
    struct Job
    {
        CProbabilisticSensitivity psa;
        CProbabilisticSensitivity::Settings settings;
        CProbabilisticSensitivity::Progress progress;
        std::atomic<bool> finished{false};
        bool succeeded = false;
    };
    bool ReadSettings(CProbabilisticSensitivity::Settings *pSettings, QString *pError) const;
    void ShowResults();
    // The table under the chart: the acceptability curve with its EVPI
    // beside its chart, which Copy Table then gives; else each strategy's
    // summary.
    void ShowTable(bool bAcceptability);
    void MarkStale();
    void EndRun(const QString &strNote, bool bProblem);

    QLineEdit *iterationsEdit = nullptr;
    QLineEdit *seedEdit = nullptr;
    QLineEdit *thresholdEdit = nullptr;
    QComboBox *samplingBox = nullptr;
    QComboBox *chartBox = nullptr;
    QPushButton *runButton = nullptr;
    QPushButton *cancelButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *timeLabel = nullptr;
    QTableWidget *table = nullptr;
    QTimer ticker;
    QElapsedTimer clock;
    std::shared_ptr<Job> running;
    std::shared_ptr<Job> shown;
    bool started = false;
    bool stale = false;
    // An edit came while the run went on, on the tree as it was before.
    bool runOutdated = false;
};
