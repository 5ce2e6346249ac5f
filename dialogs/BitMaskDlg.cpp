// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/BitMaskDlg.h"

#include "ui/DataExchange.h"
#include "link/FrameBuffer.h"

#include <cstring>

namespace {

constexpr int kTemplateId = 150;
constexpr int kPromptId = 1051;
constexpr int kFirstBoxId = 1013;
constexpr int kBitsPerByte = 8;

// Byte k of a wire-order mask stands in characters 2k and 2k + 1.
void MaskToBits(const char* mask, bool* bits)
{
    for (int k = 0; k < 2; ++k) {
        const int byte = ParseHex2(mask + 2 * k);
        for (int b = 0; b < kBitsPerByte; ++b)
            bits[kBitsPerByte * k + b] = (byte >> b & 1) != 0;
    }
}

void BitsToMask(const bool* bits, char* mask)
{
    std::memset(mask, 0, 5);
    for (int k = 0; k < 2; ++k) {
        int byte = 0;
        for (int b = 0; b < kBitsPerByte; ++b)
            byte |= bits[kBitsPerByte * k + b] << b;
        std::memcpy(mask + 2 * k, HexByte(byte), 2);
    }
}

} // namespace

CBitMaskDlg::CBitMaskDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
{
}

void CBitMaskDlg::OnInitDialog()
{
    CTemplateDialog::OnInitDialog();
    MaskToBits(m_szMask, m_bBit);
    UpdateData(false);
}

void CBitMaskDlg::OnOK()
{
    UpdateData(true);
    BitsToMask(m_bBit, m_szMask);
    CTemplateDialog::OnOK();
}

void CBitMaskDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kPromptId, m_strPrompt);
    for (int i = 0; i < kBitCount; ++i)
        dx.Check(kFirstBoxId + i, m_bBit[i]);
}
