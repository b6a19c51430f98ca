#ifndef FILETREE_H
#define FILETREE_H

// A temporary folder tree for the file dialog's tests.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace filetree {

inline bool touch(const QString &path, const QByteArray &bytes = QByteArray("x"))
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return true;
}

// <root>/x/, y/, "with space"/, Ünïcödé/ (folders), a.txt, b.exp,
// c.exp (bigger), .hidden, .hiddendir/, link.txt -> a.txt, x/inner/deep/
struct Tree {
    QTemporaryDir tmp;
    QString root;

    Tree()
    {
        root = QDir::cleanPath(tmp.path());
        QDir d(root);
        for (const char *f : {"x/inner/deep", "y", "with space", ".hiddendir"})
            d.mkpath(QString::fromLatin1(f));
        d.mkpath(QString::fromUtf8("Ünïcödé"));
        touch(root + "/a.txt");
        touch(root + "/b.exp", "bb");
        touch(root + "/c.exp", "cccc");
        touch(root + "/.hidden");
        touch(root + QString::fromUtf8("/Ünïcödé/é.exp"));
        QFile::link("a.txt", root + "/link.txt");
    }
    QString path(const QString &rel) const { return root + QLatin1Char('/') + rel; }
};

} // namespace filetree

#endif
