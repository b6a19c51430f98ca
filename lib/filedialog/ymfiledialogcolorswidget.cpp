#include "ymfiledialogcolorswidget.h"
#include "directoryview.h"

#include <config.h>
#include <qcopchannel.h>
#include <ymrpushbutton.h>
#include <ymselectcoloraction.h>

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

namespace {

const char *const Keys[YMFileDialogColorsWidget::ColorCount] = {"c1", "c2", "c3", "c4"};
const char *const Defaults[YMFileDialogColorsWidget::ColorCount] = {"#336699", "#e5e5e5",
                                                                    "#000000", "#ffffcc"};

} // namespace

YMFileDialogColorsWidget::YMFileDialogColorsWidget(DirectoryView *, YMFileView *,
                                                   QWidget *parent, const char *name)
    : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);

    m_custom = new QCheckBox(tr("Custom colors"), this);
    grid->addWidget(m_custom, 0, 0, 1, 3);
    connect(m_custom, &QCheckBox::clicked, this, &YMFileDialogColorsWidget::customChanged);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 1, 0, 1, 3);

    grid->addWidget(new QLabel(tr("Odd Line:"), this), 2, 0);
    grid->addWidget(new QLabel(tr("Even Line:"), this), 3, 0);

    Config cfg(QStringLiteral("ymr"));
    cfg.setGroup(QStringLiteral("ymrFileDialog"));
    for (int i = 0; i < ColorCount; ++i) {
        // per line: a text colour, then a background colour
        m_actions[i] = new YMSelectColorAction(i % 2 == 0 ? 1 : 2, this);
        m_actions[i]->setCurrentColor(
            QColor(cfg.readEntry(QLatin1String(Keys[i]), QLatin1String(Defaults[i]))));
        m_buttons[i] = new YMRPushButton(this);
        m_actions[i]->addTo(m_buttons[i]);
        grid->addWidget(m_buttons[i], 2 + i / 2, 1 + i % 2);
        connect(m_actions[i], QOverload<const QColor &>::of(&YMSelectColorAction::activated), this,
                &YMFileDialogColorsWidget::colorChanged);
    }
    m_custom->setChecked(cfg.readNumEntry(QStringLiteral("grid"), 1) != 0);

    m_preview = new DirectoryView(this);
    grid->addWidget(m_preview, 4, 0, 1, 3);
    grid->setRowStretch(4, 1);

    customChanged();
}

YMFileDialogColorsWidget::~YMFileDialogColorsWidget() = default;

void YMFileDialogColorsWidget::customChanged()
{
    const bool on = m_custom->isChecked();
    for (YMRPushButton *b : m_buttons)
        b->setEnabled(on);
    colorChanged();
}

void YMFileDialogColorsWidget::colorChanged()
{
    const bool on = m_custom->isChecked();
    {
        // on disk before any view reads it on the broadcast
        Config cfg(QStringLiteral("ymr"));
        cfg.setGroup(QStringLiteral("ymrFileDialog"));
        cfg.writeEntry(QStringLiteral("grid"), on ? 1 : 0);
    }
    if (!on) {
        m_preview->setColorMode(0);
    } else {
        // an invalid colour stands for the palette's, never for black
        const QColor *c[ColorCount];
        for (int i = 0; i < ColorCount; ++i) {
            const QColor &colour = m_actions[i]->currentColor();
            c[i] = colour.isValid() ? &colour : nullptr;
        }
        m_preview->setColors(c[0], c[1], c[2], c[3]);
    }
    QCopChannel::send("YMR/FileDialogColorMode", QByteArray());
}
