#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

// The user guide in a window of the program itself: no browser is needed,
// and the links inside the guide lead from one part of it to another.
class CHelpWindow : public QDialog
{
    Q_OBJECT

public:
    CHelpWindow(const QString &strGuide, QWidget *parent);

    // Where the guide may be: beside the program (a build folder, Windows),
    // then in the data folder of an installation.
    static QStringList GuidePlaces();
    // The first of those that can be read, or empty.
    static QString FindGuide();

private:
    // Selects the next place holding the search text, from the top again
    // after the last; says so when there is none.
    void FindNext(bool bFromTop);

    class QLineEdit *searchField = nullptr;
    class QTextBrowser *browser = nullptr;
};
