#include "CFlipRequest.h"

#include "CFlip.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CTreeIndex.h"

#include <QStringList>
#include <QTextStream>

bool CFlipRequest::Apply(CProjectDocument &document, const QString &strNode, QString *pError)
{
    const CTreeIndex index(document.GetRoot());
    int nFound = CTreeIndex::None;
    if (strNode.startsWith(QLatin1Char('#'))) {
        bool bOk = false;
        nFound = index.FromId(strNode.mid(1).toULongLong(&bOk));
        if (!bOk)
            nFound = CTreeIndex::None;
    } else {
        QStringList ids;
        for (int n = 0; n < index.Size(); ++n)
            if (index.Node(n)->name == strNode.toStdString()) {
                nFound = n;
                ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
            }
        if (ids.size() > 1) {
            *pError = tr("Several nodes are named \"%1\": %2. Name one by its ID.")
                          .arg(strNode, ids.join(QStringLiteral(", ")));
            return false;
        }
    }
    if (nFound == CTreeIndex::None) {
        *pError = tr("The tree has no node %1.")
                      .arg(strNode.startsWith(QLatin1Char('#'))
                               ? strNode
                               : QStringLiteral("named \"%1\"").arg(strNode));
        return false;
    }
    QStringList notes;
    if (!CFlip::Apply(document, const_cast<CNode *>(index.Node(nFound)), pError, &notes)) {
        *pError = tr("%1 cannot be flipped: %2").arg(index.Describe(nFound), *pError);
        return false;
    }
    for (const QString &strNote : notes)
        QTextStream(stderr) << "ramify-solve: " << strNote << "\n";
    return true;
}
