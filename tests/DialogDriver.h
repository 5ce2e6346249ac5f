// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateLoader.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

// Drives a template dialog the way a technician does, by control id. Show()
// opens it as exec() would (its opening runs on the first show) without a
// modal loop; a button press that closes it leaves the result in result().
namespace DialogDriver {

inline void Show(QDialog& dialog)
{
    dialog.show();
}

inline void Type(QWidget* root, int id, const QString& text)
{
    Control<QLineEdit>(root, id)->setText(text);
}

inline QString Text(QWidget* root, int id)
{
    return Control<QLineEdit>(root, id)->text();
}

inline void Click(QWidget* root, int id)
{
    QTest::mouseClick(Control<QAbstractButton>(root, id), Qt::LeftButton);
}

// Clicks a list's row where it is shown, scrolled into view first.
inline void ClickRow(QTreeWidget* list, int row)
{
    list->scrollToItem(list->topLevelItem(row));
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace DialogDriver
