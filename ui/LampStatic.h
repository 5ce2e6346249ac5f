// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

// A lamp indicator: shows one 16 x 16 cell of the lamp sheet (bitmap 139),
// chosen by the sheet row's y (0 red, 16 green, 32 yellow, 48 blue circular;
// 64.. the square ones) and the column (0 lit, 1 dark, 2 grey). The cell is
// drawn with magenta transparent on a COLOR_3DLIGHT background, centred when
// the control is at least 16 x 16, else at its top-left corner.
//
// SetLamp draws at once (a synchronous repaint, not a queued update) and
// always draws, even when the values are the ones already shown; owners that
// want to save drawing compare GetColumn() first. Paint events draw the last
// state again.
class CLampStatic : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCellSize = 16;

    explicit CLampStatic(QWidget* parent = nullptr);

    void SetLamp(int top, int column, int shift);
    int GetColumn() const { return m_column; }
    int GetTop() const { return m_top; }
    int GetShift() const { return m_shift; }

    // Number of SetLamp calls so far: every one of them is a draw. Paint events
    // (exposure, a page shown again) are not counted.
    int DrawCount() const { return m_drawCount; }

    QSize sizeHint() const override { return {kCellSize, kCellSize}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TargetSquare() const;
    QRect SourceCell() const;

    int m_top = 0;
    int m_column = 0;
    int m_shift = 0;
    int m_drawCount = 0;
    QPixmap m_sheet;
};
