#pragma once

#include "CDecisionRule.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// The project's settings: its decision rule and, under
// expected-value-maximization, a risk tolerance (empty for risk-neutral).
class CProjectSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    CProjectSettingsDialog(const CDecisionRule &rule, QWidget *parent = nullptr);

    // The settings as accepted.
    CDecisionRule GetRule() const { return rule; }

public slots:
    void accept() override;

private slots:
    void OnRuleChosen();

private:
    CDecisionRule rule;
    QComboBox *ruleBox = nullptr;
    QLineEdit *toleranceEdit = nullptr;
    QLabel *problem = nullptr;
};
