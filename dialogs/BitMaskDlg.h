// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QString>

// Edits a 16-bit parameter whose bits are independent switches: sixteen check
// boxes "1" to "16", box n for bit n - 1. The caller puts the parameter's four
// hex digits into m_szMask as they travel on the wire, low byte pair first
// ("0100" is bit 0, "0001" bit 8; lower-case digits are read too); on OK
// m_szMask holds the boxes' value the same way, in upper-case digits.
class CBitMaskDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    static constexpr int kBitCount = 16;

    explicit CBitMaskDlg(QWidget* parent = nullptr);

    char m_szMask[5] = {};
    QString m_strPrompt;
    bool m_bBit[kBitCount] = {};

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
};
