#include "ymrcombobox.h"

#include "qpe/qpeapplication.h"
#include "ymrapplication.h"
#include "ymrlistbox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QValidator>

#include <climits>

class YMRComboBoxData
{
public:
    int current = 0;
    int maxCount = INT_MAX;
    int sizeLimit = 7;
    YMRComboBox::Policy policy = YMRComboBox::AtBottom;
    bool autoResize = false;
    bool poppedUp = false;
    bool arrowDown = false;
    bool useCompletion = false;
    bool completeNow = false;
    int completeAt = 0;
    bool duplicatesEnabled = true;
    QLineEdit *ed = nullptr;
    mutable QSize sizeHint = QSize(-1, -1);
    YMRListBox *listBox = nullptr;
};

YMRComboBox::YMRComboBox(QWidget *parent, const char *name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(false);
}

YMRComboBox::YMRComboBox(bool rw, QWidget *parent, const char *name)
    : QWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    init(rw);
}

void YMRComboBox::init(bool rw)
{
    d = new YMRComboBoxData;
    setAttribute(Qt::WA_StaticContents);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setListBox(new YMRListBox(this, nullptr, Qt::Popup));
    if (rw) {
        setFocusPolicy(Qt::StrongFocus);
        setUpLineEdit();
    } else {
        setFocusPolicy(Qt::TabFocus);
    }
}

YMRComboBox::~YMRComboBox()
{
    // the list's own deletion still sends events to this filter
    dropListBox();
    delete d;
}

void YMRComboBox::dropListBox()
{
    YMRListBox *lb = d->listBox;
    if (!lb)
        return;
    d->listBox = nullptr;
    lb->removeEventFilter(this);
    lb->viewport()->removeEventFilter(this);
    delete lb;
}

static QByteArray nameOf(const QObject *o)
{
    return o->objectName().isEmpty() ? QByteArray("<no name>") : o->objectName().toLocal8Bit();
}

bool YMRComboBox::checkIndex(const char *method, int index) const
{
    // Negative indexes are out of range too.
    if (index >= 0 && index < count())
        return true;
    qWarning("YMRComboBox::%s: (%s) Index %i out of range", method, nameOf(this).constData(),
             index);
    return false;
}

// An insertion may go anywhere up to count; a negative index appends.
bool YMRComboBox::checkInsertIndex(int &index) const
{
    const int cnt = count();
    if (index > cnt) {
        qWarning("YMRComboBox::%s: (%s) Index %d out of range", "insertItem",
                 nameOf(this).constData(), index);
        return false;
    }
    // An append compares its real position with the current index.
    if (index < 0)
        index = cnt;
    return true;
}

// Shows the current item's text again: in the line edit, or by a repaint.
void YMRComboBox::showCurrent()
{
    if (d->ed) {
        d->ed->setText(text(d->current));
        updateLinedGeometry();
    } else {
        update();
    }
}

// After an item went in at the index: shows it when it took the current place.
bool YMRComboBox::insertedAt(int index)
{
    if (index != d->current || d->current >= count())
        return false;
    showCurrent();
    return true;
}

int YMRComboBox::count() const
{
    return int(d->listBox->count());
}

void YMRComboBox::insertStringList(const QStringList &list, int index)
{
    if (index < 0)
        index = count();
    for (const QString &s : list) {
        d->listBox->insertItem(s, index);
        if (insertedAt(index))
            currentChanged();
        ++index;
    }
}

void YMRComboBox::insertItem(const QString &t, int index)
{
    if (!checkInsertIndex(index))
        return;
    d->listBox->insertItem(t, index);
    insertedAt(index);
    if (index == d->current)
        currentChanged();
}

void YMRComboBox::insertItem(const QPixmap &pixmap, int index)
{
    if (!checkInsertIndex(index))
        return;
    d->listBox->insertItem(pixmap, index);
    insertedAt(index);
    if (index == d->current)
        currentChanged();
}

void YMRComboBox::insertItem(const QPixmap &pixmap, const QString &t, int index)
{
    if (!checkInsertIndex(index))
        return;
    d->listBox->insertItem(pixmap, t, index);
    insertedAt(index);
    if (index == d->current)
        currentChanged();
}

// Puts the list box's current item on the box's, without signals.
void YMRComboBox::syncListCurrent()
{
    const bool blocked = d->listBox->blockSignals(true);
    d->listBox->setCurrentItem(d->current);
    d->listBox->blockSignals(blocked);
}

