// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QString>

#include <optional>

// Takes one parameter value as text under the parameter's description. OK
// takes only a whole decimal number from 0 to m_nMost: any other text (a
// letter, a sign, a fraction, a number too large, full-width digits) gets a
// message naming the range and the dialog stays open, so a typing slip never
// becomes a value. On OK m_strValue holds the text as typed and m_nValue its
// number. Cancel and Escape leave the fields as they were.
class CValueDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CValueDlg(QWidget* parent = nullptr);

    QString m_strPrompt;
    QString m_strValue;
    int m_nMost = 0xFFFF; // 0xFF for a one-byte parameter
    int m_nValue = 0;

    // The number text stands for: ASCII digits only, blanks around them
    // allowed, at most most; none for anything else.
    static std::optional<int> ParseValue(const QString& text, int most);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;
};
