// The platform's category file reads arbitrary bytes: ids stay unique and
// positive, every label keeps its id through a save, and new labels get
// fresh ids.
#include "fuzzcommon.h"

#include "qpe/categories.h"

#include <QSet>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::root().filePath(QStringLiteral("categories"));
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    Categories cats;
    cats.load(path);
    cats.addCategory(QStringLiteral("app"), QStringLiteral("fresh label"));
    cats.addGlobalCategory(QStringLiteral("fresh global"));
    if (!cats.save(path))
        abort();
    const QByteArray first = fuzz::readFile(path);
    Categories again;
    if (!again.load(path) || again.count() != cats.count())
        fuzz::finding("labels lost through a save", first);
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
