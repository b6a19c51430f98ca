#ifndef DIRECTORYSELECTOR_H
#define DIRECTORYSELECTOR_H

#include <QString>
#include <QWidget>

class YMRComboBox;
class YMRPushButton;

// Chooses a folder: one of five fixed storage places, or any folder picked
// with the file dialog (kept as an added entry for the widget's life).
class DirectorySelector : public QWidget
{
    Q_OBJECT
public:
    explicit DirectorySelector(QWidget *parent = nullptr, const char *name = nullptr);
    ~DirectorySelector() override;

    // Selects the entry of that folder, or adds one for it.
    void setDirectory(const QString &path);
    // The folder of the current entry.
    QString directory() const;
    // The folder of an entry.
    QString path(int index) const;

    YMRComboBox *comboBox() const { return m_combo; }
    YMRPushButton *browseButton() const { return m_button; }

public slots:
    // Picks a folder with the file dialog, starting at the current one.
    void edit();

signals:
    void changed();

private:
    YMRComboBox *m_combo;
    YMRPushButton *m_button;
};

#endif
