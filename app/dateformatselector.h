#ifndef DATEFORMATSELECTOR_H
#define DATEFORMATSELECTOR_H

#include <QString>
#include <QWidget>

class YMRComboBox;
class YMRPushButton;

// Chooses a date or time pattern from a data list, with a button that opens
// the pattern editor on that list.
class DateFormatSelector : public QWidget
{
    Q_OBJECT
public:
    explicit DateFormatSelector(QWidget *parent = nullptr, const char *name = nullptr);
    ~DateFormatSelector() override;

    void setList(const QString &listName, const QString &pattern);
    void setFormat(const QString &pattern);
    // The combo's text: the chosen entry, or what the user typed.
    QString format() const;
    QString listName() const { return m_listName; }

    YMRComboBox *comboBox() const { return m_combo; }
    YMRPushButton *editButton() const { return m_button; }

public slots:
    void edit();

signals:
    void changed();

private:
    YMRComboBox *m_combo;
    YMRPushButton *m_button;
    QString m_listName;
};

#endif
