#include "bookmarkmanagerbase.h"

#include <ymrlistview.h>
#include <ymrpushbutton.h>

#include <QGridLayout>
#include <QSpacerItem>

BookmarkManagerBase::BookmarkManagerBase(QWidget *parent, const char *name, bool modal,
                                         Qt::WindowFlags f)
    : QDialog(parent, f)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("BookmarkManagerBase"));
    setModal(modal);
    resize(403, 523);
    setWindowTitle(tr("Bookmarks"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(3);

    list = new YMRListView(this, "list");
    list->addColumn(tr("Column 1"));
    list->setHScrollBarMode(YMRListView::AlwaysOff);
    grid->addWidget(list, 0, 0, 1, 5);

    btnUp = new YMRPushButton(this, "btnUp");
    grid->addWidget(btnUp, 1, 0);
    btnDown = new YMRPushButton(this, "btnDown");
    grid->addWidget(btnDown, 1, 1);
    btnRemove = new YMRPushButton(this, "btnRemove");
    grid->addWidget(btnRemove, 1, 2);
    grid->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 3);
    btnGo = new YMRPushButton(tr("Go"), this, "btnGo");
    btnGo->setDefault(true);
    grid->addWidget(btnGo, 1, 4);

    connect(btnUp, &QPushButton::clicked, this, &BookmarkManagerBase::doUp);
    connect(btnDown, &QPushButton::clicked, this, &BookmarkManagerBase::doDown);
    connect(btnGo, &QPushButton::clicked, this, &BookmarkManagerBase::doGo);
    connect(btnRemove, &QPushButton::clicked, this, &BookmarkManagerBase::doRemove);
    connect(list, &YMRListView::currentChanged, this, &BookmarkManagerBase::currentChanged);

    setTabOrder(btnGo, btnUp);
    setTabOrder(btnUp, btnDown);
    setTabOrder(btnDown, btnRemove);
}

BookmarkManagerBase::~BookmarkManagerBase() = default;

void BookmarkManagerBase::doDown()
{
    qWarning("BookmarkManagerBase::doDown(): Not implemented yet!");
}

void BookmarkManagerBase::doGo()
{
    qWarning("BookmarkManagerBase::doGo(): Not implemented yet!");
}

void BookmarkManagerBase::doRemove()
{
    qWarning("BookmarkManagerBase::doRemove(): Not implemented yet!");
}

void BookmarkManagerBase::doUp()
{
    qWarning("BookmarkManagerBase::doUp(): Not implemented yet!");
}

void BookmarkManagerBase::currentChanged(YMRListViewItem *)
{
    qWarning("BookmarkManagerBase::currentChanged(YMRListViewItem *): Not implemented yet!");
}
