#pragma once

#include "OptionRow.h"

#include <QDialog>
#include <QVector>

#include <memory>

namespace Ui {
class vxAddNodeDialog;
}

// Asks for a new Decision, Situation or set of Options: a name and a table of
// option rows. It checks nothing; the editor window judges the values later.
class CAddNodeDialog : public QDialog
{
    Q_OBJECT

public:
    // nodeType is a NodeType code: 1 Decision, 2 Situation, 3 Option. Any
    // other code leaves the form as designed.
    CAddNodeDialog(int nodeType, QWidget *parent);
    ~CAddNodeDialog() override;

    QString GetName() const;
    QVector<OptionRow> GetOptionRows() const;

private slots:
    void on_spinBoxOptionNumber_valueChanged(int nValue);
    void on_pushButtonOK_clicked();
    void on_pushButtonCancel_clicked();

private:
    void ApplyMode();
    QString CellText(int nRow, int nColumn) const;

    std::unique_ptr<Ui::vxAddNodeDialog> ui;
    qint32 nodeType;
};
