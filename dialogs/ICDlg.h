// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

class QAbstractButton;

// Authorises or revokes one IC card at the controller. The technician types
// the card number (0 to 65535), ticks "有效" (valid) or "无效" (invalid) and
// presses "确定", which sends the decision at once and reports the outcome;
// the dialog stays open for the next card until "取消" closes it. The caller
// passes nothing in and takes nothing out.
class CICDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CICDlg(QWidget* parent = nullptr);

    QAbstractButton* m_btnValid;
    QAbstractButton* m_btnInvalid;
    char m_cState = 'F';  // sent in the special code's place: 'F' valid, '0' invalid
    int m_nCardNo = 0;

protected:
    void OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnSendButton();
};
