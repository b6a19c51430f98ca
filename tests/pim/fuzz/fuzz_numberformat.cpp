// Number-format codes of any text render values of every kind.
#include "fuzzcommon.h"

#include "pim/formatnumber.h"

#include <cmath>
#include <cstring>
#include <limits>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    double fromInput = 0;
    if (size >= sizeof fromInput) {
        memcpy(&fromInput, data, sizeof fromInput);
        data += sizeof fromInput;
        size -= sizeof fromInput;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const int cut = text.indexOf(QLatin1Char('\n'));
    const QString code = cut < 0 ? text : text.left(cut);
    const QString currency = cut < 0 ? QString() : text.mid(cut + 1);
    const double values[] = {fromInput, 0.0, -0.0, 1234.5, -1234.5, 0.005, 1e15, -1e300,
                             std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                             std::nan(""), std::numeric_limits<double>::infinity()};
    for (double v : values)
        formatNumber(v, code, currency);
    return 0;
}
