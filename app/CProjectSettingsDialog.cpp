#include "CProjectSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

CProjectSettingsDialog::CProjectSettingsDialog(const CDecisionRule &currentRule, QWidget *parent)
    : QDialog(parent), rule(currentRule)
{
    setWindowTitle(tr("Project Settings"));
    ruleBox = new QComboBox(this);
    ruleBox->setObjectName(QStringLiteral("comboBoxRule"));
    ruleBox->addItems(CDecisionRule::Names());
    ruleBox->setCurrentIndex(int(rule.GetKind()));
    toleranceEdit = new QLineEdit(this);
    toleranceEdit->setObjectName(QStringLiteral("lineEditRiskTolerance"));
    toleranceEdit->setPlaceholderText(tr("empty: risk-neutral"));
    if (rule.HasRiskTolerance())
        toleranceEdit->setText(QString::number(rule.RiskTolerance(), 'g', 17));
    problem = new QLabel(this);
    problem->setObjectName(QStringLiteral("labelProblem"));
    problem->setWordWrap(true);
    auto *pForm = new QFormLayout;
    pForm->addRow(tr("Decision rule:"), ruleBox);
    pForm->addRow(tr("Risk tolerance:"), toleranceEdit);
    auto *pExplain = new QLabel(
        tr("A decision takes the largest or the smallest of its options' values (the rule's "
           "first word); a situation their average by probability, or the smallest or largest "
           "of those whose probability counts. A risk tolerance R replaces averages by certainty "
           "equivalents of the utility 1 - e^(-x/R); it needs expected-value-maximization."),
        this);
    pExplain->setWordWrap(true);
    auto *pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pExplain);
    pLayout->addWidget(problem);
    pLayout->addWidget(pButtons);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CProjectSettingsDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CProjectSettingsDialog::reject);
    connect(ruleBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CProjectSettingsDialog::OnRuleChosen);
    OnRuleChosen();
}

void CProjectSettingsDialog::OnRuleChosen()
{
    toleranceEdit->setEnabled(ruleBox->currentIndex() == CDecisionRule::ExpectedValueMaximization);
}

void CProjectSettingsDialog::accept()
{
    CDecisionRule chosen(CDecisionRule::Kind(ruleBox->currentIndex()));
    const QString strTolerance = toleranceEdit->text().trimmed();
    if (toleranceEdit->isEnabled() && !strTolerance.isEmpty()) {
        // Both the C and the user's own way of writing numbers are taken.
        bool bNumber = false;
        double dTolerance = strTolerance.toDouble(&bNumber);
        if (!bNumber)
            dTolerance = QLocale().toDouble(strTolerance, &bNumber);
        QString strError;
        if (!bNumber || !(dTolerance > 0.0) || !chosen.SetRiskTolerance(dTolerance, &strError)) {
            problem->setText(strError.isEmpty() ? tr("The risk tolerance must be a number above 0.")
                                                : strError);
            toleranceEdit->setFocus();
            return;
        }
    }
    rule = chosen;
    QDialog::accept();
}
