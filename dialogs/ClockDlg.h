#pragma once

#include "ui/TemplateDialog.h"

// Takes a date and a time for the controller's clock. The caller fills the six
// fields, runs the dialog and uses them only after OK. OK reads the edits in
// the order year, month, day, hour, minute, second as the framework reads
// unsigned numbers ("12x" is 12, "-1" a very large number) and refuses the
// first one that is not a number or lies outside its range; the dialog then
// stays open. Ranges: year 0-99, month 0-12, day 0-31, hour 0-23, minute and
// second 0-59 (the day is not checked against the month).
class CClockDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CClockDlg(QWidget* parent = nullptr);

    unsigned m_nYear = 0;
    unsigned m_nMonth = 0;
    unsigned m_nDay = 0;
    unsigned m_nHour = 0;
    unsigned m_nMinute = 0;
    unsigned m_nSecond = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
