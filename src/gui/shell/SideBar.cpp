#include "gui/shell/SideBar.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {
constexpr int ValueRole = Qt::UserRole + 1;
}

SideBar::SideBar(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    setIconSize(QSize(24, 24));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(0xee, 0xf3, 0xf8));
    setPalette(colours);
    connect(this, &QTreeWidget::itemClicked, this, &SideBar::report);
}

QTreeWidgetItem* SideBar::group(const QString& caption)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->text(0) == caption)
            return topLevelItem(i);
    }
    auto* item = new QTreeWidgetItem(this, QStringList{caption});
    item->setFont(0, m_groupFont);
    item->setFlags(Qt::ItemIsEnabled);
    item->setExpanded(true);
    return item;
}

QTreeWidgetItem* SideBar::addItem(const QString& groupCaption, const QString& caption, int userData,
                                  const QIcon& icon)
{
    QTreeWidgetItem* parentGroup = group(groupCaption);
    auto* item = new QTreeWidgetItem(parentGroup, QStringList{caption});
    item->setData(0, ValueRole, userData);
    item->setFont(0, m_itemFont);
    // every icon at the same size, so that the captions line up
    if (!icon.isNull())
        item->setIcon(
            0,
            QIcon(icon.pixmap(iconSize()).scaled(iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    item->setToolTip(0, caption);
    parentGroup->setExpanded(true);
    return item;
}

QTreeWidgetItem* SideBar::itemWithValue(int userData) const
{
    for (int g = 0; g < topLevelItemCount(); ++g) {
        QTreeWidgetItem* groupItem = topLevelItem(g);
        for (int i = 0; i < groupItem->childCount(); ++i) {
            if (valueOf(*groupItem->child(i)) == userData)
                return groupItem->child(i);
        }
    }
    return nullptr;
}

int SideBar::valueOf(const QTreeWidgetItem& item)
{
    return item.data(0, ValueRole).toInt();
}

void SideBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        report(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void SideBar::report(QTreeWidgetItem* item)
{
    if (item && item->parent())
        Q_EMIT itemValueClicked(valueOf(*item));
}
