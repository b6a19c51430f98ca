#ifndef YMTIMEEDIT_H
#define YMTIMEEDIT_H

#include <QTime>
#include <QWidget>

class YMRComboBox;

// The small time picker of the time button's popup: an hour choice and a
// minute choice in five-minute steps (a minute may also be typed). Picking
// a minute closes the popup.
class YMTimeEdit : public QWidget
{
    Q_OBJECT
public:
    explicit YMTimeEdit(QWidget *parent = nullptr, const char *name = nullptr);
    ~YMTimeEdit() override;

    QTime time() const { return m_time; }
    YMRComboBox *hourCombo() const { return m_hour; }
    YMRComboBox *minuteCombo() const { return m_minute; }

public slots:
    void setTime(const QTime &t);
    void finish();
    void dateTimeSettingChanged();

signals:
    void timeClicked(const QTime &t);

private:
    void minuteActivated();
    void pick(bool closeParent);

    YMRComboBox *m_hour = nullptr;
    YMRComboBox *m_minute = nullptr;
    QTime m_time = QTime(0, 0);
};

#endif
