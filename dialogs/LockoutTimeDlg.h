// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

// Edits one floor's lockout segment: start and end time as hour and minute.
// OK reads the edits in the order start hour, start minute, end hour, end
// minute as the clock dialog does (hours 0-23, minutes 0-59) and stays open on
// the first one refused. The start need not lie before the end.
class CLockoutTimeDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    CLockoutTimeDlg(unsigned startHour, unsigned startMinute, unsigned endHour, unsigned endMinute,
                    QWidget* parent = nullptr);

    unsigned m_nStartHour;
    unsigned m_nStartMinute;
    unsigned m_nEndHour;
    unsigned m_nEndMinute;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
