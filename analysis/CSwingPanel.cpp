#include "CSwingPanel.h"

#include <QDoubleSpinBox>
#include <QLabel>

CSwingPanel::CSwingPanel(CProjectDocument *pDocument, const QString &strAsk, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    percentBox = new QDoubleSpinBox(this);
    percentBox->setObjectName(QStringLiteral("doubleSpinBoxPercent"));
    percentBox->setRange(0.1, 1000);
    percentBox->setDecimals(1);
    percentBox->setSuffix(QStringLiteral(" %"));
    percentBox->setValue(10);
    AddControl(new QLabel(strAsk, this));
    AddControl(percentBox);
    connect(percentBox, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &CSwingPanel::Refresh);
}

double CSwingPanel::Percent() const
{
    return percentBox->value();
}
