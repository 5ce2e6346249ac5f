#include "dialogs/ValueDlg.h"

#include "app/DataExchange.h"

namespace {

constexpr int kTemplateId = 148;
constexpr int kPromptId = 1036;
constexpr int kValueId = 1001;

} // namespace

CValueDlg::CValueDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
{
}

void CValueDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kPromptId, m_strPrompt);
    dx.Text(kValueId, m_strValue);
}
