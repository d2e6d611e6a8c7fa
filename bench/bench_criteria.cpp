// A 10,000-node tree of two criteria: reading it from a project file and
// rolling it back, and its league table (over the first Decision's options,
// as a tree of that size has far more than 1,000 complete strategies).
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CLeagueTable.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "SubtreeWalk.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    CProjectDocument document;
    CProjectSettings settings;
    settings.criteria.two = true;
    settings.criteria.weight = 50;
    document.SetSettings(settings);
    CNode *pRoot = BenchTrees::MakeRealistic(10000);
    int nOption = 0;
    WalkSubtree(pRoot, [&nOption](CNode *pNode) {
        if (pNode->type == NodeType::Option)
            pNode->payoff2 = double(++nOption % 97) * 10.0;
    });
    document.ReplaceTree(pRoot);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strError;
    document.Write(buffer, &strError);
    const QByteArray bytes = buffer.data();
    std::printf("Two criteria, %d nodes, %lld bytes\n", BenchTrees::CountNodes(pRoot),
                static_cast<long long>(bytes.size()));
    BenchMeasure::Measure("open and roll back", 7, [&bytes] {
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        CProjectDocument read;
        read.Read(in);
        return read.GetRoot()->children.front()->expected2;
    });
    BenchMeasure::Measure("league table", 21, [&document] {
        CLeagueTable table(document.GetSettings().criteria);
        table.Run(document.GetTree());
        return double(table.Rows().size());
    });
    return 0;
}
