#pragma once

#include <QByteArray>
#include <QJsonObject>

#include <functional>

class CSolveReport;

// Renders a report as a JSON document. Nodes form a flat list in file order,
// linked by "id" and "parentId", so that any depth stays flat.
class CSolveReportJson
{
public:
    // Takes the document piece by piece, in order.
    using Sink = std::function<void(const QByteArray &)>;

    // Keys of extra are added to the document.
    static QByteArray Render(const CSolveReport &report, const QJsonObject &extra = QJsonObject());
    // The same bytes, handed to sink a few hundred nodes at a time: a
    // million nodes print some 330 MB, which are never held at once.
    static void Write(const CSolveReport &report, const QJsonObject &extra, const Sink &sink);
};
