#include "dialogs/ClockDlg.h"

#include "ui/DataExchange.h"

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

} // namespace

CClockDlg::CClockDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
{
}

void CClockDlg::DoDataExchange(CDataExchange& dx)
{
    for (const ClockField& f : kClockFields)
        dx.ScannedUnsigned(f.editId, this->*f.field, 0, f.most);
}
