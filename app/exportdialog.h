#ifndef EXPORTDIALOG_H
#define EXPORTDIALOG_H

#include "forms/exportdialogbase.h"

#include <QList>

class PIMRecord;
class QTextStream;

// The options of a CSV export, kept in "ExportOptions" (stored when the
// dialog goes, however it was closed), the choice of the file, and the
// writing of the rows.
class ExportDialog : public ExportDialogBase
{
    Q_OBJECT
public:
    explicit ExportDialog(QWidget *parent = nullptr, const char *name = nullptr);
    ~ExportDialog() override;

    void values(QString &date, QString &time, QString &dateTime, QString &textQualifier,
                QString &delim, QString &multiline) const;
    // The file to write, null when the user gave up.
    QString exportFileName(const QString &baseName);
    void setCodec(QTextStream *stream) const;

    // The header row and one row per expense; every field goes through
    // YMRPIM::csvQuote. The stream's status tells whether it all went out.
    static void writeRows(QTextStream &out, const QList<PIMRecord *> &records,
                          const QString &date, const QString &dateTime,
                          const QString &textQualifier, const QString &delim,
                          const QString &multiline);

public slots:
    void delimiterChanged() override;

private:
    void layOut();
    void readSettings();
    void writeSettings();
};

#endif
