#ifndef NUMBERFORMATEDITOR_H
#define NUMBERFORMATEDITOR_H

#include "forms/numberformateditorbase.h"

#include <QString>
#include <QStringList>

// Edits the shared list of number-format codes ("numberformat") with a live
// preview of a sample number, and lets the caller read the chosen code. The
// list is written back when the editor is destroyed.
class NumberFormatEditor : public NumberFormatEditorBase
{
    Q_OBJECT
public:
    NumberFormatEditor(const QString &format, const QString &currency,
                       QWidget *parent = nullptr, const char *name = nullptr);
    ~NumberFormatEditor() override;

    // The chosen code: the code field's text.
    QString format() const;
    QStringList codes() const;
    void updateButtons();
    // The sample value the preview uses: text that is no finite number is 0.
    static double sampleValue(const QString &text);

public slots:
    void addItem() override;
    void itemSelected(const QString &text) override;
    void numberChanged() override;
    void removeItem() override;
    void formatChanged() override;
    void update() override;

private:
    void showPreview(const QString &code);

    QString m_currency;
    // the list as read: what another copy changed since is kept at the save
    QStringList m_loaded;
};

#endif
