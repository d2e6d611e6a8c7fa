#pragma once

#include "OptionRow.h"

#include <QDialog>
#include <QVector>

#include <memory>

namespace Ui {
class vxAddNodeDialog;
}
class CVariables;
class QKeyEvent;
class QTableWidgetItem;

// Asks for a new Decision, Situation or set of Options: a name and a table of
// option rows. It sees to it that every number cell reads as the canvas reads
// it, as a number or a formula of the project's variables; the editor window
// judges the values later.
class CAddNodeDialog : public QDialog
{
    Q_OBJECT

public:
    // nodeType is a NodeType code: 1 Decision, 2 Situation, 3 Option. Any
    // other code leaves the form as designed. nOwnerType is the kind of the
    // node that receives options in Option mode: under a Decision they are
    // certain, and no probability is asked for.
    CAddNodeDialog(int nodeType, QWidget *parent, int nOwnerType = -1,
                   const CVariables *pVariables = nullptr);
    ~CAddNodeDialog() override;

    // Keeps what is still being typed into a cell.
    void accept() override;

    QString GetName() const;
    QVector<OptionRow> GetOptionRows() const;

protected:
    bool eventFilter(QObject *pWatched, QEvent *event) override;

private slots:
    void on_spinBoxOptionNumber_valueChanged(int nValue);
    void on_pushButtonOK_clicked();
    void on_pushButtonCancel_clicked();

private:
    void ApplyMode();
    void SizeColumns();
    bool OptionsAreCertain() const;
    QString CellText(int nRow, int nColumn) const;
    // Puts back what a number cell held when its new text does not read, and says why.
    void CheckNumber(QTableWidgetItem *pItem);
    // Why a number cell's text cannot stand; empty when it can.
    QString Refusal(const QString &strText, int nColumn) const;
    // Keeps a cell being typed into open, with its text, when the key that
    // would finish it finds the text refused. True when it did.
    bool RefuseKey(QWidget *pEditor, QKeyEvent *event);

    std::unique_ptr<Ui::vxAddNodeDialog> ui;
    qint32 nodeType;
    qint32 ownerType;
    const CVariables *variables;
    bool refused = false;
};
