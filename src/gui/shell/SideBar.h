#pragma once

#include <QTreeWidget>

// The main window's side bar: items in captioned groups, each item carrying a whole-number
// value that is reported when the operator clicks it (or presses Enter or Space on it).
class SideBar final : public QTreeWidget
{
    Q_OBJECT

public:
    explicit SideBar(QWidget* parent = nullptr);

    void setGroupFont(const QFont& font) { m_groupFont = font; }
    void setItemFont(const QFont& font) { m_itemFont = font; }
    // Adds a group at the end, or returns the group of that caption.
    QTreeWidgetItem* group(const QString& caption);
    QTreeWidgetItem* addItem(const QString& groupCaption, const QString& caption, int userData,
                             const QIcon& icon = {});
    // The item carrying the value, or nullptr.
    QTreeWidgetItem* itemWithValue(int userData) const;
    static int valueOf(const QTreeWidgetItem& item);

Q_SIGNALS:
    void itemValueClicked(int userData);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void report(QTreeWidgetItem* item);

    QFont m_groupFont;
    QFont m_itemFont;
};
