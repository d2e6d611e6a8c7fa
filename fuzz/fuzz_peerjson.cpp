// Feeds arbitrary bytes to the project reader and sends what it reads through
// a SilverDecisions file and back: the same tree and values, the same bytes
// when written again, and the same tree once more through a project file.
// A reader that builds what the writer cannot carry, or a writer that
// writes what the reader refuses, ends the run.
#include "PeerRoundTrip.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    const QString strFault =
        PeerRoundTrip::Fault(QByteArray(reinterpret_cast<const char *>(pData), int(nSize)));
    if (!strFault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(strFault));
        std::abort();
    }
    return 0;
}
