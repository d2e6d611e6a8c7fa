#pragma once

#include <QByteArray>
#include <QString>

class CSpiderAnalysis;
class CTreeIndex;
class CTwoWayAnalysis;

// Renders ramify-solve's analyses of several inputs: the two-way grid as JSON
// or as a map of letters, the spider chart's lines as JSON or a table.
class CTwoWayReport
{
public:
    static QByteArray TwoWayJson(const CTwoWayAnalysis &analysis, const CTreeIndex &index,
                                 const QString &strProject, const QString &strFile);
    static QString TwoWayText(const CTwoWayAnalysis &analysis, const CTreeIndex &index,
                              const QString &strProject, const QString &strFile);
    static QByteArray SpiderJson(const CSpiderAnalysis &spider, const CTreeIndex &index,
                                 const QString &strProject, const QString &strFile);
    static QString SpiderText(const CSpiderAnalysis &spider, const CTreeIndex &index,
                              const QString &strProject, const QString &strFile);
};