void YMRComboBox::removeItem(int index)
{
    const int n = count();
    if (!checkIndex("removeItem", index))
        return;
    const bool blocked = d->listBox->blockSignals(true);
    d->listBox->removeItem(index);
    d->listBox->blockSignals(blocked);
    if (index == d->current) {
        // The item that took the removed one's place (or the new last) is current.
        if (d->ed)
            d->ed->setText(d->current < n - 1 ? text(d->current) : QString(QLatin1String("")));
        d->current = qMax(0, qMin(d->current, count() - 1));
        if (d->ed)
            updateLinedGeometry();
        else
            update();
        syncListCurrent();
        currentChanged();
    } else if (index < d->current) {
        // The same item stays current; only its index moves down.
        d->current--;
        syncListCurrent();
        update();
    }
}

void YMRComboBox::clear()
{
    d->sizeHint = QSize(-1, -1);
    d->current = 0;
    d->listBox->resize(0, 0);
    d->listBox->clear();
    if (d->ed) {
        d->ed->setText(QString());
        updateLinedGeometry();
    }
    currentChanged();
}

QString YMRComboBox::currentText() const
{
    if (d->ed)
        return d->ed->text();
    if (d->current >= 0 && d->current < count())
        return d->listBox->text(d->current);
    return QString();
}

QString YMRComboBox::text(int index) const
{
    if (!checkIndex("text", index))
        return QString();
    return d->listBox->text(index);
}

const QPixmap *YMRComboBox::pixmap(int index) const
{
    if (!checkIndex("pixmap", index))
        return nullptr;
    return d->listBox->pixmap(index);
}

// The list box replaces an item; it would make that index its current one and
// report it, but the box's current item stays, and nothing is reported.
template <typename Change>
static void changeQuietly(YMRListBox *lb, int current, Change change)
{
    const bool blocked = lb->blockSignals(true);
    change();
    lb->setCurrentItem(current);
    lb->blockSignals(blocked);
}

void YMRComboBox::changeItem(const QString &t, int index)
{
    if (!checkIndex("changeItem", index))
        return;
    changeQuietly(d->listBox, d->current, [&] { d->listBox->changeItem(t, index); });
    if (index == d->current)
        showCurrent();
}

void YMRComboBox::changeItem(const QPixmap &pixmap, int index)
{
    if (!checkIndex("changeItem", index))
        return;
    changeQuietly(d->listBox, d->current, [&] { d->listBox->changeItem(pixmap, index); });
    update();
}

void YMRComboBox::changeItem(const QPixmap &pixmap, const QString &t, int index)
{
    if (!checkIndex("changeItem", index))
        return;
    changeQuietly(d->listBox, d->current, [&] { d->listBox->changeItem(pixmap, t, index); });
    update();
}

int YMRComboBox::currentItem() const
{
    return d->current;
}

void YMRComboBox::setCurrentItem(int index)
{
    if (index == d->current && !d->ed)
        return;
    if (!checkIndex("setCurrentItem", index))
        return;
    YMRListBoxItem *i = d->listBox->item(index);
    if (i && !i->isSelectable())
        return;
    d->current = index;
    if (d->ed) {
        d->ed->setText(text(index));
        updateLinedGeometry();
    }
    if (d->poppedUp)
        d->listBox->setCurrentItem(index);
    else
        internalHighlight(index);
    currentChanged();
}

bool YMRComboBox::autoResize() const { return d->autoResize; }

void YMRComboBox::setAutoResize(bool on)
{
    const bool was = d->autoResize;
    d->autoResize = on;
    if (on && !was)
        adjustSize();
}

int YMRComboBox::sizeLimit() const { return d->sizeLimit; }
void YMRComboBox::setSizeLimit(int lines) { d->sizeLimit = lines; }
int YMRComboBox::maxCount() const { return d->maxCount; }

void YMRComboBox::setMaxCount(int n)
{
    int l = count();
    while (l > n && l > 0)
        removeItem(--l);
    d->maxCount = n;
}

YMRComboBox::Policy YMRComboBox::insertionPolicy() const { return d->policy; }
void YMRComboBox::setInsertionPolicy(Policy policy) { d->policy = policy; }

void YMRComboBox::setValidator(const QValidator *v)
{
    if (d->ed)
        d->ed->setValidator(v);
}

