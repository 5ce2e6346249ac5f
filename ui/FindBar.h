// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The find bar of a list: Ctrl+F, or starting to type in the list, opens it
// at the bottom of the list, which gives up the bar's height meanwhile; while
// it is open the list shows only the rows whose number (column 0, "F6" or
// "6") is the text typed, or one of whose text columns holds it. Escape
// closes it, shows every row and gives the list its designed place again.
// Rows the list gets while the bar is open are filtered too, and a list the
// page places anew (a grown window) gives up the bar's height again.
class CFindBar : public QWidget
{
public:
    CFindBar(QTreeWidget* list, QList<int> textColumns);

    void Open(const QString& text = {});
    void Close();
    bool IsOpen() const { return isVisible(); }
    QLineEdit* Edit() const { return m_edit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    bool OnListKey(QKeyEvent* key);
    bool OnEditKey(QKeyEvent* key);
    void Filter();
    bool Matches(const QTreeWidgetItem* item, const QString& query) const;

    QTreeWidget* m_list;
    QLineEdit* m_edit;
    QList<int> m_textColumns;
    QRect m_listPlace; // the list's place while the bar is closed
    QRect m_shrunk;    // its place above the open bar
};
