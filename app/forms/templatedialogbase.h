#ifndef TEMPLATEDIALOGBASE_H
#define TEMPLATEDIALOGBASE_H

#include <QDialog>

class QGridLayout;
class YMRListView;
class YMRPushButton;

// Form of the templates dialog.
class TemplateDialogBase : public QDialog
{
    Q_OBJECT
public:
    explicit TemplateDialogBase(QWidget *parent = nullptr, const char *name = nullptr,
                                bool modal = false, Qt::WindowFlags fl = Qt::WindowFlags());
    ~TemplateDialogBase() override;

    YMRListView *list;
    YMRPushButton *btnUp;
    YMRPushButton *btnDown;
    YMRPushButton *btnNew;
    YMRPushButton *btnSep;
    YMRPushButton *btnEdit;
    YMRPushButton *btnRename;
    YMRPushButton *btnRemove;

public slots:
    virtual void doDown();
    virtual void doEdit();
    virtual void doNew();
    virtual void doRemove();
    virtual void doRename();
    virtual void doSeparator();
    virtual void doUp();
    virtual void doUpdate();

protected:
    QGridLayout *TemplateDialogBaseLayout;
};

#endif
