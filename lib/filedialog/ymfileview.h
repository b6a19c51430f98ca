#ifndef YMFILEVIEW_H
#define YMFILEVIEW_H

#include <QStackedWidget>
#include <QStringList>

class QTimer;
class SFileListBox;
class SFileListView;

// The file pane of the file dialog: a detail view and a list box showing one
// folder, of which one is on top. It holds the listing settings both read
// whenever they list, and turns a long press into popup().
class YMFileView : public QStackedWidget
{
    Q_OBJECT
public:
    explicit YMFileView(bool dirMode, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMFileView() override;

    void setDir(const QString &path);
    QString dir() const { return m_dir; }

    // Listing settings.
    bool dirMode() const { return m_dirMode; }
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    int sort() const { return m_sort; }
    void setSort(int sort);
    bool dirsToo() const { return m_dirsToo; }
    void setDirsToo(bool on);
    bool hiddenToo() const { return m_hiddenToo; }
    void setHiddenToo(bool on);

    // 1 with the detail view on top, 0 with the list box.
    int mode() const;
    void setMode(int mode);
    void setMultiSelection(bool on);

    QString currentFile() const;
    void selection(QStringList &list, QString *current = nullptr) const;

    void refresh();
    bool isEmpty() const;
    void selectAll();
    void unselectAll();
    void clear();

    SFileListView *listView() const { return m_listView; }
    SFileListBox *listBox() const { return m_listBox; }

public slots:
    void setDirInternal(const QString &path);
    void selectionChanging();
    void popupMenu();

signals:
    void dirChanged(const QString &path);
    void selectionChanged();
    void clicked();
    void popup(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    bool m_dirMode;
    QString m_filter;
    int m_sort = 0;
    bool m_dirsToo = true;
    bool m_hiddenToo = true;
    QString m_dir;
    QTimer *m_holdTimer;
    SFileListView *m_listView;
    SFileListBox *m_listBox;
};

#endif
