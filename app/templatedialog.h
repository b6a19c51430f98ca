#ifndef TEMPLATEDIALOG_H
#define TEMPLATEDIALOG_H

#include "forms/templatedialogbase.h"

#include <QStringList>

class TemplateManager;
class YMRListViewItem;

// Maintains the expense templates: new, edit, rename, remove, order and
// separators. Template records change at once; the order and separators
// are written when the dialog is destroyed.
class TemplateDialog : public TemplateDialogBase
{
    Q_OBJECT
public:
    explicit TemplateDialog(TemplateManager *templates, QWidget *parent = nullptr,
                            const char *name = nullptr);
    ~TemplateDialog() override;

    // Row texts from the top; a separator is a null string.
    QStringList names() const;
    bool save();

public slots:
    void currentChanged();
    void doDown() override;
    void doEdit() override;
    void doNew() override;
    void doRemove() override;
    void doRename() override;
    void doSeparator() override;
    void doUp() override;

private:
    YMRListViewItem *appendRow(const QString &name);

    TemplateManager *m_templates;
};

#endif
