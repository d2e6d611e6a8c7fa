#include "CRangePanel.h"

#include "NumberPrecision.h"

#include <QChart>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScatterSeries>

using namespace QtCharts;

CRangePanel::CRangePanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    lowEdit = new QLineEdit(this);
    lowEdit->setObjectName(QStringLiteral("lineEditLow"));
    highEdit = new QLineEdit(this);
    highEdit->setObjectName(QStringLiteral("lineEditHigh"));
    // Room for the longest number a range end is shown as, sign and exponent
    // included: a narrower field scrolled the minus sign out of sight.
    const int nWidth =
        lowEdit->fontMetrics().horizontalAdvance(QStringLiteral("-8.888888888e-888")) + 16;
    for (QLineEdit *pEdit : {lowEdit, highEdit}) {
        pEdit->setMinimumWidth(nWidth);
        connect(pEdit, &QLineEdit::editingFinished, this, &CRangePanel::OnRangeEdited);
    }
    // Wrapped, not scrolled sideways: every number can be read in full.
    breakEvenText = new QPlainTextEdit(this);
    breakEvenText->setObjectName(QStringLiteral("plainTextEditBreakEvens"));
    breakEvenText->setReadOnly(true);
    breakEvenText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    breakEvenText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    breakEvenText->setMaximumHeight(110);
    AddBelow(breakEvenText);
}

void CRangePanel::AddRangeControls()
{
    AddControl(new QLabel(tr("from"), this));
    AddControl(lowEdit);
    AddControl(new QLabel(tr("to"), this));
    AddControl(highEdit);
}

void CRangePanel::ShowDefaultRange(double dLow, double dHigh)
{
    lowEdit->setText(NumberAtPrecision(dLow, 10));
    highEdit->setText(NumberAtPrecision(dHigh, 10));
    // A text longer than the field shows its start, where the sign is.
    lowEdit->setCursorPosition(0);
    highEdit->setCursorPosition(0);
}

bool CRangePanel::ReadRange(double *pLow, double *pHigh)
{
    const CTypedNumber low = CTypedNumber::Read(lowEdit->text(), RangeKind());
    const CTypedNumber high = CTypedNumber::Read(highEdit->text(), RangeKind());
    if (!low.IsNumber() || !high.IsNumber()) {
        ShowNote(low.IsNumber() ? high.Refusal() : low.Refusal(), true);
        return false;
    }
    lowRead = lowEdit->text();
    highRead = highEdit->text();
    *pLow = low.ValueOr(0.0);
    *pHigh = high.ValueOr(0.0);
    return true;
}

void CRangePanel::OnRangeEdited()
{
    if (auto *pEdit = qobject_cast<QLineEdit *>(sender())) {
        const CTypedNumber typed = CTypedNumber::Read(pEdit->text(), RangeKind());
        pEdit->setToolTip(typed.Refusal());
        if (!typed.IsNumber()) {
            // The chart stays as drawn, over the range the field held before.
            pEdit->setText(pEdit == lowEdit ? lowRead : highRead);
            ShowNote(typed.Refusal(), false);
            return;
        }
    }
    rangeFromUser = true;
    Refresh();
}

void CRangePanel::ClearBreakEvens()
{
    breakEvens.clear();
    breakEvenLines.clear();
    breakEvenText->clear();
    breakEvenText->hide();
}

void CRangePanel::ShowBreakEvens()
{
    breakEvenText->setPlainText(breakEvenLines.join(QLatin1Char('\n')));
    breakEvenText->setVisible(!breakEvenLines.isEmpty());
}

void CRangePanel::AddNowMarker(QChart *pChart, double dNow, double dValue, double dLow,
                               double dHigh) const
{
    if (!(dNow >= dLow && dNow <= dHigh))
        return;
    auto *pNow = new QScatterSeries;
    pNow->setName(tr("Now: %1").arg(NumberAtPrecision(dNow, 10)));
    pNow->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    pNow->setMarkerSize(11);
    pNow->setColor(Qt::gray);
    pNow->append(dNow, dValue);
    AddXYSeries(pChart, pNow);
}

QStringList CRangePanel::Findings() const
{
    return CAnalysisPanel::Findings() + breakEvenLines;
}
