// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateDialog.h"

#include <QString>

class QComboBox;

// Picks a floor's display code by what the floor indicator will show. The
// selector lists the codes 1 to 255 in ascending order under their names,
// each entry carrying its code as item data. The caller sets m_nCode to the
// current code (one outside the set selects "1") and m_strPrompt; on OK
// m_nCode is the chosen entry's code. The selector is a drop list without an
// edit field, so some entry is always chosen and OK never returns "no code".
class CDisplayCodeDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CDisplayCodeDlg(QWidget* parent = nullptr);

    // The list position of the first entry carrying `code`; 0 when none does.
    int FindCode(int code) const;

    int m_nCode = 0;
    QComboBox* m_cbCode;
    QString m_strPrompt;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
};
