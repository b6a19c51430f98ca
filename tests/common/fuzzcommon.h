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

// The readers' limits lowered to lengths the fuzzer's inputs reach, so that
// lines and files near them (and one byte over) are explored.
const int LineLimit = 256;
const qint64 FileLimit = 2048;

// The longest line of bytes, carriage return before a line feed not counted.
inline int longestLine(const QByteArray &bytes)
{
    int longest = 0, start = 0;
    while (start <= bytes.size()) {
        int end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        int len = end - start;
        if (len > 0 && end < bytes.size() && bytes.at(end - 1) == '\r')
            --len;
        else if (len > 0 && end == bytes.size() && bytes.at(end - 1) == '\r')
            --len;
        longest = qMax(longest, len);
        start = end + 1;
    }
    return longest;
}

} // namespace fuzz

#define FUZZ_INIT                                                   \
    extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)    \
    {                                                               \
        fuzz::start(argc, argv);                                    \
        return 0;                                                   \
    }

#endif
