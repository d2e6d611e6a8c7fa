#include "CPayoff2GraphicsTextItem.h"

#include "TextNumber.h"

CPayoff2GraphicsTextItem::CPayoff2GraphicsTextItem(QGraphicsItem *pPayoffText, bool bEditable,
                                                   const QColor &textColour)
    : CQEditableGraphicsTextItem(pPayoffText, NumberToText(0.0), false, bEditable),
      colour(textColour), shownText(NumberToText(0.0))
{
    setDefaultTextColor(colour);
}

void CPayoff2GraphicsTextItem::Show(double dValue, const NumberFormat *pFormat,
                                    const QString &strFormula)
{
    value = dValue;
    const QString strText = pFormat ? NumberToText(dValue, *pFormat) : NumberToText(dValue);
    shownText = strText;
    // What is being typed stays; the edit ends by showing the value again.
    if (!hasFocus() && toPlainText() != strText)
        setPlainText(strText);
    if (!editable)
        return;
    QString strEdit = strFormula;
    if (strEdit.isEmpty() && pFormat && NumberToText(dValue) != shownText)
        strEdit = NumberToText(dValue);
    if (EditText() != strEdit)
        SetEditText(strEdit);
}

QString CPayoff2GraphicsTextItem::TakeTyped()
{
    const QString strTyped = toPlainText();
    if (strTyped != shownText)
        setPlainText(shownText);
    return strTyped;
}

void CPayoff2GraphicsTextItem::ShowProblem(const QString &strProblem)
{
    if (strProblem == problem)
        return;
    problem = strProblem;
    setDefaultTextColor(problem.isEmpty() ? colour : QColor(Qt::red));
}
