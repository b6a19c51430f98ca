#ifndef FUZZCOMMON_H
#define FUZZCOMMON_H

// Set-up of the fuzz targets whose readers need the toolkit: an application
// object over the private per-user root of fuzzfiles.h.

#include "fuzzfiles.h"

#include "qt/ymrapplication.h"

namespace fuzz {

inline void start(int *argc, char ***argv)
{
    useRoot();
    static YMRApplication app("ymrOutlays", *argc, *argv);
}

} // namespace fuzz

#define FUZZ_INIT                                                   \
    extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)    \
    {                                                               \
        fuzz::start(argc, argv);                                    \
        return 0;                                                   \
    }

#endif
