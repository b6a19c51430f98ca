#ifndef YMDIRCOMBO_H
#define YMDIRCOMBO_H

#include "mimeiconset.h"

#include <ymrcombobox.h>

// The combo of the current folder and its ancestors, the root first.
class YMDirCombo : public YMRComboBox
{
    Q_OBJECT
public:
    explicit YMDirCombo(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMDirCombo() override;

    QString currentDir() const;
    MimeIconSet &icons() { return m_icons; }

    // The existing folders at and above a path, nearest last; "/" alone
    // when none exists. The walk goes by the path's text, so missing
    // levels are skipped instead of ending it.
    static QStringList existingFolders(const QString &path);

public slots:
    void setDir(const QString &path);
    void reload();

signals:
    void folderSelected(const QString &path);

protected:
    void changeEvent(QEvent *e) override;

private:
    MimeIconSet m_icons;
};

#endif
