// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ReportDlg.h"

#include "params/ParamFileDialog.h"
#include "record/ServiceRecord.h"
#include "report/ServiceReport.h"
#include "report/Technician.h"
#include "ui/MessageBox.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

CReportDlg::CReportDlg(CServiceRecord& record, QString visit, QWidget* parent)
    : QDialog(parent), m_record(record), m_visit(std::move(visit))
{
    setWindowTitle("维护报告");
    auto* layout = new QVBoxLayout(this);
    m_visitLine = new QLabel(this);
    layout->addWidget(m_visitLine);
    auto* form = new QFormLayout;
    m_technician = new QLineEdit(RememberedTechnician(), this);
    m_technician->setObjectName(kTechnicianName);
    form->addRow("维护人员(&N)：", m_technician);
    m_remarks = new QPlainTextEdit(this);
    m_remarks->setObjectName(kRemarksName);
    m_remarks->setTabChangesFocus(true);
    form->addRow("备注(&R)：", m_remarks);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton("保存 PDF(&S)...", QDialogButtonBox::ActionRole);
    m_save->setObjectName(kSaveName);
    m_print = buttons->addButton("打印(&P)...", QDialogButtonBox::ActionRole);
    m_print->setObjectName(kPrintName);
    buttons->addButton("关闭", QDialogButtonBox::RejectRole);
    connect(m_save, &QPushButton::clicked, this, &CReportDlg::OnSave);
    connect(m_print, &QPushButton::clicked, this, &CReportDlg::OnPrint);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 300);

    CServiceReport report;
    QString error;
    const bool readable = m_record.Open() && report.Load(m_record.Database(), m_visit, error);
    const VisitData& data = report.Data();
    m_visitLine->setText(readable ? QString("电梯 %1，维护开始于 %2")
                                        .arg(data.elevatorId.isEmpty() ? "（编号未读取）" : data.elevatorId,
                                             QDateTime::fromString(data.started, Qt::ISODateWithMs)
                                                 .toString("yyyy-MM-dd HH:mm"))
                                  : "无法读取这次维护：" + (error.isEmpty() ? m_record.Path() : error));
    m_save->setEnabled(readable);
    m_print->setEnabled(readable);
}

void CReportDlg::Open(QWidget* parent, CServiceRecord& record, const QString& visit)
{
    CReportDlg dialog(record, visit, parent);
    dialog.exec();
}

bool CReportDlg::Prepare(CServiceReport& report)
{
    QString error;
    if (!m_record.Open() || !report.Load(m_record.Database(), m_visit, error)) {
        VelorMessageBox("无法读取这次维护的记录：" + (error.isEmpty() ? m_record.Path() : error), MB_OK | MB_ICONERROR);
        return false;
    }
    const QString name = m_technician->text().trimmed();
    if (name != RememberedTechnician()) {
        const QString failure = RememberTechnician(name);
        if (!failure.isEmpty())
            VelorMessageBox("无法记住维护人员的姓名：" + failure, MB_OK | MB_ICONWARNING);
    }
    report.SetTechnician(name);
    report.SetRemarks(m_remarks->toPlainText());
    return true;
}

void CReportDlg::OnSave()
{
    CServiceReport report;
    if (!Prepare(report))
        return;
    const QString path = ChooseParamFile(this, true, "维护报告", "pdf");
    if (path.isEmpty())
        return;
    QString error;
    if (!report.WritePdf(path, error))
        VelorMessageBox("报告没有保存。" + error, MB_OK | MB_ICONERROR);
}

void CReportDlg::OnPrint()
{
    CServiceReport report;
    if (!Prepare(report))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!report.Print(printer, error))
        VelorMessageBox("报告没有打印。" + error, MB_OK | MB_ICONERROR);
}
