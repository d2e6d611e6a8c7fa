#pragma once

#include "CProjectSettings.h"

#include <QDialog>

class CCriteriaBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The project's settings: its decision rule and, under
// expected-value-maximization, a risk tolerance (empty for risk-neutral); and
// how its payoffs and values are shown.
class CProjectSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    CProjectSettingsDialog(const CProjectSettings &settings, QWidget *parent = nullptr);

    // The settings as accepted.
    const CProjectSettings &GetSettings() const { return settings; }

public slots:
    void accept() override;

private slots:
    void OnRuleChosen();
    void ShowSample();

private:
    void AddNumbersSection(QLayout *pLayout);
    NumberFormat ChosenFormat() const;

    CProjectSettings settings;
    QComboBox *ruleBox = nullptr;
    QCheckBox *groupingBox = nullptr;
    QComboBox *decimalsBox = nullptr;
    QLineEdit *prefixEdit = nullptr;
    QLineEdit *suffixEdit = nullptr;
    QLabel *sample = nullptr;
    QLineEdit *toleranceEdit = nullptr;
    QLabel *problem = nullptr;
    CCriteriaBox *criteriaBox = nullptr;
};
