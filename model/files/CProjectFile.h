#pragma once

#include "CProjectSettings.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include "CVariables.h"

#include <vector>

class CDecisionTree;
class QIODevice;

// Reads and writes ".rmproj" project files: the project's name, its variables
// and every node of its tree, with the values of the last rollback and the
// stored positions. Formulas are computed on reading.
class CProjectFile
{
    Q_DECLARE_TR_FUNCTIONS(CProjectFile)

public:
    // How a read went. What was read before an error stays in the tree.
    struct ReadResult
    {
        // False when the file could not be opened; the tree was not touched.
        bool opened = false;
        // True when the document was read to its end without an XML error.
        bool complete = false;
        // "Name" of the project element; null when the file holds none.
        QString projectName;
        // The project's settings; defaults for what the file does not say.
        CProjectSettings settings;
        // Why opening or reading failed, and where reading stopped (from 1).
        QString errorText;
        qint64 errorLine = 0;
        qint64 errorColumn = 0;
        // The path that was read; empty for a device.
        QString filePath;
        // "Node" elements read, and how many of them are in the tree. Nodes
        // that are not (under another Root, below a node of an unknown kind,
        // with a parent the file does not hold) are gone once it is saved.
        qint64 nodesInFile = 0;
        qint64 nodesInTree = 0;
        // What kept formulas from being computed on reading; their nodes and
        // variables keep the numbers the file stored.
        std::vector<CVariables::Problem> formulaProblems;
        // Whether the file is another tool's (a SilverDecisions file), which
        // saving must not overwrite: it may hold more than this one tree.
        bool foreign = false;
        // Trees the file holds, and which of them was read (from 0).
        int treeCount = 1;
        int treeIndex = 0;
        // False when the nodes came without positions: the tree wants arranging.
        bool positioned = true;
        // What the file holds that could not be carried over as it is, one
        // sentence each; the tree opens all the same.
        QStringList notes;

        bool Succeeded() const { return opened && complete; }
        // A sentence for the user naming the file, and the line and column of
        // an XML error; empty when the read succeeded.
        QString Message() const;
        // All formula problems in one message naming the file; empty when
        // there is none.
        QString FormulaMessage() const;
        // The notes in one message naming the file; empty when there is none.
        QString NotesMessage() const;
        // A sentence naming the file, how many of its nodes can be shown and
        // that saving will not keep the others; empty when nNodesShown covers
        // every node of the file.
        QString DroppedNodesMessage(qint64 nNodesShown) const;
        // What keeps the project from being shown as the file holds it, in
        // one message: an incomplete read, no project at all, nodes that
        // cannot be shown (bShown: its tree is shown), formula problems.
        // Empty when there is nothing to say.
        QString ProblemsMessage(bool bHasRoot, bool bShown) const;
    };

    // Replaces the tree's content with the file's: the last Root read becomes
    // the tree's Root (the tree is left empty when the file holds none), and
    // every node that is not reachable from it is freed. Only when the file
    // cannot be opened does the tree keep what it held.
    //
    // A file that starts as JSON is read as a SilverDecisions file instead:
    // its tree nTree (from 0), completely or not at all (then not opened).
    // Every reader of project files comes through here.
    static ReadResult Read(const QString &strPath, CDecisionTree &tree, int nTree = 0);
    // The same from a device, which is opened for reading when it is not open.
    static ReadResult Read(QIODevice &device, CDecisionTree &tree, int nTree = 0);

    // Saves the tree under the project name. The file is replaced only once it
    // has been written completely, so a failed save leaves any earlier file
    // intact. Returns false, with a reason for the user, when the tree has no
    // Root or anything fails.
    static bool Write(const QString &strPath, const CDecisionTree &tree,
                      const QString &strProjectName, QString *pErrorMessage = nullptr);
    // The same bytes to an open device; file devices are flushed so that a
    // full disk shows here.
    static bool Write(QIODevice &device, const CDecisionTree &tree, const QString &strProjectName,
                      QString *pErrorMessage = nullptr);
    // Both with the project's settings.
    static bool Write(const QString &strPath, const CDecisionTree &tree,
                      const QString &strProjectName, const CProjectSettings &settings,
                      QString *pErrorMessage);
    static bool Write(QIODevice &device, const CDecisionTree &tree, const QString &strProjectName,
                      const CProjectSettings &settings, QString *pErrorMessage);

private:
    // strUntitled names a SilverDecisions tree whose file has no title.
    static ReadResult Read(QIODevice &device, CDecisionTree &tree, int nTree,
                           const QString &strUntitled);
};
