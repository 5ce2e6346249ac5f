// SPDX-License-Identifier: GPL-3.0-or-later
// How long the service report of a large visit takes to write and how big it
// is: two snapshots of the 173 main board parameters (40 of them changed), 100
// writes, a full fault log and a ride recording. Not part of the tests.
//
//   velor_report_bench [FILE.pdf]   (keeps the report in FILE.pdf; QT_QPA_PLATFORM=offscreen for no display)

#include "record/ServiceRecord.h"
#include "report/ServiceReport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

QString RideCsv(int points)
{
    QString csv = "time,speed_mps,floor,running,door_opening,door_closing,door_locked,safety,full_load,overload,mode,fault\r\n";
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < points; ++i)
        csv += start.addMSecs(i * 100).toString(Qt::ISODateWithMs) + ","
               + QString::number(1.6 * std::sin(i * M_PI / points), 'f', 3) + ",3,1,0,0,1,1,0,0,自动,\r\n";
    return csv;
}

void FillVisit(CServiceRecord& record)
{
    record.StartVisit();
    record.SetIdentity({"LONG-PROGRAM 1.2", "DT-0042", "021-5555 0101", 123456, "2026-12-08 09:15:00"});
    std::vector<ParamRecord> first, last;
    for (int n = 0; n <= 172; ++n) {
        first.push_back({n, n * 3});
        last.push_back({n, n % 4 == 0 ? n * 3 + 1 : n * 3});
    }
    record.AddSnapshot("lift", first, true, 173);
    for (int i = 0; i < 100; ++i)
        record.AddWriteOutcome(record.AddWriteIntent("lift", "parameter", i, QString::number(i * 3), QString::number(i * 3 + 1)),
                               i % 10 == 9 ? CServiceRecord::Outcome::Refused : CServiceRecord::Outcome::Acknowledged);
    record.AddSnapshot("lift", last, true, 173);
    std::vector<CServiceRecord::FaultEntry> faults;
    for (int i = 1; i <= 30; ++i)
        faults.push_back({i, 10 + i, QString("故障 %1：门锁回路断开").arg(i), i % 12 + 1, "2026-12-07 18:00"});
    record.AddFaults("log", faults);
    record.SetIdentity({"LONG-PROGRAM 1.2", "DT-0042", "021-5555 0101", 123470, {}});
    record.AddRideRecording(RideCsv(3000));
    record.EndVisit();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    CServiceRecord record(dir.filePath("record.sqlite"));
    FillVisit(record);
    const QString visit = LastVisit(record.Database());
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath("report.pdf");
    for (int run = 1; run <= 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        CServiceReport report;
        QString error;
        report.SetTechnician("张工");
        if (!report.Load(record.Database(), visit, error) || !report.WritePdf(path, error)) {
            std::fprintf(stderr, "report: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("run %d: %lld ms to read the visit and write the report, %lld bytes\n", run,
                    static_cast<long long>(timer.elapsed()), static_cast<long long>(QFileInfo(path).size()));
    }
    // The printout's pages, through a printer that writes a PDF.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path + ".printed.pdf");
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
    QElapsedTimer timer;
    timer.start();
    CServiceReport report;
    QString error;
    if (!report.Load(record.Database(), visit, error) || !report.Print(printer, error)) {
        std::fprintf(stderr, "print: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("printed in %lld ms\n", static_cast<long long>(timer.elapsed()));
    return 0;
}
