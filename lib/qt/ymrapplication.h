#ifndef YMRAPPLICATION_H
#define YMRAPPLICATION_H

#include "qpe/qpeapplication.h"

#include <QByteArray>
#include <QChar>

class YMRApplication;
// The one application object; set by its constructor, cleared by its destructor.
extern YMRApplication *ymrApp;

class YMRApplication : public QPEApplication
{
    Q_OBJECT
public:
    YMRApplication(const char *appName, int &argc, char **argv);
    ~YMRApplication() override;

    void loadStyle();
    void unloadStyle();

    bool ampm();
    bool weekStartsOnMonday();
    QChar dateSeparator();
    int shortDateOrder();
    int longDateOrder();

    static bool isVGAScreen();
    static bool isQVGAScreen();
    // False (after telling the user) when the installed icon does not suit
    // the screen class.
    static bool checkScreen();

    static QString qpeDir();
    static QString documentDir();
    void showMainDocumentWidget(QWidget *w);
    static void showMaximized(QWidget *w, bool maximize);

    static int random();
    static QString cryptPassword(const QString &password);
    static bool checkPassword(const QString &password, const QString &hash);

public slots:
    void ymrAppReceive(const QByteArray &msg, const QByteArray &data);
    void updateDateTimeFormats();

signals:
    void dateTimeSettingChanged();

private:
    void readSettingsOnce();

    bool m_ampm = true;
    bool m_weekStartsOnMonday = false;
    int m_shortDateOrder = 266;
    int m_longDateOrder = 266;
    QChar m_dateSeparator = QLatin1Char('/');
    bool m_settingsRead = false;
    void *m_styleHandle = nullptr;
};

#endif
