// The file dialog's settings file ("ymrFileDialog") can be edited by hand.
// Whatever it holds, the bookmark list the dialog saves reads back as the
// same list, and a dialog that changes nothing writes the same bytes.
#include "fuzzcommon.h"

#include "filedialog/ymfiledialog.h"
#include "qpe/config.h"

#include <QDateTime>
#include <QDir>

namespace {

// The settings reader keeps a parsed file while its size and time stay the
// same: each file the target writes or reads back gets a time of its own.
void newTime(const QString &path)
{
    static QDateTime t(QDate(2001, 1, 1), QTime(0, 0));
    t = t.addSecs(1);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(t, QFileDevice::FileModificationTime))
        abort();
}

} // namespace

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString settings = Config::configFileName(QStringLiteral("ymrFileDialog"));
    static const QString start = fuzz::root().filePath(QStringLiteral("start"));
    QDir().mkpath(start);
    QDir().mkpath(QFileInfo(settings).path());
    fuzz::writeFile(settings, fuzz::bytesOf(data, size));
    newTime(settings);
    QStringList saved;
    {
        YMFileDialog dialog(start, QString(), false, false, QString());
        saved = dialog.bookmarks();
        if (saved.contains(QString()))
            fuzz::finding("an empty bookmark", saved.join('\n').toUtf8());
        // adding the current folder writes the settings
        dialog.newBookmark();
        saved = dialog.bookmarks();
    }
    const QByteArray first = fuzz::readFile(settings);
    newTime(settings);
    {
        YMFileDialog dialog(start, QString(), false, false, QString());
        if (dialog.bookmarks() != saved)
            fuzz::finding("the saved bookmarks read back otherwise", saved.join('\n').toUtf8(),
                          dialog.bookmarks().join('\n').toUtf8());
        dialog.newBookmark();
    }
    const QByteArray second = fuzz::readFile(settings);
    if (second != first)
        fuzz::finding("save -> load -> save changed the bytes", first, second);
    return 0;
}
