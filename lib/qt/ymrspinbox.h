#ifndef YMRSPINBOX_H
#define YMRSPINBOX_H

#include "qpe/rangecontrol.h"

#include <QWidget>

class QIntValidator;
class QLineEdit;
class YMRSpinWidget;

// Integer spin box: a right-aligned line edit inside a spin widget, with a
// range, a step, an optional prefix and suffix, and wrapping.
class YMRSpinBox : public QWidget, public RangeControl
{
    Q_OBJECT
public:
    explicit YMRSpinBox(QWidget *parent = nullptr, const char *name = nullptr);
    YMRSpinBox(int minValue, int maxValue, int step = 1, QWidget *parent = nullptr,
               const char *name = nullptr);
    ~YMRSpinBox() override;

    QString text() const;
    virtual QString prefix() const;
    virtual QString suffix() const;
    virtual QString cleanText() const;

    virtual void setWrapping(bool on);
    bool wrapping() const { return m_wrapping; }

    int value() const;
    int minValue() const { return RangeControl::minValue(); }
    int maxValue() const { return RangeControl::maxValue(); }
    void setMinValue(int v) { RangeControl::setRange(v, RangeControl::maxValue()); }
    void setMaxValue(int v) { RangeControl::setRange(RangeControl::minValue(), v); }
    int lineStep() const { return RangeControl::lineStep(); }
    void setLineStep(int v) { setSteps(v, pageStep()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    QLineEdit *editor() const { return m_edit; }
    QRect upRect() const;
    QRect downRect() const;
    void arrangeWidgets();
    QString currentValueText();

public slots:
    virtual void setValue(int value);
    virtual void setPrefix(const QString &text);
    virtual void setSuffix(const QString &text);
    virtual void stepUp();
    virtual void stepDown();
    virtual void setEnabled(bool on);
    virtual void selectAll();

signals:
    void valueChanged(int value);
    void valueChanged(const QString &text);
    void returnPressed();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

    virtual QString mapValueToText(int value);
    virtual int mapTextToValue(bool *ok);
    virtual void updateDisplay();
    virtual void interpretText();

    void valueChange() override;
    void rangeChange() override;

protected slots:
    void textChanged();

private:
    void init();
    void interpretIfEdited() const;

    YMRSpinWidget *m_spin = nullptr;
    QLineEdit *m_edit = nullptr;
    QIntValidator *m_validator = nullptr;
    QString m_prefix;
    QString m_suffix;
    bool m_wrapping = false;
    // Typed text not yet interpreted; value() interprets it, hence mutable.
    mutable bool m_edited = false;
};

#endif
