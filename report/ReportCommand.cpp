// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportCommand.h"

#include "record/ServiceRecord.h"
#include "report/ServiceReport.h"
#include "report/Technician.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

int Fail(const QString& text)
{
    std::fprintf(stderr, "velor-record: %s\n", qPrintable(text));
    return 3;
}

} // namespace

int RunReportCommand(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    const qsizetype output = args.indexOf("-o");
    if (output < 0 || output + 1 >= args.size() || args.size() > 3) {
        std::fputs("usage: velor-record report [VISIT | --last] -o FILE.pdf\n", stderr);
        return 2;
    }
    const QString path = args[output + 1];
    args.remove(output, 2);
    CServiceRecord::SetMessageHandler([](const QString& text) { Fail(text); });
    CServiceRecord record(CServiceRecord::DefaultPath(), true);
    if (!record.Open())
        return 3;
    const QString visit = args.isEmpty() || args.first() == "--last" ? LastVisit(record.Database()) : args.first();
    if (visit.isEmpty())
        return Fail("维护记录中还没有维护");
    CServiceReport report;
    QString error;
    report.SetTechnician(RememberedTechnician());
    if (!report.Load(record.Database(), visit, error) || !report.WritePdf(path, error))
        return Fail(error);
    return 0;
}
