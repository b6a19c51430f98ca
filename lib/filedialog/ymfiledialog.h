#ifndef YMFILEDIALOG_H
#define YMFILEDIALOG_H

#include <QDialog>
#include <QList>
#include <QStringList>

class DirectoryView;
class HBox;
class PopupMenu;
class QLineEdit;
class QToolButton;
class YMDirCombo;
class YMFileView;
class YMRAction;
class YMRComboBox;

// The modal chooser of files to open, of a file to save and of a folder.
// Callers use the four static entry points.
class YMFileDialog : public QDialog
{
    Q_OBJECT
public:
    YMFileDialog(const QString &startDir, const QString &filter, bool dirMode, bool multiSelection,
                 const QString &fileName, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMFileDialog() override;

    // Null (empty list) when cancelled.
    static QString getOpenFileName(const QString &startDir = QString(),
                                   const QString &filter = QString(), QWidget *parent = nullptr,
                                   const char *name = nullptr, const QString &caption = QString());
    static QString getSaveFileName(const QString &startDir = QString(),
                                   const QString &filter = QString(), QWidget *parent = nullptr,
                                   const char *name = nullptr, const QString &caption = QString(),
                                   const QString &fileName = QString());
    static QString getExistingDirectory(const QString &startDir = QString(),
                                        QWidget *parent = nullptr, const char *name = nullptr,
                                        const QString &caption = QString());
    static QStringList getOpenFileNames(const QString &startDir = QString(),
                                        const QString &filter = QString(),
                                        QWidget *parent = nullptr, const char *name = nullptr,
                                        const QString &caption = QString());

    // Test seam: while answers are queued, each entry point takes the next
    // one and returns it without building a dialog, and records its call.
    struct ScriptedCall {
        QString entryPoint; // "getOpenFileName", "getSaveFileName", ...
        QString startDir;
        QString filter;
        QString caption;
        QString fileName;
    };
    static void queueAnswer(const QStringList &paths);
    static void queueCancel();
    static int queuedAnswers();
    static QList<ScriptedCall> takeScriptedCalls();
    static void clearScript();

    QString currentDir() const;
    QString selectedFile() const;
    QStringList selectedFiles() const;
    QString saveFileName() const;

    YMDirCombo *dirCombo() const { return m_combo; }
    YMFileView *fileView() const { return m_fileView; }
    DirectoryView *directoryView() const { return m_tree; }
    QLineEdit *nameEdit() const { return m_nameEdit; }
    YMRComboBox *filterCombo() const { return m_filterCombo; }
    PopupMenu *optionsMenu() const { return m_optionsMenu; }
    PopupMenu *bookmarkMenu() const { return m_bookmarkMenu; }
    QToolButton *bookmarkButton() const { return m_bookmarkButton; }
    HBox *toolBar() const { return m_toolBar; }
    YMRAction *action(const char *name) const;
    QStringList bookmarks() const { return m_bookmarks; }
    QStringList history() const { return m_history; }
    int historyIndex() const { return m_historyIndex; }

public slots:
    virtual void setFilename(const QString &name);
    void reload();
    void setMask(const QString &filterEntry);
    void changedFolder(const QString &path);
    void updateActions();
    void currentChanged();
    void showDetail();
    void showList();
    void doUp();
    void historyPrev();
    void historyNext();
    void doPopup();
    void menuActivated(int id);
    void showBokmarkMenu();
    void bookmarkMenuActivated(int id);
    void newBookmark();
    void createDir();
    void options();

public:
    // The name filter of a filter entry: the text inside its closing
    // parentheses, else the whole entry.
    static QString maskOf(const QString &filterEntry);

    // Qt's show() and hide() are not virtual: the options are saved and the
    // focus given here, whichever way the dialog is shown or closed.
    void setVisible(bool visible) override;
    // A name listed from bytes the locale cannot read is refused with a
    // message: the decoded name would open or write another file.
    void accept() override;

private:
    void setDir(const QString &path, bool toCombo, bool toView, bool toTree);
    void addToHistory();
    void readOptions();
    void writeOptions();
    void fillToolBar();
    void focusView();

    static bool takeAnswer(const ScriptedCall &call, QStringList &answer, bool &accepted);

    HBox *m_toolBar = nullptr;
    YMDirCombo *m_combo = nullptr;
    YMFileView *m_fileView = nullptr;
    DirectoryView *m_tree = nullptr;
    YMRComboBox *m_filterCombo = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    bool m_nameGiven = false;
    QString m_current;
    QStringList m_history;
    int m_historyIndex = 0;
    QStringList m_bookmarks;
    PopupMenu *m_optionsMenu = nullptr;
    PopupMenu *m_bookmarkMenu = nullptr;
    QToolButton *m_bookmarkButton = nullptr;
    QToolButton *m_optionsButton = nullptr;
    bool m_dirMode;
};

#endif
