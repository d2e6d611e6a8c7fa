#pragma once

#include "CCriteria.h"

#include <QGroupBox>

class QComboBox;
class QLineEdit;

// The criteria of Project Settings: checked for a project that weighs two,
// each named, with a unit, maximised or minimised, and the weight w of
// criterion 1 with the range the league table marks.
class CCriteriaBox : public QGroupBox
{
    Q_OBJECT

public:
    CCriteriaBox(const CCriteria &criteria, QWidget *parent);

    // The criteria as typed; false, with a sentence for the user, when they
    // cannot be used.
    bool Chosen(CCriteria *pCriteria, QString *pProblem) const;

private:
    QLineEdit *names[2] = {};
    QLineEdit *units[2] = {};
    QComboBox *goals[2] = {};
    QLineEdit *weight = nullptr;
    QLineEdit *lower = nullptr;
    QLineEdit *upper = nullptr;
};
