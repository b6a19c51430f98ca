#ifndef TODOWINDOW_H
#define TODOWINDOW_H

#include "qt/ymrmainwindow.h"

#include <QHash>
#include <QList>
#include <QString>

class AlertDialog;
class QCloseEvent;
class DBManager;
class DBRecord;
class PIMListView;
class PIMManager;
class PIMRecord;
class Task;
class PopupMenu;
class QKeyEvent;
class QPoint;
class QPlainTextEdit;
class QToolButton;
class SavePolicy;
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
    // The ten key bindings ("Options"/"key_1" ... "key_10") into the window.
    void readKeys();
    int boundKey(int row) const { return m_keys[row - 1]; }

    // Book operations on an index, shared with the books dialog.
    static DBRecord *createBookRecord(DBManager *index);
    static DBRecord *addBookFiles(DBManager *index);
    static void editBookRecord(DBRecord *record, DBManager *index);
    static bool deleteBookRecord(DBRecord *record, DBManager *index);
    static DBRecord *duplicateBookRecord(DBRecord *record, DBManager *index);
    // When the books are saved, and the notice line telling of saves that failed.
    SavePolicy *savePolicy() const { return m_saver; }
    // What the end of a session needs written now, without a question: the
    // open book, the books the alarm dialog holds and the pane setting.
    // False when a book could not be written.
    bool saveSession();
    // True exactly while a record dialog started by this window runs.
    bool isEditDialogBusy() const { return m_busy; }
    AlertDialog *alertDialog() const { return m_alertDialog; }
    PopupMenu *recordMenu() const { return m_recordMenu; }
    PopupMenu *templatesMenu() const { return m_templatesMenu; }
    TemplateManager *templates() const { return m_templates; }
    // Stores of other books that alarms opened and the alarm dialog holds.
    QList<TaskManager *> alarmStores() const { return m_alarmStores; }

    // What a file the user names is to the book list. Only a missing file
    // (a new book) or a regular file that begins as a book may be taken into
    // the index: its header would else be written in front of someone
    // else's file. A name the index or the codec cannot keep is refused.
    enum BookFileCheck { BookFile, NewBookFile, NotBookFile, UnreadableName, BarInName };
    static BookFileCheck checkBookFile(const QString &path);
    static bool isBookFile(const QString &path);
    // The message for a file refused for its name; empty for the others,
    // which each caller words as "not an Expense Book".
    static QString nameRefusal(BookFileCheck check, const QString &path);
    // What a book that loaded damaged tells: what was read, and the copy
    // kept of its file (or why none could be made).
    static QString damagedText(TaskManager *book, const QString &title);

    // The get side of the PC link on an index, shared with the books dialog:
    // runs the Transfer Data dialog in receive mode and opens no book.
    static void receiveData(DBManager *index);

public slots:
    void selectionCleared();
    void selected(PIMRecord *record);
    void toggleComment();

    void setDocument(const QString &path);
    void books();

    // the expense commands
    void createTask();
    void newFromTemplate(int id);
    void setupTemplateMenu();
    void setupTemplates();
    void editTask();
    void editTask(PIMRecord *record);
    void editTask(const QPoint &pos, PIMRecord *record, int column);
    void popup(const QPoint &pos, PIMRecord *record);
    void popup(const QPoint &pos, PIMRecord *record, int column);
    void removeTask();
    void purgeAll();
    void commentChanged();

    // what the alarm dialog asks of the window
    void doClone();
    void editDialogIsFree(bool *free);
    void freeManager(PIMManager *store);
    void getTask(Task **task, const QString &uid, const QDateTime &when, int book = 0);
    void raiseMainWindow();
    void setupView(PIMListView *list, Task *task);
    void editTask(Task *task);
    void unlockAlarmBook(PIMManager *store, bool ask, bool *open);
    void claimAlarmBook(PIMManager *store, bool *mayStore);
    void missingBooks(QStringList *titles);

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
    void editTypesLists();
    void editCitiesLists();
    void editAccountsLists();
    void editCurrenciesLists();
    void zoomin() override;
    void zoomout() override;
    void copySpecial();
    void doExport();

    // Whether code is bound to a command (false for 0: no key).
    void checkKey(bool &bound, int code);
    void options();

    void pcLink();
    void sendData();
    void getData();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

    void checkColumnLists();
    void createActions();
    void setupToolBar();
    void createRecordActions();
    void setupRecordCommands();

private:
    // One row of the action tables: a null text leaves the action without
    // one; dots add " ..." to commands that open a dialog.
    struct ActionRow {
        const char *name;
        const char *text;
        bool dots;
        const char *icon;
        const char *slot;
    };
    void createActions(const ActionRow *begin, const ActionRow *end);
    void createMenuActions();
    void connectMenus();
    void setupFilterMenu();
    // the filter and sorting menus of the book just opened, empty without one
    void bookMenus();
    void zoom(bool in);
    void openBookFile(const QString &path);
    // Another program changed the book: keep its version or write over it.
    // False when the user answered neither.
    bool askOtherVersion(PIMManager *store);
    // What the user chose for such a book, here or in the notice line.
    void otherVersionChosen(PIMManager *store, bool keepOther);
    // Stores an alarm opened, saved on a clock, go once no dialog holds them.
    void dropSavedAlarmStores(const QList<TaskManager *> &saved);
    // Saves everything; when that fails asks whether to try again or lose
    // the changes. False when the user keeps the program as it is.
    bool confirmEnd();
    // Takes the book's lock; when another program holds it, the user
    // chooses between refuse (false; the books dialog by default) and
    // opening it anyway.
    bool claimBook(TaskManager *book, const QString &title, const QString &refuse = QString(),
                   const char *refuseIcon = nullptr);
    // The damaged-book message after a load, whichever path loaded it.
    void tellDamaged(TaskManager *book, const QString &title);
    // A book that cannot be saved, or not locked, is said so as it opens.
    void tellBookState(TaskManager *book, const QString &title);
    QString storeName(const PIMManager *store) const;
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
    // Runs the record dialog on a record of the open book.
    int runTaskDialog(Task *task, int page);
    // Stores a change made to a copy's original (the copy is the old state).
    static void storeChange(Task *task, Task *old);
    // A store of the book is held by the alarm dialog or the record dialog:
    // no book may be closed or opened now.
    bool storeInUse() const;
    // Takes the store an alarm opened for this book, if any.
    TaskManager *takeAlarmStore(const QString &path);
    void deleteAlarmStores();

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
    bool m_shownOnce = false;
    int m_keys[10] = {};
    bool m_busy = false;
    AlertDialog *m_alertDialog = nullptr;
    PopupMenu *m_recordMenu = nullptr;
    QList<TaskManager *> m_alarmStores;
    // template names by their item id in the templates menu
    QHash<int, QString> m_templateIds;
    SavePolicy *m_saver = nullptr;
    bool m_askingOtherVersion = false;
};

#endif
