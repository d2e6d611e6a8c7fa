// Typed numbers in every number format, as NumberChecks.h says; a fault
// ends the run.
#include "NumberChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    const QString strFault =
        NumberChecks::Fault(QByteArray(reinterpret_cast<const char *>(pData), int(nSize)));
    if (!strFault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(strFault));
        std::abort();
    }
    return 0;
}
