#include "CProjectSettingsDialog.h"

#include "CCriteriaBox.h"
#include "NumberPrecision.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include <algorithm>

CProjectSettingsDialog::CProjectSettingsDialog(const CProjectSettings &current, QWidget *parent)
    : QDialog(parent), settings(current)
{
    const CDecisionRule &rule = settings.rule;
    setWindowTitle(tr("Project Settings"));
    ruleBox = new QComboBox(this);
    ruleBox->setObjectName(QStringLiteral("comboBoxRule"));
    ruleBox->addItems(CDecisionRule::Names());
    ruleBox->setCurrentIndex(int(rule.GetKind()));
    toleranceEdit = new QLineEdit(this);
    toleranceEdit->setObjectName(QStringLiteral("lineEditRiskTolerance"));
    toleranceEdit->setPlaceholderText(tr("empty: risk-neutral"));
    if (rule.HasRiskTolerance())
        toleranceEdit->setText(NumberAtPrecision(rule.RiskTolerance(), 17));
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
    criteriaBox = new CCriteriaBox(settings.criteria, this);
    pLayout->addWidget(criteriaBox);
    AddNumbersSection(pLayout);
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
    QString strProblem;
    if (!criteriaBox->Chosen(&settings.criteria, &strProblem)) {
        problem->setText(strProblem);
        return;
    }
    settings.rule = chosen;
    settings.numbers = ChosenFormat();
    QDialog::accept();
}

void CProjectSettingsDialog::AddNumbersSection(QLayout *pLayout)
{
    const NumberFormat &format = settings.numbers;
    groupingBox = new QCheckBox(tr("Group digits (1,234,567)"), this);
    groupingBox->setObjectName(QStringLiteral("checkBoxGrouping"));
    groupingBox->setChecked(format.grouping);
    decimalsBox = new QComboBox(this);
    decimalsBox->setObjectName(QStringLiteral("comboBoxDecimals"));
    decimalsBox->addItem(tr("As needed"), NumberFormat::AsNeeded);
    for (int n = 0; n <= NumberFormat::MaxDecimals; ++n)
        decimalsBox->addItem(QString::number(n), n);
    decimalsBox->setCurrentIndex(std::max(0, decimalsBox->findData(format.decimals)));
    prefixEdit = new QLineEdit(format.prefix, this);
    prefixEdit->setObjectName(QStringLiteral("lineEditPrefix"));
    suffixEdit = new QLineEdit(format.suffix, this);
    suffixEdit->setObjectName(QStringLiteral("lineEditSuffix"));
    // Room for a currency or a unit, not for a sentence beside every number.
    for (QLineEdit *pEdit : {prefixEdit, suffixEdit}) {
        pEdit->setMaxLength(12);
        pEdit->setPlaceholderText(tr("none"));
        connect(pEdit, &QLineEdit::textChanged, this, &CProjectSettingsDialog::ShowSample);
    }
    sample = new QLabel(this);
    sample->setObjectName(QStringLiteral("labelSample"));
    auto *pForm = new QFormLayout;
    pForm->addRow(groupingBox);
    pForm->addRow(tr("Decimals:"), decimalsBox);
    pForm->addRow(tr("Prefix:"), prefixEdit);
    pForm->addRow(tr("Suffix:"), suffixEdit);
    pForm->addRow(tr("Shown as:"), sample);
    auto *pGroup = new QGroupBox(tr("Numbers"), this);
    pGroup->setLayout(pForm);
    pLayout->addWidget(pGroup);
    connect(groupingBox, &QCheckBox::toggled, this, &CProjectSettingsDialog::ShowSample);
    connect(decimalsBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CProjectSettingsDialog::ShowSample);
    ShowSample();
}

NumberFormat CProjectSettingsDialog::ChosenFormat() const
{
    NumberFormat format;
    format.grouping = groupingBox->isChecked();
    format.decimals = decimalsBox->currentData().toInt();
    format.prefix = prefixEdit->text();
    format.suffix = suffixEdit->text();
    return format;
}

void CProjectSettingsDialog::ShowSample()
{
    sample->setText(NumberToText(1234567.5, ChosenFormat()) + QStringLiteral("   ") +
                    NumberToText(-0.25, ChosenFormat()));
}