const QValidator *YMRComboBox::validator() const
{
    return d->ed ? d->ed->validator() : nullptr;
}

void YMRComboBox::clearValidator()
{
    if (d->ed)
        d->ed->setValidator(nullptr);
}

YMRListBox *YMRComboBox::listBox() const { return d->listBox; }
QLineEdit *YMRComboBox::lineEdit() const { return d->ed; }

void YMRComboBox::setAutoCompletion(bool on)
{
    d->useCompletion = on;
    d->completeNow = false;
}

bool YMRComboBox::autoCompletion() const { return d->useCompletion; }
void YMRComboBox::setDuplicatesEnabled(bool enable) { d->duplicatesEnabled = enable; }
bool YMRComboBox::duplicatesEnabled() const { return d->duplicatesEnabled; }
bool YMRComboBox::editable() const { return d->ed != nullptr; }

void YMRComboBox::setEditable(bool on)
{
    if (on == editable())
        return;
    if (on) {
        setUpLineEdit();
        d->ed->show();
        setFocusPolicy(Qt::StrongFocus);
    } else {
        delete d->ed;
        d->ed = nullptr;
        setFocusPolicy(Qt::TabFocus);
    }
    updateLinedGeometry();
    update();
}

void YMRComboBox::setListBox(YMRListBox *newListBox)
{
    if (!newListBox)
        return;
    if (d->listBox) {
        clear();
        dropListBox();
    }
    newListBox->setParent(this, Qt::Popup);
    newListBox->move(0, 0);
    newListBox->hide();
    d->listBox = newListBox;
    // The press that closes the list selects nothing, also not under it.
    newListBox->setAttribute(Qt::WA_NoMouseReplay);
    newListBox->setFont(font());
    newListBox->setVScrollBarMode(ScrollView::AlwaysOff);
    newListBox->setHScrollBarMode(ScrollView::AlwaysOff);
    if (!style() || style()->objectName() != QLatin1String("xp")) {
        newListBox->setFrameStyle(QFrame::Box | QFrame::Plain);
        newListBox->setLineWidth(1);
    }
    newListBox->resize(100, 10);
    connect(newListBox, qOverload<int>(&YMRListBox::selected), this,
            &YMRComboBox::internalActivate);
    connect(newListBox, qOverload<int>(&YMRListBox::highlighted), this,
            &YMRComboBox::internalHighlight);
}

void YMRComboBox::clearEdit()
{
    if (d->ed)
        d->ed->clear();
}

void YMRComboBox::setEditText(const QString &t)
{
    if (!d->ed)
        return;
    updateLinedGeometry();
    d->ed->setText(t);
}

void YMRComboBox::currentChanged()
{
    if (d->autoResize)
        adjustSize();
    update();
}

void YMRComboBox::internalHighlight(int index)
{
    emit highlighted(index);
    const QString t = d->listBox->text(index);
    if (!t.isNull())
        emit highlighted(t);
}

void YMRComboBox::internalActivate(int index)
{
    YMRListBoxItem *i = d->listBox->item(index);
    if (!i) {
        // Nothing under the release: close without choosing.
        popDownListBox();
        return;
    }
    if (!i->isSelectable())
        return;
    if (index != d->current) {
        d->current = index;
        currentChanged();
    }
    popDownListBox();
    d->poppedUp = false;
    const QString t = d->listBox->text(index);
    if (d->ed) {
        d->ed->setText(t);
        updateLinedGeometry();
    }
    emit activated(index);
    emit activated(t);
}

int YMRComboBox::listHeight(int lines) const
{
    if (count() == 0)
        return d->listBox->sizeHint().height();
    return qMin(count(), lines) * d->listBox->item(0)->height(d->listBox);
}

void YMRComboBox::popup()
{
    if (count() == 0)
        return;
    YMRListBox *lb = d->listBox;
    lb->installEventFilter(this);
    lb->viewport()->installEventFilter(this);
    // as wide as its longest entry where the box is narrower and the screen
    // has room: a choice cut short cannot be told from its neighbours
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, lb->item(i)->width(lb));
    if (count() > d->sizeLimit)
        widest += lb->verticalScrollBar()->sizeHint().width();
    const int w = qBound(width(), widest + 2 * lb->frameWidth(),
                         qMax(width(), QPEApplication::screenRect().width()));
    lb->resize(w, listHeight(d->sizeLimit) + 2 * lb->frameWidth());

    // one pixel below the box, or above it
    const QRect at = QPEApplication::popupGeometry(QRect(mapToGlobal(QPoint(0, 0)), size()),
                                                   lb->size(), 1);
    // move() places a window's frame; the list itself must start there.
    lb->setGeometry(at);
    lb->raise();
    syncListCurrent();
    lb->setVScrollBarMode(ScrollView::Auto);
    lb->show();
    d->poppedUp = true;
}

