#pragma once

#include <QByteArray>
#include <QJsonObject>

class CSolveReport;

// Renders a report as a JSON document. Nodes form a flat list in file order,
// linked by "id" and "parentId", so that any depth stays flat.
class CSolveReportJson
{
public:
    // Keys of extra are added to the document.
    static QByteArray Render(const CSolveReport &report, const QJsonObject &extra = QJsonObject());
};
