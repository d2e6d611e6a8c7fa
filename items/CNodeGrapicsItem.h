#pragma once

#include "CQEditableGraphicsTextItem.h"
#include "NodeStyle.h"

#include <QList>
#include <QMap>
#include <QMenu>
#include <QPainterPath>

#include <memory>
#include <vector>

class CNode;
struct NumberFormat;
class CTypedNumber;
class CPayoff2GraphicsTextItem;
class CProbabilityGraphicsTextItem;
class CQGraphicsArrowLineItem;

// The one canvas item of a node: its outline behind its name, its probability,
// payoff or value texts, and its context menu. Edits are written straight into
// the node and announced; the item never solves and never changes the tree.
class CNodeGrapicsItem : public CQEditableGraphicsTextItem
{
    Q_OBJECT

public:
    // Style rows by node kind; a kind without a row gets NodeStyle's defaults.
    static const QMap<int, NodeStyle> nodeStyles;

    CNodeGrapicsItem(CNode *pNode, QGraphicsItem *parent, bool bEditable);
    ~CNodeGrapicsItem() override;

    CNode *GetNode() const { return node; }
    QMenu *GetMenu();
    CQGraphicsArrowLineItem *GetArrow() const;
    void SetArrow(CQGraphicsArrowLineItem *pArrow);
    // The arrows that leave this item, which it redraws itself where it moves,
    // is renamed or its arrows' exit moves: connections of their own cost
    // every arrow five, a large part of opening a large tree.
    void AddOutgoing(CQGraphicsArrowLineItem *pArrow);
    void RemoveOutgoing(CQGraphicsArrowLineItem *pArrow);

    void SetProbability(double dProbability);
    void SetPayoff(double dPayoff);
    // In a project of two criteria a node shows a second number under its
    // payoff or value (bOn): an option's second payoff, typed as the first
    // is, or a node's second expected criterion. Off, the node has none.
    void ShowSecondPayoff(bool bOn);
    bool ShowsSecondPayoff() const { return Payoff2Item() != nullptr; }
    // The second number shown; nothing when none is.
    void SetPayoff2(double dValue);
    // Values set from now on change their texts' strings at once and their
    // sizes, and the arrows leaving past them, only at CatchUpValueGeometry:
    // for nodes out of sight when thousands of values change.
    void DeferValueGeometry();
    void CatchUpValueGeometry();
    // How payoffs and values are shown; the format outlives the item (null:
    // the plain display). The text shown is worded again.
    void SetNumberFormat(const NumberFormat *pFormat);
    void SetNodePos(int nX, int nY, bool bBlockSignals);
    void SetProbabilityError(bool bOn);
    // Takes the node's formulas, shown while their texts are edited, and
    // what keeps each from being computed (empty for nothing): such a text
    // is flagged in red, with the reason in its tool tip.
    void ShowFormulas(const QString &strPayoffProblem, const QString &strProbabilityProblem,
                      const QString &strPayoff2Problem = QString());
    // Says why a text typed for the payoff or probability was refused.
    void RefuseTyped(bool bProbability, const QString &strWhy);
    // The same for the second payoff.
    void RefuseTypedPayoff2(const QString &strWhy);
    void EmitValueSignals();
    void PrepareGeometryChange();

    // Ends the edit of pCurrent, one of this node's texts, and edits the next
    // (bForward) or previous editable one, round in a circle: name,
    // probability, payoff, second payoff. False when pCurrent is none of them.
    bool EditNextText(const QGraphicsItem *pCurrent, bool bForward);

    // The tool tip over pPart, this item or one of its texts, worded from the
    // node when asked: what is wrong over "Error Value!", elsewhere the node
    // in words with its payoff comment.
    QString ToolTipFor(const QGraphicsItem *pPart) const;

