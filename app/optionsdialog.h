#ifndef OPTIONSDIALOG_H
#define OPTIONSDIALOG_H

#include <QDialog>

class ColorsWidget;
class ColumnSetup;
class FormatSetup;
class KeysWidget;
class YMTabWidget;

// The display options of the program on four pages: formats, columns,
// colours and keys. Each page stores its own settings, so closing the
// dialog either way keeps them; the page last shown is remembered
// ("Options"/"optionsPage", 1 to 4).
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OptionsDialog(QWidget *parent = nullptr, const char *name = nullptr);
    ~OptionsDialog() override;

    YMTabWidget *tabWidget() const { return m_tabs; }
    FormatSetup *formatPage() const { return m_format; }
    ColumnSetup *columnPage() const { return m_columns; }
    ColorsWidget *colorsPage() const { return m_colors; }
    KeysWidget *keysPage() const { return m_keys; }
    // 1 to 4 for the pages above, 0 for any other widget.
    int pageNumber(QWidget *page) const;

public slots:
    void pageActivated(QWidget *page);
    // Closes only when the formats can be used; says what is wrong otherwise.
    void done(int result) override;

private:
    YMTabWidget *m_tabs;
    ColumnSetup *m_columns;
    FormatSetup *m_format;
    ColorsWidget *m_colors;
    KeysWidget *m_keys;
};

#endif
