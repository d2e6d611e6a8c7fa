// Writes the example projects into the folder given as the only argument:
//   make-examples examples
#include "CProjectFile.h"
#include "ExampleTrees.h"

#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-examples FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const ExampleTrees::Example &example : ExampleTrees::All()) {
        QString strError;
        if (!CProjectFile::Write(folder.filePath(example.fileName), *example.tree,
                                 example.projectName, &strError)) {
            std::fprintf(stderr, "%s\n", qPrintable(strError));
            return 1;
        }
    }
    return 0;
}
