// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ClockDlg.h"

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>

#include <array>

namespace {

constexpr int kTemplateId = 151;

// One clock field: its edit and its accepted range.
struct ClockField
{
    unsigned CClockDlg::*field;
    int editId;
    unsigned most;
};

// In the order the fields are taken and checked.
constexpr ClockField kClockFields[] = {
    {&CClockDlg::m_nYear, 1001, 99},  {&CClockDlg::m_nMonth, 1003, 12},  {&CClockDlg::m_nDay, 1007, 31},
    {&CClockDlg::m_nHour, 1002, 23},  {&CClockDlg::m_nMinute, 1004, 59}, {&CClockDlg::m_nSecond, 1008, 59},
};

// A time of day in the fields' order, the year within its century.
std::array<unsigned, 6> ClockValues(const QDateTime& time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return {unsigned(date.year() % 100), unsigned(date.month()), unsigned(date.day()),
            unsigned(clock.hour()),      unsigned(clock.minute()), unsigned(clock.second())};
}

} // namespace

CClockDlg::CClockDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
{
    m_tick.setInterval(250);
    connect(&m_tick, &QTimer::timeout, this, &CClockDlg::ShowLaptopTime);
    connect(Control<QCheckBox>(this, kLaptopTimeId), &QCheckBox::toggled, this, &CClockDlg::OnLaptopTimeToggled);
}

void CClockDlg::DoDataExchange(CDataExchange& dx)
{
    for (const ClockField& f : kClockFields)
        dx.ScannedUnsigned(f.editId, this->*f.field, 0, f.most);
    dx.Check(kLaptopTimeId, m_bLaptopTime);
}

void CClockDlg::SetFields(const QDateTime& time)
{
    const std::array<unsigned, 6> values = ClockValues(time);
    for (size_t i = 0; i < values.size(); ++i)
        this->*kClockFields[i].field = values[i];
}

void CClockDlg::TakeLaptopTime()
{
    if (m_bLaptopTime)
        SetFields(QDateTime::currentDateTime());
}

QByteArray CClockDlg::Digits() const
{
    return QString::asprintf("%02u%02u%02u%02u%02u%02u", m_nYear, m_nMonth, m_nDay, m_nHour, m_nMinute, m_nSecond)
        .toLatin1();
}

void CClockDlg::OnLaptopTimeToggled(bool on)
{
    for (const ClockField& f : kClockFields)
        Control<QLineEdit>(this, f.editId)->setReadOnly(on);
    if (on) {
        ShowLaptopTime();
        m_tick.start();
    } else {
        m_tick.stop();
    }
}

// Shows the time the fields would take now, without touching the fields
// themselves until OK.
void CClockDlg::ShowLaptopTime()
{
    const std::array<unsigned, 6> values = ClockValues(QDateTime::currentDateTime());
    for (size_t i = 0; i < values.size(); ++i)
        Control<QLineEdit>(this, kClockFields[i].editId)->setText(QString::number(values[i]));
}
