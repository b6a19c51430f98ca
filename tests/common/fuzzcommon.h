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
    // never destroyed: at exit Qt's own globals (its font cache's) may go
    // first, and what they hold would then be reported as leaked
    static YMRApplication *app = new YMRApplication("ymrOutlays", *argc, *argv);
    Q_UNUSED(app)
}

} // namespace fuzz

#define FUZZ_INIT                                                   \
    extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)    \
    {                                                               \
        fuzz::start(argc, argv);                                    \
        return 0;                                                   \
    }

#endif
