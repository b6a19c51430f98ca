// The main window's options command and its key bindings.

#include "todowindow.h"

#include "optionsdialog.h"

#include "pim/tasklistview.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpekeys.h"
#include "qt/ymraction.h"

#include <QKeyEvent>

namespace {

// The command of each binding, "key_1" first, and the action that must be
// enabled for it to run (none: always). Commands are looked up by name, so
// a binding whose command the window lacks does nothing.
struct Binding {
    const char *slot;
    const char *action;
};

const Binding bindings[10] = {
    {"createTask", "new"},   {"editTask", "edit"},     {"doClone", "clone"},
    {"removeTask", "remove"}, {"find", nullptr},        {"editFilters", nullptr},
    {"books", nullptr},      {"toggleComment", nullptr}, {"setupTemplates", nullptr},
    {"options", nullptr},
};

} // namespace

void ToDoWindow::readKeys()
{
    Config cfg(YMRPIM::applicationName());
    cfg.setGroup(QStringLiteral("Options"));
    for (int row = 1; row <= 10; ++row)
        m_keys[row - 1] = cfg.readNumEntry(QStringLiteral("key_") + QString::number(row), 0);
}

void ToDoWindow::checkKey(bool &bound, int code)
{
    // 0 is what every unbound row holds, not a key
    bound = false;
    if ((code & 0xffff) == 0)
        return;
    for (int key : m_keys) {
        if (key == code)
            bound = true;
    }
}

void ToDoWindow::keyPressEvent(QKeyEvent *e)
{
    const int key = QpeKeys::key(e);
    if (QpeKeys::isUnbindableKey(key))
        return;
    const int code = QpeKeys::bindingCode(e);
    if (code != 0) {
        for (int i = 0; i < 10; ++i) {
            if (m_keys[i] != code)
                continue;
            const Binding &b = bindings[i];
            YMRAction *a = b.action ? action(b.action) : nullptr;
            const QByteArray slot = QByteArray(b.slot) + "()";
            const bool known = metaObject()->indexOfSlot(slot.constData()) >= 0;
            if (known && (!b.action || (a && a->isEnabled())))
                QMetaObject::invokeMethod(this, b.slot);
            e->accept();
            return;
        }
    }
    // at either end of the zoom table the zoom key has nothing to do
    const char *zoom = key == QpeKeys::Key_ZoomIn    ? "zoomin"
                       : key == QpeKeys::Key_ZoomOut ? "zoomout"
                                                     : nullptr;
    if (zoom) {
        YMRAction *a = action(zoom);
        if (a && !a->isEnabled()) {
            e->accept();
            return;
        }
    }
    YMRMainWindow::keyPressEvent(e);
}

void ToDoWindow::options()
{
    auto *dialog = new OptionsDialog(this);
    dialog->exec();
    // the pages store their settings as they go
    delete dialog;
    applyListOptions();
    readKeys();
}