void YMRComboBox::popDownListBox()
{
    YMRListBox *lb = d->listBox;
    lb->removeEventFilter(this);
    lb->viewport()->removeEventFilter(this);
    lb->hide();
    lb->setCurrentItem(d->current);
    if (d->arrowDown) {
        d->arrowDown = false;
        update();
    }
    d->poppedUp = false;
}

void YMRComboBox::returnPressed()
{
    QString s = d->ed->text();
    if (s.isEmpty()) {
        d->ed->setText(d->current < count() ? d->listBox->text(d->current) : QString());
        d->ed->selectAll();
        return;
    }
    int c = -1;
    if (!d->duplicatesEnabled) {
        for (int i = 0; i < count(); ++i) {
            if (s == d->listBox->text(i)) {
                c = i;
                break;
            }
        }
    }
    if (c < 0) {
        Policy policy = d->policy;
        // A box that may keep no item inserts nothing.
        if (d->maxCount < 1)
            policy = NoInsertion;
        switch (policy) {
        case NoInsertion:
            emit activated(s);
            return;
        case AtCurrent:
            if (d->current < count()) {
                if (s != d->listBox->text(d->current)) {
                    YMRListBoxItem *i = d->listBox->item(d->current);
                    i->setText(s);
                    d->listBox->triggerUpdate(true);
                    update();
                }
            } else {
                d->listBox->insertItem(s, 0);
                d->current = 0;
            }
            emit activated(d->current);
            emit activated(s);
            return;
        default:
            break;
        }
        // Trim before inserting; the typed text is not an item, so it stays.
        while (count() >= d->maxCount)
            removeItem(count() - 1);
        switch (policy) {
        case AtTop:
            c = 0;
            break;
        case AfterCurrent:
            c = d->current + 1;
            break;
        case BeforeCurrent:
            c = d->current;
            break;
        case AtBottom:
        default:
            c = count();
            break;
        }
        c = qBound(0, c, count());
        const bool blocked = d->listBox->blockSignals(true);
        d->listBox->insertItem(s, c);
        d->listBox->blockSignals(blocked);
    }
    setCurrentItem(c);
    emit activated(c);
    emit activated(s);
}

void YMRComboBox::complete()
{
    d->completeNow = false;
    const QString t = d->ed->text();
    if (t.isNull() || d->ed->cursorPosition() <= d->completeAt
        || d->ed->cursorPosition() != t.length())
        return;
    const QString lt = t.toLower();
    for (int i = 0; i < count(); ++i) {
        const QString it = d->listBox->text(i);
        if (it.length() >= t.length() && it.length() < 100000
            && it.left(t.length()).toLower() == lt) {
            if (d->ed->hasSelectedText())
                return;
            QString candidate = it;
            int pos = t.length();
            const QValidator *v = d->ed->validator();
            if (v && v->validate(candidate, pos) == QValidator::Invalid)
                return;
            d->ed->setText(it);
            d->ed->setSelection(it.length(), t.length() - it.length());
            return;
        }
    }
}

