// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QAbstractItemView;

// Gives a list the keyboard's way to act on its selected row: Return, Enter
// and F2 run the action a click on the row runs. The key is taken, so it
// never reaches a dialog's default button. The arrow keys stay the list's own.
class CRowKeys : public QObject
{
public:
    CRowKeys(QAbstractItemView* list, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_action;
};
