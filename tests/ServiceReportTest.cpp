// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ReportDlg.h"
#include "pages/RideCsv.h"
#include "params/LiftParamPage.h"
#include "record/ServiceRecord.h"
#include "report/ServiceReport.h"
#include "report/Technician.h"
#include "sim/SimReply.h"
#include "tests/DialogDriver.h"
#include "tests/FileChooser.h"
#include "tests/ModalActions.h"
#include "tests/ScriptedPeerTest.h"
#include "tests/TempConfigHome.h"
#include "ui/ListView.h"
#include "ui/TemplateLoader.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM"); // as on a terminal without a display
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(10000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// A recording of one short ride, in the columns the ride recorder writes.
QString RideText()
{
    QString csv = RideCsv::Header().join(',') + "\r\n";
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i <= 20; ++i)
        csv += start.addMSecs(i * 500).toString(Qt::ISODateWithMs) + QString(",%1,\"3,A\",1,0,0,1,1,0,0,自动,\r\n")
                   .arg(i <= 10 ? i * 0.15 : (20 - i) * 0.15);
    return csv;
}

} // namespace

// A visit made against the controller: the parameter page reads the list,
// writes F140 and has a second write refused; the list is read again; the
// identity, the fault log and its clearing, a fault report, the shaft data and
// a ride come in through the record. The report of it, from the dialog and
// from velor-record, names all of that in an embedded Chinese face.
class ServiceReportTest : public CScriptedPeerTest
{
protected:
    // The visit: returns its id and F140's value before it.
    QString MakeVisit(QString& f140Before)
    {
        CServiceRecord& record = CServiceRecord::Instance();
        const QString visit = record.StartVisit();
        record.SetIdentity({"PROG-7", "DT-0815", "021-5550 1234", 1000, "2026-12-08 09:00:00"});
        CLiftParamPage page;
        page.resize(460, 600);
        page.show();
        page.GiveFocus();
        f140Before = RowText(page.List(), 140, 1);
        CModalActions dialogs;
        dialogs.Queue(EnterValue("65535"));
        DialogDriver::ClickRow(page.List(), 140);
        m_answer = [](const std::string& request) -> std::optional<std::string> {
            if (request.substr(3, 2) == "F5")
                return CSimReply('F', '5').AddText("0").Frame();
            return std::nullopt;
        };
        dialogs.Queue(EnterValue("7"));
        DialogDriver::ClickRow(page.List(), 140);
        m_answer = nullptr;
        // The list read again, as the page's refresh would (a second read of the whole list takes long).
        QSqlQuery first(record.Database());
        first.prepare("SELECT snapshot FROM record_parameters WHERE visit = ? LIMIT 1");
        first.addBindValue(visit);
        first.exec();
        std::vector<ParamRecord> values;
        EXPECT_TRUE(first.next() && record.SnapshotValues(first.value(0).toString(), values));
        values.at(140).value = 65535;
        record.AddSnapshot("lift", values, true, static_cast<int>(values.size()));
        record.AddWriteOutcome(record.AddWriteIntent("lift", "fault-log-reset", {}, {}, {}),
                               CServiceRecord::Outcome::Acknowledged);
        record.AddFaults("log", {{1, 23, "门锁回路断开", 3, "12-07 18:00"}, {2, 31, "上限位动作", 12, "12-07 19:05"}});
        record.AddFaults("report", {{0, 41, "安全回路断开", 5, {}}});
        record.AddShaftData("lift", "1F 1200 mm\n2F 4200 mm");
        record.SetIdentity({"PROG-7", "DT-0815", "021-5550 1234", 1012, {}});
        record.AddRideRecording(RideText());
        record.EndVisit();
        return visit;
    }

    QTemporaryDir m_dir;
    CTempConfigHome m_config;
};

