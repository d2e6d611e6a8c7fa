#pragma once

#include <QByteArray>

class CSolveReport;

// Renders a report as a JSON document. Nodes form a flat list in file order,
// linked by "id" and "parentId", so that any depth stays flat.
class CSolveReportJson
{
public:
    static QByteArray Render(const CSolveReport &report);
};
