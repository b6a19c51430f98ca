#ifndef YMRCOMBOBOX_H
#define YMRCOMBOBOX_H

#include <QWidget>

class QLineEdit;
class QStyleOptionComboBox;
class QValidator;
class YMRListBox;
class YMRComboBoxData;

// The combo box: shows the current item and drops a YMRListBox down to choose
// another; an editable box adds a line edit with auto-completion and an
// insertion policy for typed values.
class YMRComboBox : public QWidget
{
    Q_OBJECT
public:
    enum Policy { NoInsertion = 0, AtTop, AtCurrent, AtBottom, AfterCurrent, BeforeCurrent };

    explicit YMRComboBox(QWidget *parent = nullptr, const char *name = nullptr);
    YMRComboBox(bool rw, QWidget *parent = nullptr, const char *name = nullptr);
    ~YMRComboBox() override;

    int count() const;

    void insertStringList(const QStringList &list, int index = -1);
    void insertItem(const QString &text, int index = -1);
    void insertItem(const QPixmap &pixmap, int index = -1);
    void insertItem(const QPixmap &pixmap, const QString &text, int index = -1);
    void removeItem(int index);
    void clear();

    QString currentText() const;
    QString text(int index) const;
    const QPixmap *pixmap(int index) const;
    void changeItem(const QString &text, int index);
    void changeItem(const QPixmap &pixmap, int index);
    void changeItem(const QPixmap &pixmap, const QString &text, int index);

    int currentItem() const;

    bool autoResize() const;
    virtual void setAutoResize(bool on);
    int sizeLimit() const;
    virtual void setSizeLimit(int lines);
    int maxCount() const;
    virtual void setMaxCount(int count);
    Policy insertionPolicy() const;
    virtual void setInsertionPolicy(Policy policy);
    virtual void setValidator(const QValidator *v);
    const QValidator *validator() const;
    virtual void setListBox(YMRListBox *listBox);
    YMRListBox *listBox() const;
    QLineEdit *lineEdit() const;
    virtual void setAutoCompletion(bool on);
    bool autoCompletion() const;
    void setDuplicatesEnabled(bool enable);
    bool duplicatesEnabled() const;
    bool editable() const;
    void setEditable(bool on);

    virtual void popup();

    QSize sizeHint() const override;
    QSizePolicy sizePolicy() const;

public slots:
    virtual void setCurrentItem(int index);
    void clearValidator();
    void clearEdit();
    virtual void setEditText(const QString &text);

signals:
    void activated(int index);
    void highlighted(int index);
    void activated(const QString &text);
    void highlighted(const QString &text);
    void textChanged(const QString &text);

private slots:
    void internalActivate(int index);
    void internalHighlight(int index);
    void returnPressed();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void dropListBox();
    void init(bool rw);
    void setUpLineEdit();
    void updateLinedGeometry();
    void popDownListBox();
    void currentChanged();
    bool checkIndex(const char *method, int index) const;
    bool checkInsertIndex(int &index) const;
    void showCurrent();
    bool insertedAt(int index);
    int listHeight(int lines) const;
    void complete();
    void syncListCurrent();
    QStyleOptionComboBox styleOption(const QRect &r) const;

    YMRComboBoxData *d;
};

#endif
