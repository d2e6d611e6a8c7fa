// Feeds arbitrary text to the formulas, as FormulaChecks.h says; nothing may
// crash, hang or leak, and a fault ends the run.
#include "FormulaChecks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    const QString strFault = FormulaChecks::Fault(
        std::string(reinterpret_cast<const char *>(pData), std::min<size_t>(nSize, 512)));
    if (!strFault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(strFault));
        std::abort();
    }
    return 0;
}
