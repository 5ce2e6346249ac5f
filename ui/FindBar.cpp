// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeWidget>

CFindBar::CFindBar(QTreeWidget* list, QList<int> textColumns)
    : QWidget(list->parentWidget())
    , m_list(list)
    , m_edit(new QLineEdit(this))
    , m_textColumns(std::move(textColumns))
{
    setObjectName("findBar");
    m_edit->setPlaceholderText("查找编号或说明（Esc 关闭）");
    m_edit->setClearButtonEnabled(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->addWidget(m_edit);
    hide();
    connect(m_edit, &QLineEdit::textChanged, this, &CFindBar::Filter);
    // Texts and rows arrive after the row: each change filters again.
    connect(list->model(), &QAbstractItemModel::dataChanged, this, [this] {
        if (IsOpen())
            Filter();
    });
    list->installEventFilter(this);
    m_edit->installEventFilter(this);
}

void CFindBar::Open(const QString& text)
{
    if (!IsOpen()) {
        m_listPlace = m_list->geometry();
        Place();
        show();
        raise();
    }
    m_edit->setText(text);
    m_edit->setFocus(Qt::ShortcutFocusReason);
}

void CFindBar::Place()
{
    const int height = sizeHint().height();
    m_shrunk = m_listPlace.adjusted(0, 0, 0, -height);
    m_list->setGeometry(m_shrunk);
    setGeometry(m_listPlace.left(), m_listPlace.bottom() + 1 - height, m_listPlace.width(), height);
}

void CFindBar::Close()
{
    if (!IsOpen())
        return;
    m_edit->clear(); // shows every row
    hide();
    m_list->setGeometry(m_listPlace);
    m_list->setFocus(Qt::OtherFocusReason);
    if (QTreeWidgetItem* current = m_list->currentItem())
        m_list->scrollToItem(current);
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == m_list && IsOpen() && m_list->geometry() != m_shrunk) {
        m_listPlace = m_list->geometry();
        Place();
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    return watched == m_edit ? OnEditKey(key) : OnListKey(key);
}

// Ctrl+F, or a letter or digit typed in the list, opens the bar; Escape
// closes an open one.
bool CFindBar::OnListKey(QKeyEvent* key)
{
    if (key->matches(QKeySequence::Find)) {
        Open(m_edit->text());
        return true;
    }
    if (key->key() == Qt::Key_Escape && IsOpen()) {
        Close();
        return true;
    }
    const bool typed = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        && !key->text().isEmpty() && key->text().at(0).isLetterOrNumber();
    if (typed)
        Open(key->text());
    return typed;
}

// Escape closes the bar; Return and the down arrow go to the rows found.
bool CFindBar::OnEditKey(QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        m_list->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void CFindBar::Filter()
{
    const QString query = m_edit->text().trimmed();
    QTreeWidgetItem* firstShown = nullptr;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        const bool shown = query.isEmpty() || Matches(item, query);
        item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    // Return acts on the current row: never on one the bar hides.
    QTreeWidgetItem* current = m_list->currentItem();
    if (!current || current->isHidden())
        m_list->setCurrentItem(firstShown);
}

bool CFindBar::Matches(const QTreeWidgetItem* item, const QString& query) const
{
    static const QRegularExpression number("^[Ff]?(\\d+)$");
    const QRegularExpressionMatch asNumber = number.match(query);
    const QRegularExpressionMatch rowNumber = number.match(item->text(0));
    if (asNumber.hasMatch() && rowNumber.hasMatch() && asNumber.captured(1).toInt() == rowNumber.captured(1).toInt())
        return true;
    for (const int column : m_textColumns)
        if (item->text(column).contains(query, Qt::CaseInsensitive))
            return true;
    return false;
}
