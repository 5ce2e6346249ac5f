// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TemplateDialog.h"

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"
#include "link/Cancel.h"
#include "link/PortChannel.h"
#include "res/DialogTemplates.h"

#include <QPushButton>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

} // namespace

CTemplateDialog::CTemplateDialog(int templateId, QWidget* parent)
    : CTemplateDialog(FindDialogTemplate(templateId), parent)
{
}

CTemplateDialog::CTemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent) : QDialog(parent)
{
    CTemplateLoader loader(dialogTemplate);
    loader.Build(this);
    setFixedSize(loader.DialogSize());
    if (dialogTemplate.style & DialogNoCaption)
        setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    if (auto* ok = Control<QPushButton>(this, kOkId))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = Control<QPushButton>(this, kCancelId))
        connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CTemplateDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

int CTemplateDialog::exec()
{
    if (CCancel::Closing()) {
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

// Escape and 取消 are dropped while the port is held (see CInputGuard); the
// window's close button comes here and is refused the same way.
void CTemplateDialog::reject()
{
    if (g_port.m_busy)
        return;
    OnCancel();
}

void CTemplateDialog::OnInitDialog()
{
    UpdateData(false);
}

void CTemplateDialog::OnOK()
{
    if (UpdateData(true))
        QDialog::accept();
}

void CTemplateDialog::OnCancel()
{
    QDialog::reject();
}

void CTemplateDialog::DoDataExchange(CDataExchange&)
{
}

void CTemplateDialog::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}
