// Writes the example projects into the folder given as the only argument,
// arranged as Arrange Tree lays them out:
//   make-examples examples
// The arrangement measures the texts as the editor draws them, so this tool
// needs the editor and a (offscreen) widget platform; the fonts installed by
// scripts/install-deps.sh give the committed layout.
#include "CDecisionTreeWindow.h"
#include "CProjectFile.h"
#include "ExampleTrees.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-examples FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir scratch;
    for (const ExampleTrees::Example &example : ExampleTrees::All()) {
        const QString strPlain = scratch.filePath(example.fileName);
        CDecisionTreeWindow window(nullptr, QString());
        QString strError;
        bool bDone = CProjectFile::Write(strPlain, *example.tree, example.projectName, &strError) &&
                     window.LoadProject(strPlain, &strError);
        if (bDone) {
            window.ArrangeTree();
            bDone = CProjectFile::Write(folder.filePath(example.fileName), window.GetTree(),
                                        example.projectName, &strError);
        }
        if (!bDone) {
            std::fprintf(stderr, "%s\n", qPrintable(strError));
            return 1;
        }
    }
    return 0;
}
