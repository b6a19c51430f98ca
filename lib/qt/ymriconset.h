#ifndef YMRICONSET_H
#define YMRICONSET_H

#include <QIcon>

class QImage;
class QPixmap;

// An icon whose disabled picture is generated: the normal picture greyed and
// lightened. Adds no data to QIcon, so it can be passed on as a QIcon.
class YMRIconSet : public QIcon
{
public:
    explicit YMRIconSet(const QPixmap &pixmap);
    explicit YMRIconSet(const QImage &image);
    ~YMRIconSet();

    // Greys image in place and sets it as the disabled picture.
    void makeDisabled(QImage &image);
};

#endif
