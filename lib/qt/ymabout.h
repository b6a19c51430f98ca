#ifndef YMABOUT_H
#define YMABOUT_H

#include <QDialog>

// The about box: version label, the application's splash picture and a
// Close button. Constructing it runs it; it returns when it was closed.
class YMAbout : public QDialog
{
    Q_OBJECT
public:
    YMAbout();

    // The application's version text; the application hands it over.
    static void setAppVersion(const QString &version);
    static QString appVersion();
    // "Version: <version>-YYMMDD" for a build date such as "Jan 18 2005".
    static QString versionText(const QString &version, const QString &buildDate);
};

#endif