TEST_F(ServiceReportTest, ReportOfAVisitNamesTheLiftEveryChangeTheRefusalAndTheFaults)
{
    QString before;
    const QString visit = MakeVisit(before);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(m_boxes.Texts(), QStringList{"F140 写入被拒绝"});

    const QString fromDialog = m_dir.filePath("dialog.pdf"), fromCli = m_dir.filePath("cli.pdf");
    {
        CReportDlg dialog(CServiceRecord::Instance(), visit);
        dialog.findChild<QLineEdit*>(CReportDlg::kTechnicianName)->setText("李工");
        dialog.findChild<QPlainTextEdit*>(CReportDlg::kRemarksName)->setPlainText("曳引机异响，建议下次更换轴承");
        CFileChooser chooser(fromDialog);
        dialog.findChild<QPushButton*>(CReportDlg::kSaveName)->click();
        EXPECT_EQ(chooser.Count(), 1);
    }
    EXPECT_EQ(RememberedTechnician(), "李工");
    int exitCode = -1;
    const QString cliOutput = RunTool(VELOR_RECORD_PROGRAM, {"report", "--last", "-o", fromCli}, &exitCode);
    EXPECT_EQ(exitCode, 0) << cliOutput.toStdString();

    struct Case
    {
        QString pdf;
        QStringList lines; // each a regular expression some line of the text matches
    } cases[] = {
        {fromDialog, {"曳引机异响"}},
        {fromCli, {}},
    };
    const QStringList common = {
        "电梯编号\\s+DT-0815",
        "程序名称\\s+PROG-7",
        "电话号码\\s+021-5550 1234",
        "维护人员\\s+李工",
        "F140 .*" + QRegularExpression::escape(before) + " → 65535\\s+已确认",
        "F140 .*65535 → 7\\s+⚠ 被拒绝",
        "故障记录清除.*已确认",
        "F140 .*" + QRegularExpression::escape(before) + "\\s+65535$",
        "23\\s+门锁回路断开\\s+3",
        "31\\s+上限位动作\\s+12",
        "已清除故障记录",
        "41\\s+安全回路断开\\s+5",
        "维护开始时 1000，结束时 1012",
        "2F 4200 mm",
        "电梯 DT-0815 .* 第 1 页 / 共 \\d 页",
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdf.toStdString());
        const QString text = RunTool("pdftotext", {"-layout", c.pdf, "-"});
        for (const QString& line : common + c.lines)
            EXPECT_TRUE(QRegularExpression(line, QRegularExpression::MultilineOption).match(text).hasMatch())
                << line.toStdString() << "\n" << text.toStdString();
        const QString fonts = RunTool("pdffonts", {c.pdf});
        EXPECT_TRUE(QRegularExpression("(UMing|CJK)\\S*\\s+CID TrueType\\s+Identity-H\\s+yes").match(fonts).hasMatch())
            << fonts.toStdString();
        const QString images = RunTool("pdfimages", {"-list", c.pdf});
        QSet<QString> charts; // by object: one drawn on two pages is one image
        for (const QString& line : images.split('\n')) {
            const QStringList fields = line.simplified().split(' ');
            if (fields.value(2) == "image")
                charts << fields.value(10);
        }
        EXPECT_EQ(charts.size(), 1) << images.toStdString();
    }

    // Nothing is written where the report cannot be written whole, nor for a visit the record does not have.
    CServiceReport report;
    QString error;
    ASSERT_TRUE(report.Load(CServiceRecord::Instance().Database(), visit, error));
    EXPECT_FALSE(report.WritePdf(m_dir.filePath("no-such-folder/r.pdf"), error));
    EXPECT_TRUE(error.contains("no-such-folder")) << error.toStdString();
    EXPECT_FALSE(report.Load(CServiceRecord::Instance().Database(), "no-such-visit", error));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("no-such-folder")));
    const QString missing = RunTool(VELOR_RECORD_PROGRAM, {"report", "no-such-visit", "-o", m_dir.filePath("x.pdf")}, &exitCode);
    EXPECT_EQ(exitCode, 3);
    EXPECT_TRUE(missing.contains("no-such-visit")) << missing.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("x.pdf")));
}
