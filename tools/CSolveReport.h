#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class CDecisionTree;
class CVariables;
class CNode;

// What ramify-solve tells about a solved tree, gathered once for both the text
// and the JSON output. Nodes carry the numbers the project file would give them.
class CSolveReport
{
public:
    struct Row
    {
        const CNode *node = nullptr;
        quint32 id = 0;
        quint32 parentId = 0;
        int depth = 0;
        bool lastChild = true;
        // On the path the editor draws red: from the Root down through active options.
        bool chosenPath = false;
        double value = 0.0;
    };

    struct Choice
    {
        const Row *decision = nullptr;
        const Row *option = nullptr; // null when no option is chosen
    };

    struct Imbalance
    {
        const Row *situation = nullptr;
        double sum = 0.0;
    };

    // The tree must have a Root and stay unchanged while the report is used.
    CSolveReport(const CDecisionTree &tree, const QString &strProjectName,
                 const QString &strFilePath);
    // Choices and imbalances point into rows.
    CSolveReport(const CSolveReport &) = delete;
    CSolveReport &operator=(const CSolveReport &) = delete;

    QString projectName;
    QString filePath;
    // The project's variables, with the values the nodes were computed from.
    const CVariables *variables = nullptr;
    // The nodes carry two expected criteria beside the combined value.
    bool twoCriteria = false;
    // Rows in file order (breadth-first); displayOrder holds indexes into it
    // in depth-first order, the order of an indented listing.
    std::vector<Row> rows;
    std::vector<size_t> displayOrder;
    std::vector<Choice> choices;
    std::vector<Imbalance> imbalances;

    double RootValue() const { return rows.front().value; }
    bool IsConsistent() const { return imbalances.empty(); }
    static const char *KindName(int nType);

private:
    void NumberNodes(const CNode *pRoot);
    void OrderForDisplay();
    void CollectChoicesAndSums();
};
