// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/LockoutTimeDlg.h"

#include "ui/DataExchange.h"

namespace {

constexpr int kTemplateId = 180;
constexpr unsigned kLastHour = 23;
constexpr unsigned kLastMinute = 59;

} // namespace

CLockoutTimeDlg::CLockoutTimeDlg(unsigned startHour, unsigned startMinute, unsigned endHour, unsigned endMinute,
                                 QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
    , m_nStartHour(startHour)
    , m_nStartMinute(startMinute)
    , m_nEndHour(endHour)
    , m_nEndMinute(endMinute)
{
}

void CLockoutTimeDlg::DoDataExchange(CDataExchange& dx)
{
    dx.ScannedUnsigned(1001, m_nStartHour, 0, kLastHour);
    dx.ScannedUnsigned(1003, m_nStartMinute, 0, kLastMinute);
    dx.ScannedUnsigned(1002, m_nEndHour, 0, kLastHour);
    dx.ScannedUnsigned(1004, m_nEndMinute, 0, kLastMinute);
}
