// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimer>

// Takes a date and a time for the controller's clock. The caller fills the six
// fields, runs the dialog and uses them only after OK. OK reads the edits in
// the order year, month, day, hour, minute, second as the framework reads
// unsigned numbers ("12x" is 12, "-1" a very large number) and refuses the
// first one that is not a number or lies outside its range; the dialog then
// stays open. Ranges: year 0-99, month 0-12, day 0-31, hour 0-23, minute and
// second 0-59 (the day is not checked against the month).
//
// The check box "使用电脑时间" offers the laptop's time instead: the fields
// then show it, ticking, and cannot be typed into; the caller takes the time
// again when its write goes out (TakeLaptopTime), so a dialog left open sets
// no clock behind.
class CClockDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    static constexpr int kLaptopTimeId = 1005;

    explicit CClockDlg(QWidget* parent = nullptr);

    // The six fields from a time of day (the year within its century).
    void SetFields(const QDateTime& time);
    // When m_bLaptopTime, the fields take the laptop's time now.
    void TakeLaptopTime();
    // The fields as the controller takes them: YYMMDDhhmmss.
    QByteArray Digits() const;

    bool m_bLaptopTime = false;

    unsigned m_nYear = 0;
    unsigned m_nMonth = 0;
    unsigned m_nDay = 0;
    unsigned m_nHour = 0;
    unsigned m_nMinute = 0;
    unsigned m_nSecond = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnLaptopTimeToggled(bool on);
    void ShowLaptopTime();

    QTimer m_tick; // the laptop's time in the fields while it is chosen
};
