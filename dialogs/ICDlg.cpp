// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ICDlg.h"
#include "record/RecordedWrite.h"

#include "ui/DataExchange.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "link/BusyScope.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"

#include <QAbstractButton>

namespace {

constexpr int kTemplateId = 181;
constexpr int kCardNoId = 1001;
constexpr int kValidId = 1016;
constexpr int kInvalidId = 1017;
constexpr int kSendId = 1061;

// Card numbers travel as one 16-bit word; a number outside it would name
// another card.
constexpr int kLastCardNo = 65535;
// Given to the controller before the first try.
constexpr int kPauseBeforeSendMs = 1000;

CExchange::Request CardRequest(int cardNo, char state)
{
    return {.build = [cardNo, state] { g_request.BuildWordCharArg(kControllerAddress, 'F', 'D', cardNo, state); },
            .waitMs = 500,
            .maxCount = 20,
            .test = Acceptance::ValidFrameLetters,
            .ackPos = 5,
            .attempts = 2};
}

} // namespace

CICDlg::CICDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
    , m_btnValid(Control<QAbstractButton>(this, kValidId))
    , m_btnInvalid(Control<QAbstractButton>(this, kInvalidId))
{
    connect(Control<QAbstractButton>(this, kSendId), &QAbstractButton::clicked, this, &CICDlg::OnSendButton);
}

void CICDlg::OnInitDialog()
{
    CTemplateDialog::OnInitDialog();
    m_btnValid->setChecked(true);
}

void CICDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Signed(kCardNoId, m_nCardNo, 0, kLastCardNo);
}

// The port is held from the technician's 确定 to the last reply, the pause
// before the first try included: a card typed or a button pressed meanwhile
// is dropped, never sent after this one. Success is reported while the port
// is still held; the failure message comes after it is released.
void CICDlg::OnSendButton()
{
    if (!UpdateData(true))
        return;
    if (m_btnValid->isChecked())
        m_cState = 'F';
    if (m_btnInvalid->isChecked())
        m_cState = '0';
    {
        const CBusyScope busy;
        CExchange::Sleep(kPauseBeforeSendMs);
        CRecordedWrite recorded("lift", "ic-card", m_nCardNo, QString(), m_cState == 'F' ? "有效" : "无效");
        const bool taken = CExchange::Run(CardRequest(m_nCardNo, m_cState));
        recorded.Done(taken);
        if (taken) {
            VelorMessageBox("修改成功");
            return;
        }
    }
    VelorMessageBox("修改失败，请再按确定!");
}
