#ifndef YMRLAZYICONENGINE_H
#define YMRLAZYICONENGINE_H

#include <QIcon>
#include <QIconEngine>
#include <QString>

// An icon that reads its picture file on first use: most icons of a window
// are in menus that may never open, and decoding them all made the start
// slow. Everything is answered by the YMRIconSet of the file, built once.
class YMRLazyIconEngine : public QIconEngine
{
public:
    explicit YMRLazyIconEngine(const QString &path);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state) override;
    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode,
                 QIcon::State state) override;
    QString key() const override;
    QIconEngine *clone() const override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override;
    void virtual_hook(int id, void *data) override;

private:
    const QIcon &icon() const;

    QString m_path;
    mutable QIcon m_icon;
    mutable bool m_loaded = false;
};

#endif
