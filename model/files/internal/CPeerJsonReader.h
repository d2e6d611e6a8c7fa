#pragma once

#include "CProjectFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <unordered_map>

class CDecisionTree;
class CNode;
class QIODevice;

// Reads one tree of a SilverDecisions file (the JSON of that web tool) into
// a tree of this program: a Root above the file's top node, its code as
// variables, its expressions as formulas, its rule as the project's rule.
// A file that is not of that format, or whose structure is broken, leaves
// the tree untouched and says what is wrong; what the file holds but cannot
// be carried over is listed in the result's notes.
class CPeerJsonReader
{
    Q_DECLARE_TR_FUNCTIONS(CPeerJsonReader)

public:
    // Whether the device's first bytes start JSON (an object or an array),
    // which is what decides between this reader and the project file's.
    static bool LooksLikeJson(QIODevice &device);
    // Tree nTree (from 0) of the file into tree, named by the file's title or
    // else strFallbackTitle. result.opened is false, with errorText, when the
    // file is refused.
    static void Read(const QByteArray &bytes, int nTree, const QString &strFallbackTitle,
                     CDecisionTree &tree, CProjectFile::ReadResult &result);

private:
    // File names to the project's, as seen by one node and what is below it.
    using Scope = std::unordered_map<std::string, std::string>;

    CPeerJsonReader(CDecisionTree &target, CProjectFile::ReadResult &readResult);
    bool ReadFile(const QJsonObject &file, int nTree);
    // Builds the tree below a new Root; false (with the reason) for a
    // structure this program cannot take.
    bool ReadTree(const QJsonObject &top, const std::shared_ptr<const Scope> &fileScope);
    // Options midway between their parent and child, the Root before the top.
    static void PlaceBetween(CNode *pRoot);
    // A node's code: variables of the node and what is below it.
    std::shared_ptr<const Scope> Define(const QString &strCode, const QJsonObject &stored,
                                        const std::shared_ptr<const Scope> &scope);
    void ReadEdge(const QJsonObject &edge, CNode *pOption, bool bChance, const Scope &scope);
    // The text of an input written as a number or an expression, or false.
    // data.payoffNames and the weights of a file of two criteria.
    void ReadCriteria(const QJsonObject &data);
    bool InputText(const QJsonValue &value, std::string *pText);
    std::string Translated(const std::string &strText, const Scope &scope);
    void ReadRule(const QJsonObject &file);
    void ReadRanges(const QJsonObject &file);
    bool Refuse(const QString &strWhy);
    static QString Quoted(const QString &strText);
    void Note(const QString &strNote);

    CDecisionTree &tree;
    CProjectFile::ReadResult &result;
    CVariables variables;
    QString fallbackTitle;
    QStringList unknownFunctions;
    QStringList badCode;
    int missingProbabilities = 0;
    bool twoCriteria = false;
    bool positioned = true;
};
