// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class CServiceRecord;
class CServiceReport;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// 维护报告: the report of one visit of the service record, saved as a PDF or
// printed. The technician's name is asked here and remembered for the next
// report; the remarks are typed for this one. The visit is read again for
// each output, so the report of the running visit is up to date.
class CReportDlg : public QDialog
{
    Q_OBJECT
public:
    CReportDlg(CServiceRecord& record, QString visit, QWidget* parent = nullptr);

    // Opens the dialog for the visit and returns when it is closed.
    static void Open(QWidget* parent, CServiceRecord& record, const QString& visit);

    // Object names of the parts tests find.
    static constexpr const char* kTechnicianName = "technician";
    static constexpr const char* kRemarksName = "remarks";
    static constexpr const char* kSaveName = "savePdf";
    static constexpr const char* kPrintName = "print";

private:
    // The report as the dialog stands; false (after saying why) when the visit cannot be read.
    bool Prepare(CServiceReport& report);
    void OnSave();
    void OnPrint();

    CServiceRecord& m_record;
    QString m_visit;
    QLabel* m_visitLine;
    QLineEdit* m_technician;
    QPlainTextEdit* m_remarks;
    QPushButton* m_save;
    QPushButton* m_print;
};
