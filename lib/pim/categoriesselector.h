#ifndef CATEGORIESSELECTOR_H
#define CATEGORIESSELECTOR_H

#include <QStringList>
#include <QWidget>

class CategoryManager;
class PIMRecord;
class YMRComboBox;
class YMRPushButton;

// The categories of one expense on its editor page: a combo box of the
// possible choices (the marked categories, each leading once, then every
// single category) and a button that opens the categories dialog.
class CategoriesSelector : public QWidget
{
    Q_OBJECT
public:
    explicit CategoriesSelector(QWidget *parent = nullptr, const char *name = nullptr);
    ~CategoriesSelector() override;

    void setFromRecord(PIMRecord *record);
    void setCategories(const QStringList &uids);
    // The chosen set becomes the record's categories; none when the combo
    // box is empty.
    void saveToRecord(PIMRecord *record);

    CategoryManager *categoryManager() const { return m_manager; }
    YMRComboBox *comboBox() const { return m_combo; }
    YMRPushButton *editButton() const { return m_button; }
    // Parallel to the combo box: entry i holds the UIDs of entry i joined by "|".
    QStringList sets() const { return m_sets; }

public slots:
    void edit();

private:
    void addEntry(const QString &title, const QStringList &uids);

    CategoryManager *m_manager = nullptr;
    YMRComboBox *m_combo;
    YMRPushButton *m_button;
    QStringList m_sets;
};

#endif
