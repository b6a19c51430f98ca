#ifndef TODOWINDOW_H
#define TODOWINDOW_H

#include "qt/ymrmainwindow.h"

#include <QString>

class DBManager;
class DBRecord;
class PIMRecord;
class PopupMenu;
class QPlainTextEdit;
class QToolButton;
class TaskListView;
class TaskManager;
class TemplateManager;

// The program's main window: the open Expense Book's expenses in a paged
// list with a description pane, the commands as named actions on one tool
// bar and in pop-up menus, and, for the whole run, the book index and the
// template store. At most one book is open; it is opened and closed only
// through openBookFile() and books().
class ToDoWindow : public YMRMainWindow
{
    Q_OBJECT
public:
    enum { FilterMenuEvent = 1001, SortEvent = 1002 };

    ToDoWindow();
    ~ToDoWindow() override;

    // The open book's store, null while none is open.
    TaskManager *manager() const { return m_manager; }
    DBManager *bookIndex() const { return m_index; }
    TaskListView *listView() const { return m_list; }
    QPlainTextEdit *descriptionPane() const { return m_pane; }
    PopupMenu *mainMenu() const { return m_mainMenu; }
    // The caption while no book is open.
    QString titleCaption() const { return m_titleCaption; }

    void restoreCommentState();
    void saveCommentState();
    void setPaneVisible(QWidget *pane, bool show, const QString &shownText,
                        const QString &hiddenText);
    void applyListOptions();

    // Book operations on an index, shared with the books dialog.
    static DBRecord *createBookRecord(DBManager *index);
    static DBRecord *addBookFiles(DBManager *index);
    static void editBookRecord(DBRecord *record, DBManager *index);
    static bool deleteBookRecord(DBRecord *record, DBManager *index);
    static DBRecord *duplicateBookRecord(DBRecord *record, DBManager *index);
    // A missing file, an empty one or one that begins as a book: only such
    // a file may be taken into the index (its header would else be written
    // in front of someone else's file).
    static bool isBookFile(const QString &path);

public slots:
    void selectionCleared();
    void selected(PIMRecord *record);
    void toggleComment();

    void setDocument(const QString &path);
    void books();

    void newBook();
    void openBook();
    void editBook();
    void deleteBook();
    void duplicateBook();

    // Sorting, filter and find menus, the editors they start, copy special
    // and the CSV export (todowindowmenus.cpp).
    void setupSorting();
    void changeSorting(int id);
    void changeFilter(int id);
    void newFilter();
    void find();
    void editFilters();
    void editCategories();
    void zoomin() override;
    void zoomout() override;
    void copySpecial();
    void doExport();

protected:
    bool event(QEvent *e) override;

    void checkColumnLists();
    void createActions();
    void setupToolBar();

private:
    void createMenuActions();
    void connectMenus();
    void setupFilterMenu();
    // the filter and sorting menus of a book just opened
    void bookMenus();
    void zoom(bool in);
    void openBookFile(const QString &path);
    // Deletes the open store (it saves itself when changed).
    void closeBook();
    // Saves the open book first; false (after telling the user) when that failed.
    bool saveOpenBook();
    DBRecord *openBookRecord() const;
    void setBookActionsEnabled(bool enabled);
    void updateMenuButtons();
    QToolButton *addMenuButton(QToolBar *bar, const char *icon, PopupMenu *menu);
    void addActions(PopupMenu *menu, const QStringList &names);
    static void removeBookSetting();

    DBManager *m_index = nullptr;
    TaskManager *m_manager = nullptr;
    TemplateManager *m_templates = nullptr;
    TaskListView *m_list = nullptr;
    QToolButton *m_templateButton = nullptr;
    PopupMenu *m_templatesMenu = nullptr;
    QPlainTextEdit *m_pane = nullptr;
    QToolButton *m_sortButton = nullptr;
    PopupMenu *m_sortMenu = nullptr;
    QToolButton *m_filterButton = nullptr;
    PopupMenu *m_filterMenu = nullptr;
    QToolButton *m_listsButton = nullptr;
    PopupMenu *m_listsMenu = nullptr;
    bool m_sortOrder = true;
    int m_sortColumn = -1;
    QToolButton *m_menuButton = nullptr;
    PopupMenu *m_mainMenu = nullptr;

    QString m_titleCaption;
    // false while the pane's own text is being stored into the record
    bool m_paneTakesUpdates = true;
    // a Hide came since the open book was opened
    bool m_hiddenSinceOpen = true;
    bool m_inBooks = false;
};

#endif
