#ifndef EXPORTDIALOG_H
#define EXPORTDIALOG_H

#include "forms/exportdialogbase.h"

class QTextCodec;

// The options of a CSV export, kept in "ExportOptions" (stored when the
// dialog goes, however it was closed), and the choice of the file; the
// rows are PIMCsvWriter's.
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
    // The chosen encoding; null for "Plain Text" (the locale's).
    QTextCodec *codec() const;

public slots:
    void delimiterChanged() override;
    // Refuses, with a hint, a text qualifier that shares a character with
    // the delimiter: no reader could split such a file into its fields.
    void accept() override;

private:
    void layOut();
    void readSettings();
    void writeSettings();
};

#endif