    // Middles of the left and right edges, in item coordinates.
    QPointF LeftAnchor() const;
    QPointF RightAnchor() const;
    // Where the arrows to the children turn towards them: on the centre line,
    // past every text of the node, which they would otherwise run through.
    QPointF ExitAnchor() const;
    // The item with every text it shows, in item coordinates. The place of
    // the probability warning counts even while it is hidden: it comes and
    // goes with edits elsewhere, and must find room when it shows.
    QRectF OutlineRect() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

signals:
    void sig_nameChanged();
    void sig_probabilityChanged();
    void sig_payoffChanged();
    void sig_contextMenu(CNodeGrapicsItem *pItem, int nAction);
    void sig_menuAboutToShow();
    void sig_focusOut(const QString &strOldName, double dOldProbability, double dOldPayoff);
    // A typed probability or payoff did not read as a number; the text and the
    // node are back at the value from before, and no edit is reported.
    void sig_numberRefused(const QString &strWhy);
    // A typed payoff or probability that is no number, to be read as a
    // formula (or refused) by whoever knows the variables. The text shows
    // the value from before again, and the node holds it.
    void sig_formulaTyped(bool bProbability, const QString &strText);
    // A second payoff typed: a number or a formula, to be read (or refused)
    // by whoever knows the variables. The text shows the value from before
    // until the node takes the new one.
    void sig_payoff2Typed(const QString &strText);
    // The value shown under a Decision or Situation changed its width, and
    // with it where the arrows leave (ExitAnchor).
    void sig_exitMoved();

public slots:
    virtual void OnContentChanged();
    virtual void OnFocusOut(const QString &strOldValue);
    virtual void OnContextMenu();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    // Connects the item to whoever answers its signals (CNodeItemWiring, the
    // scene), once, before it first sends one that may be heard. Every signal
    // the window hears is sent after this.
    void AboutToSignal() override;
    void PositionChanging(QPointF pntNewPos) override;
    bool ConnectPart(CQEditableGraphicsTextItem *pPart) override;

private:
    // Redraws the arrows in and out of this item (bIncoming) or out of it only.
    void RedrawArrows(bool bIncoming);
    // Sends sig_exitMoved, and redraws the arrows that leave.
    void ExitMoved();
    void CreateValueTexts();
    CPayoff2GraphicsTextItem *Payoff2Item() const { return payoff2Item; }
    void ShowPayoff2(CPayoff2GraphicsTextItem *pText, double dValue);
    void PlaceValueTexts();
    // Shows strText as the payoff, and tells the arrows when they must leave elsewhere.
    void SetPayoffText(const QString &strText);
    void FillMenu();
    bool HasAnchors() const;
    // The number a payoff text stands for: the exact value when the text is
    // the one last shown for it, else what the text reads as.
    CTypedNumber PayoffFromText(const QString &strText) const;
    void Refuse(const QGraphicsItem *pText, const QString &strWhy);
    // Whether edits of the value texts are written into the node.
    bool IsListening() const;
    // Whether the payoff text is the node's own payoff, typed and written
    // into it; a Decision's or Situation's shows a value the rollback
    // writes, which may be a criterion other than the payoff.
    bool PayoffIsInput() const;
    void ShowTextColours();
    void AskForFormula(bool bProbability, const QString &strText);
    // What an edit of the payoff starts from: its formula, else the plain
    // number where the project's format words it otherwise.
    void UpdatePayoffEditText();

    CNode *node = nullptr;
    NodeStyle style;
    CProbabilityGraphicsTextItem *probabilityItem = nullptr;
    CQEditableGraphicsTextItem *payoffItem = nullptr;
    // Below payoffItem, which owns it; only in a project of two criteria.
    CPayoff2GraphicsTextItem *payoff2Item = nullptr;
    CQEditableGraphicsTextItem *errorItem = nullptr;
    // The window may delete the arrow before this item: each arrow removes
    // itself from its items as it goes, and they forget it as they go.
    CQGraphicsArrowLineItem *arrow = nullptr;
    std::vector<CQGraphicsArrowLineItem *> outgoing;
    // Made when it is first wanted: on a large tree most menus are never
    // opened, and a menu with its eight actions takes several kilobytes.
    std::unique_ptr<QMenu> menu;
    bool menuPending = false;
    // Whether the scene has connected this item's signals, and the item its
    // own name's, which it hears from the end of its making (AboutToSignal).
    bool connected = false;
    bool nameConnected = false;
    // Whether a text of this item has been connected to it (ConnectPart).
    bool partsConnected = false;
    bool listening = false;
    // The payoff text is rounded (12345.678 shows as 12345.7); reading that
    // text back must not replace the value behind it.
    double shownPayoff = 0.0;
    QString shownPayoffText;
    // The payoff text holds what was typed, not shownPayoffText.
    bool payoffTyped = false;
    const NumberFormat *numberFormat = nullptr;
    bool valueGeometryWaits = false;
    // Why the last typed number in refusedText was refused; its tool tip until
    // the next edit of this node is taken.
    QString refusal;
    const QGraphicsItem *refusedText = nullptr;
    // Why the payoff's or probability's formula cannot be computed.
    QString payoffProblem;
    QString probabilityProblem;
};
