// A data list reads arbitrary bytes; the list saved reads back the same.
#include "fuzzcommon.h"

#include "pim/ymrpim.h"

FUZZ_INIT

// A list too large to save stays pending for its path, for the retry: the
// input after one that left it has a list of its own.
int s_list = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QStringLiteral("fuzzlist%1").arg(s_list);
    YMRPIM::setMaxListSize(fuzz::FileLimit);
    QFile::remove(YMRPIM::userListPath(name) + ".damaged");
    fuzz::writeFile(YMRPIM::userListPath(name), fuzz::bytesOf(data, size));
    const QStringList list = YMRPIM::loadList(name);
    // a list over the limit is set aside, whole
    if (qint64(size) > fuzz::FileLimit
        && (!list.isEmpty() || fuzz::readFile(YMRPIM::userListPath(name) + ".damaged") != fuzz::bytesOf(data, size)))
        fuzz::finding("a list over the limit was read", fuzz::bytesOf(data, size));
    // a list that reads is written back no larger: a failed save is one
    // over the limit
    if (!YMRPIM::saveList(name, list)) {
        if (list.join('\n').toUtf8().size() <= fuzz::FileLimit)
            abort();
        QFile::remove(YMRPIM::userListPath(name));
        QFile::remove(YMRPIM::userListPath(name) + ".damaged");
        ++s_list;
        return 0;
    }
    const QStringList again = YMRPIM::loadList(name);
    if (again != list)
        fuzz::finding("a saved list reads back otherwise", list.join('\n').toUtf8(),
                      again.join('\n').toUtf8());
    return 0;
}
