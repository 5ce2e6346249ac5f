#pragma once

#include "app/TemplateDialog.h"

#include <QString>

// Takes one parameter value as text under the parameter's description. The
// dialog neither checks nor converts the text; on OK m_strValue holds it as
// typed, of any length. Cancel and Escape leave both fields as they were.
class CValueDlg : public CTemplateDialog
{
    Q_OBJECT
public:
    explicit CValueDlg(QWidget* parent = nullptr);

    QString m_strPrompt;
    QString m_strValue;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
