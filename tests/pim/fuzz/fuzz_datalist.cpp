// A data list reads arbitrary bytes; the list saved reads back the same.
#include "fuzzcommon.h"

#include "pim/ymrpim.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QStringLiteral("fuzzlist");
    fuzz::writeFile(YMRPIM::userListPath(name), fuzz::bytesOf(data, size));
    const QStringList list = YMRPIM::loadList(name);
    if (!YMRPIM::saveList(name, list))
        abort();
    const QStringList again = YMRPIM::loadList(name);
    if (again != list)
        fuzz::finding("a saved list reads back otherwise", list.join('\n').toUtf8(),
                      again.join('\n').toUtf8());
    return 0;
}
