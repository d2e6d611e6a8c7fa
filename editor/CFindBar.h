#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class CDecisionTreeWindow;
class CNode;
class QLabel;
class QLineEdit;

// The bar above the projects that finds a node by its name or payoff comment:
// each keystroke goes to the first node holding the text, Enter and F3 to the
// next, Shift+F3 to the previous, Escape closes it.
class CFindBar : public QWidget
{
    Q_OBJECT

public:
    // fnWindow names the project to search, asked anew at every step, so that
    // the bar follows whichever project is in front.
    CFindBar(std::function<CDecisionTreeWindow *()> fnWindow, QWidget *parent);

    // Shows the bar with its text selected for typing over, and goes to the
    // first node holding that text.
    void Open();
    void FindNext() { Go(+1); }
    void FindPrevious() { Go(-1); }
    // "3 of 17", "No match" or nothing, as shown.
    QString CountText() const;

private:
    // nStep 0 goes to the first match, +1 and -1 to the one after or before
    // the node shown last, round the end.
    void Go(int nStep);
    void Close();

    std::function<CDecisionTreeWindow *()> window;
    QLineEdit *field = nullptr;
    QLabel *count = nullptr;
    // Only compared with the nodes found anew, never followed: it may be gone.
    const CNode *current = nullptr;
    // The project searched last, which gets the focus back when the bar closes.
    QPointer<CDecisionTreeWindow> searched;
};
