// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LampStatic.h"

#include "res/Resources.h"

#include <QPainter>

CLampStatic::CLampStatic(QWidget* parent)
    : QWidget(parent)
    , m_sheet(LoadMaskedBitmapResource(139))
{
    // The paint fills the whole control itself; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLampStatic::SetLamp(int top, int column, int shift)
{
    m_top = top;
    m_column = column;
    m_shift = shift;
    ++m_drawCount;
    repaint();
}

QRect CLampStatic::TargetSquare() const
{
    const QRect client = rect();
    if (client.width() < kCellSize || client.height() < kCellSize)
        return {client.topLeft(), QSize(kCellSize, kCellSize)};
    return {client.left() + (client.width() - kCellSize) / 2,
            client.top() + (client.height() - kCellSize) / 2, kCellSize, kCellSize};
}

QRect CLampStatic::SourceCell() const
{
    return {m_column * kCellSize, m_top + m_shift, kCellSize, kCellSize};
}

void CLampStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Midlight));
    // A cell outside the sheet shows the background only.
    if (m_sheet.rect().contains(SourceCell()))
        painter.drawPixmap(TargetSquare(), m_sheet, SourceCell());
}