bool YMRComboBox::eventFilter(QObject *o, QEvent *e)
{
    if (!o)
        return false;
    if (d->ed && o == d->ed) {
        switch (e->type()) {
        case QEvent::KeyPress: {
            auto *k = static_cast<QKeyEvent *>(e);
            k->setAccepted(true);
            keyPressEvent(k);
            if (k->isAccepted()) {
                d->completeNow = false;
                return true;
            }
            k->setAccepted(true);
            if (k->key() == Qt::Key_End)
                return false;
            d->completeNow = true;
            d->completeAt = d->ed->cursorPosition();
            // Let the line edit take the key first, then complete what it shows.
            static_cast<QObject *>(d->ed)->event(k);
            if (d->useCompletion && d->completeNow)
                complete();
            return true;
        }
        case QEvent::KeyRelease: {
            d->completeNow = false;
            auto *k = static_cast<QKeyEvent *>(e);
            k->setAccepted(false);
            keyReleaseEvent(k);
            const bool taken = k->isAccepted();
            k->setAccepted(true);
            return taken;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            d->completeNow = false;
            update();
            return false;
        default:
            if (d->useCompletion && d->completeNow)
                complete();
            return false;
        }
    }

    if (d->listBox && (o == d->listBox || o == d->listBox->viewport())) {
        auto *w = static_cast<QWidget *>(o);
        switch (e->type()) {
        case QEvent::MouseButtonRelease: {
            auto *m = static_cast<QMouseEvent *>(e);
            const QPoint p = w == d->listBox ? m->pos() : w->mapTo(d->listBox, m->pos());
            if (d->listBox->rect().contains(p)) {
                internalActivate(d->listBox->currentItem());
                return true;
            }
            if (d->arrowDown) {
                d->arrowDown = false;
                update();
            }
            return false;
        }
        case QEvent::MouseButtonPress: {
            auto *m = static_cast<QMouseEvent *>(e);
            const QPoint p = w == d->listBox ? m->pos() : w->mapTo(d->listBox, m->pos());
            if (!d->listBox->rect().contains(p)) {
                popDownListBox();
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: {
            auto *k = static_cast<QKeyEvent *>(e);
            const bool alt = k->modifiers() & Qt::AltModifier;
            if (k->key() == Qt::Key_Escape || k->key() == Qt::Key_F4
                || (alt && (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down))) {
                if (d->poppedUp) {
                    popDownListBox();
                    return true;
                }
            }
            return false;
        }
        default:
            return false;
        }
    }
    return QWidget::eventFilter(o, e);
}

void YMRComboBox::mousePressEvent(QMouseEvent *e)
{
    if (count() == 0) {
        e->ignore();
        return;
    }
    popup();
    d->arrowDown = true;
    update();
}

void YMRComboBox::mouseReleaseEvent(QMouseEvent *) {}
void YMRComboBox::mouseDoubleClickEvent(QMouseEvent *) {}
void YMRComboBox::mouseMoveEvent(QMouseEvent *) {}

void YMRComboBox::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_F4 && mods == Qt::NoModifier)
        || (key == Qt::Key_Down && (mods & Qt::AltModifier))
        || (!d->ed && key == Qt::Key_Space)) {
        if (count())
            popup();
        return;
    }
    if ((key != Qt::Key_Up && key != Qt::Key_Down) || count() == 0) {
        e->ignore();
        return;
    }
    const int n = count();
    const int step = key == Qt::Key_Up ? -1 : 1;
    int c = d->current;
    int found = -1;
    // At most one round, so a box without a selectable item cannot loop.
    for (int k = 0; k < n; ++k) {
        c += step;
        if (c < 0)
            c = n - 1;
        else if (c >= n)
            c = 0;
        if (c == d->current)
            break;
        YMRListBoxItem *i = d->listBox->item(c);
        if (i && i->isSelectable()) {
            found = c;
            break;
        }
    }
    if (found >= 0)
        setCurrentItem(found);
    const QString t = d->listBox->text(d->current);
    if (!t.isNull())
        emit activated(t);
    emit highlighted(d->current);
    emit activated(d->current);
}

void YMRComboBox::focusInEvent(QFocusEvent *e)
{
    QWidget::focusInEvent(e);
}

QStyleOptionComboBox YMRComboBox::styleOption(const QRect &r) const
{
    QStyleOptionComboBox opt;
    opt.initFrom(this);
    opt.rect = r;
    opt.editable = d->ed != nullptr;
    opt.frame = true;
    opt.subControls = QStyle::SC_All;
    if (d->arrowDown) {
        opt.state |= QStyle::State_Sunken | QStyle::State_On;
        opt.activeSubControls = QStyle::SC_ComboBoxArrow;
    }
    return opt;
}

void YMRComboBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    QStyleOptionComboBox opt = styleOption(rect());
    style()->drawComplexControl(QStyle::CC_ComboBox, &opt, &p, this);
    const QRect r = style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                            QStyle::SC_ComboBoxEditField, this);
    const int x1 = r.left();
    const int y1 = r.top();
    const int x2 = r.right();
    const int y2 = r.bottom();
    const bool focus = hasFocus() || (d->ed && d->ed->hasFocus());
    if (focus) {
        if (!d->ed)
            p.fillRect(x1 + 1, y1 + 1, x2 - x1, y2 - y1 - 1, pal.brush(QPalette::Highlight));
        QStyleOptionFocusRect f;
        f.initFrom(this);
        f.rect = style()->subElementRect(QStyle::SE_ComboBoxFocusRect, &opt, this);
        f.backgroundColor = pal.color(QPalette::Highlight);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &f, &p, this);
    }
    const QRect clip(QPoint(x1, y1 + 1), QPoint(x2, y2 - 1));
    p.setClipRect(clip);
    p.setPen(pal.color(focus ? QPalette::HighlightedText : QPalette::Text));
    p.setBackground(pal.brush(focus ? QPalette::Highlight : QPalette::Base));

    YMRListBoxItem *item = d->current < count() ? d->listBox->item(d->current) : nullptr;
    if (!d->ed) {
        if (item) {
            p.translate(x1, clip.top() + (clip.height() - item->height(d->listBox)) / 2);
            item->paint(&p);
        }
    } else if (item && item->pixmap() && !item->pixmap()->isNull()) {
        const QPixmap *pm = item->pixmap();
        p.setClipping(false);
        p.fillRect(x1, y1, pm->width() + 4, r.height(), pal.brush(QPalette::Base));
        p.drawPixmap(x1 + 2, r.top() + (r.height() - pm->height()) / 2, *pm);
    }
}

void YMRComboBox::resizeEvent(QResizeEvent *e)
{
    if (d->ed)
        updateLinedGeometry();
    QWidget::resizeEvent(e);
}

void YMRComboBox::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::StyleChange:
        d->sizeHint = QSize(-1, -1);
        if (d->ed)
            updateLinedGeometry();
        break;
    case QEvent::FontChange:
        d->sizeHint = QSize(-1, -1);
        d->listBox->setFont(font());
        if (d->ed)
            d->ed->setFont(font());
        if (d->autoResize)
            adjustSize();
        break;
    case QEvent::PaletteChange:
        d->listBox->setPalette(palette());
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

QSizePolicy YMRComboBox::sizePolicy() const
{
    return QWidget::sizePolicy();
}

QSize YMRComboBox::sizeHint() const
{
    if (d->sizeHint.width() >= 0 && d->sizeHint.height() >= 0)
        return d->sizeHint;
    ensurePolished();
    const QFontMetrics fm(font());
    int m = count() == 0 ? 7 * fm.horizontalAdvance(QLatin1Char('x')) : 0;
    int row = 0;
    for (int i = 0; i < count(); ++i) {
        YMRListBoxItem *it = d->listBox->item(i);
        m = qMax(m, it->width(d->listBox));
        row = qMax(row, it->height(d->listBox));
    }
    // The small screens pad less and take the font's own row height.
    const bool small = YMRApplication::isQVGAScreen();
    const int ls = fm.lineSpacing();
    row = qMax(row, small || ls > 31 ? ls + 2 : 34);
    const int pad = small ? 8 : 16;
    const int w0 = m + pad;
    const int h = row + (small ? 6 : 8);
    const QStyleOptionComboBox opt = styleOption(QRect(0, 0, w0, h));
    const QRect tr = style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                             QStyle::SC_ComboBoxEditField, this);
    const int w = m + 2 * pad + (w0 - tr.width()) + tr.left();
    d->sizeHint = QSize(w, h);
    return d->sizeHint;
}

void YMRComboBox::setUpLineEdit()
{
    if (!d->ed) {
        d->ed = new QLineEdit(this);
        d->ed->setFrame(false);
        updateLinedGeometry();
        d->ed->installEventFilter(this);
        setFocusProxy(d->ed);
        connect(d->ed, &QLineEdit::textChanged, this, &YMRComboBox::textChanged);
        connect(d->ed, &QLineEdit::returnPressed, this, &YMRComboBox::returnPressed);
    }
}

void YMRComboBox::updateLinedGeometry()
{
    if (!d->ed)
        return;
    const QStyleOptionComboBox opt = styleOption(rect());
    QRect r = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField,
                                      this);
    const QPixmap *pm = d->current < count() ? d->listBox->pixmap(d->current) : nullptr;
    if (pm && !pm->isNull() && pm->width() < r.width())
        r.setLeft(r.left() + pm->width() + 4);
    if (r != d->ed->geometry())
        d->ed->setGeometry(r);
}
