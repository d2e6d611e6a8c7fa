#include "CCriteriaBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>

#include <cmath>

namespace {

QString WeightText(double dWeight)
{
    return std::isinf(dWeight) ? QStringLiteral("inf") : QString::number(dWeight, 'g', 17);
}

// A weight as typed: a number in the C or the user's own way, or "inf".
bool ReadWeight(const QString &strText, double *pWeight)
{
    const QString strTrimmed = strText.trimmed();
    if (strTrimmed.compare(QLatin1String("inf"), Qt::CaseInsensitive) == 0 ||
        strTrimmed.compare(QLatin1String("infinity"), Qt::CaseInsensitive) == 0) {
        *pWeight = CCriteria::Infinite;
        return true;
    }
    bool bNumber = false;
    *pWeight = strTrimmed.toDouble(&bNumber);
    if (!bNumber)
        *pWeight = QLocale().toDouble(strTrimmed, &bNumber);
    return bNumber;
}

} // namespace

CCriteriaBox::CCriteriaBox(const CCriteria &criteria, QWidget *parent)
    : QGroupBox(tr("Two criteria"), parent)
{
    setObjectName(QStringLiteral("groupBoxCriteria"));
    setCheckable(true);
    setChecked(criteria.two);
    auto *pForm = new QFormLayout(this);
    for (int n = 0; n < 2; ++n) {
        names[n] = new QLineEdit(criteria.names[n], this);
        names[n]->setObjectName(QStringLiteral("lineEditCriterion%1").arg(n + 1));
        units[n] = new QLineEdit(criteria.units[n], this);
        units[n]->setObjectName(QStringLiteral("lineEditUnit%1").arg(n + 1));
        units[n]->setPlaceholderText(tr("unit, e.g. QALY or $"));
        goals[n] = new QComboBox(this);
        goals[n]->setObjectName(QStringLiteral("comboBoxGoal%1").arg(n + 1));
        goals[n]->addItems({tr("maximised"), tr("minimised")});
        goals[n]->setCurrentIndex(criteria.maximise[n] ? 0 : 1);
        pForm->addRow(tr("Criterion %1:").arg(n + 1), names[n]);
        pForm->addRow(tr("Unit:"), units[n]);
        pForm->addRow(QString(), goals[n]);
    }
    weight = new QLineEdit(WeightText(criteria.weight), this);
    weight->setObjectName(QStringLiteral("lineEditWeight"));
    weight->setToolTip(tr("What one unit of criterion 1 is worth in units of criterion 2; "
                          "\"inf\" puts criterion 1 first."));
    lower = new QLineEdit(WeightText(criteria.weightLower), this);
    upper = new QLineEdit(WeightText(criteria.weightUpper), this);
    pForm->addRow(tr("Weight w of criterion 1:"), weight);
    pForm->addRow(tr("Range of w from:"), lower);
    pForm->addRow(tr("to:"), upper);
}

bool CCriteriaBox::Chosen(CCriteria *pCriteria, QString *pProblem) const
{
    CCriteria chosen = *pCriteria;
    chosen.two = isChecked();
    for (int n = 0; n < 2; ++n) {
        chosen.names[n] = names[n]->text().trimmed();
        chosen.units[n] = units[n]->text().trimmed();
        chosen.maximise[n] = goals[n]->currentIndex() == 0;
    }
    if (!ReadWeight(weight->text(), &chosen.weight) ||
        !ReadWeight(lower->text(), &chosen.weightLower) ||
        !ReadWeight(upper->text(), &chosen.weightUpper)) {
        *pProblem = tr("The weight and its range must be numbers (or \"inf\").");
        return !chosen.two;
    }
    *pProblem = chosen.Problem();
    if (!pProblem->isEmpty())
        return false;
    // A project of one criterion keeps what was typed for later, unused.
    *pCriteria = chosen;
    return true;
}
