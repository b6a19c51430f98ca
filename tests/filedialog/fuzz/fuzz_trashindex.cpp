// A trash folder's "index.idx" is written by another program. Whatever its
// bytes, the detail view lists at most one row per complete record, and
// every chosen path stays inside the trash folder.
#include "fuzzcommon.h"

#include "filedialog/sfilelistview.h"
#include "filedialog/ymfileview.h"

#include <QDir>
#include <QFileInfo>

namespace {
// the smallest record: two empty texts, four numbers, two date-times
const int SmallestRecord = 2 * 4 + 4 * 4 + 2 * 8;
}

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString trash = QDir::cleanPath(fuzz::root().filePath(QStringLiteral("trash")));
    static YMFileView *view = [] {
        QDir().mkpath(trash);
        fuzz::writeFile(trash + QStringLiteral("/.ymrtrash"), QByteArray());
        auto *v = new YMFileView(false);
        v->setMultiSelection(true);
        return v;
    }();
    fuzz::writeFile(trash + QStringLiteral("/index.idx"), fuzz::bytesOf(data, size));
    view->setDir(trash);
    SFileListView *list = view->listView();
    if (list->folderMode() != SFileListView::TrashFolder)
        fuzz::finding("the trash folder is not recognised");
    if (list->childCount() > int(size) / SmallestRecord)
        fuzz::finding("more rows than records", QByteArray::number(list->childCount()));
    view->selectAll();
    QStringList paths;
    view->selection(paths);
    for (const QString &path : qAsConst(paths)) {
        const QFileInfo fi(path);
        if (fi.path() != trash || fi.fileName().isEmpty() || fi.fileName() == QLatin1String("..")
            || fi.fileName() == QLatin1String("."))
            fuzz::finding("a chosen path leaves the trash folder", path.toUtf8());
    }
    return 0;
}
