#ifndef CATEGOIESDIALOG_H
#define CATEGOIESDIALOG_H

#include <QDialog>
#include <QStringList>

class CategoryListView;
class CategoryManager;
class PIMRecord;
class YMRPushButton;

// The categories editor and, given a list of category UIDs, the dialog in
// which the expense editor marks an expense's categories. Every change to a
// category is stored at once.
class CategoiesDialog : public QDialog
{
    Q_OBJECT
public:
    // A null selection runs the editor; a list runs the selection mode with
    // those categories marked.
    CategoiesDialog(CategoryManager *manager, const QStringList *selection,
                    QWidget *parent = nullptr, const char *name = nullptr);
    ~CategoiesDialog() override;

    // Runs the editor on the caller's stack.
    static void editCategories(CategoryManager *manager);

    // The UIDs of the marked categories, in view order.
    QStringList markedCategories() const;

    CategoryListView *listView() const { return m_list; }
    YMRPushButton *newButton() const { return m_new; }
    YMRPushButton *renameButton() const { return m_rename; }
    YMRPushButton *removeButton() const { return m_remove; }

public slots:
    void newCategory();
    void renameCategory();
    void removeCategory();
    void selectionCleared();
    void selected(PIMRecord *record);

private:
    CategoryManager *m_manager;
    CategoryListView *m_list;
    YMRPushButton *m_rename;
    YMRPushButton *m_remove;
    YMRPushButton *m_new;
};

// The dialog's name spelt right.
using CategoriesDialog = CategoiesDialog;

#endif
