// The platform's category file reads arbitrary bytes: a file taken keeps
// every label and its id through a save, ids stay unique and positive, and
// new labels get fresh ids; a file not taken is kept byte for byte under
// its aside name, never written over.
#include "fuzzcommon.h"

#include "qpe/boundedfile.h"
#include "qpe/categories.h"

#include <QSet>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("categories"));
    const QString aside = BoundedFile::asideName(path);
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::writeFile(path, bytes);
    Categories cats;
    const bool taken = cats.load(path);
    if (taken != !QFile::exists(aside) || (!taken && fuzz::readFile(aside) != bytes))
        fuzz::finding("a file not taken was not kept whole", bytes, fuzz::readFile(aside));
    // each run's copy goes: the next run sets aside under the same name
    // again, never under a numbered one (of which there are only so many)
    QFile::remove(aside);
    const int loaded = cats.count();
    cats.addCategory(QStringLiteral("app"), QStringLiteral("fresh label"));
    cats.addGlobalCategory(QStringLiteral("fresh global"));
    if (!cats.save(path))
        abort();
    const QByteArray first = fuzz::readFile(path);
    Categories again;
    if (!again.load(path) || again.count() != cats.count() || again.count() < loaded)
        fuzz::finding("labels lost through a save", bytes, first);
    QSet<int> ids;
    for (const QString &app : {QStringLiteral("app"), QStringLiteral("other")}) {
        for (const QString &label : again.labels(app)) {
            const int id = again.id(app, label);
            if (id <= 0 || again.label(app, id) != label)
                fuzz::finding("a label without its own positive id", first, label.toUtf8());
            ids.insert(id);
        }
    }
    if (!again.save(path) || fuzz::readFile(path) != first)
        fuzz::finding("save -> load -> save changed the categories", first, fuzz::readFile(path));
    return 0;
}
