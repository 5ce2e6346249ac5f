// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DisplayCodeDlg.h"

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"
#include "pages/FloorDisplayTexts.h"

#include <QComboBox>

namespace {

constexpr int kTemplateId = 152;
constexpr int kPromptId = 1036;
constexpr int kCodeId = 1054;

} // namespace

CDisplayCodeDlg::CDisplayCodeDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
    , m_cbCode(Control<QComboBox>(this, kCodeId))
{
}

int CDisplayCodeDlg::FindCode(int code) const
{
    const int position = m_cbCode->findData(code);
    return position < 0 ? 0 : position;
}

void CDisplayCodeDlg::OnInitDialog()
{
    CTemplateDialog::OnInitDialog();
    for (int code = kFirstDisplayCode; code <= kLastDisplayCode; ++code)
        m_cbCode->addItem(DisplayCodeName(code), code);
    m_cbCode->setCurrentIndex(FindCode(m_nCode));
}

void CDisplayCodeDlg::OnOK()
{
    if (m_cbCode->currentIndex() < 0)
        return OnCancel();
    m_nCode = m_cbCode->currentData().toInt();
    CTemplateDialog::OnOK();
}

void CDisplayCodeDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kPromptId, m_strPrompt);
}
