// SPDX-License-Identifier: GPL-3.0-or-later
// velor-record: the service record from the command line. It reads the
// record's views, brings it together with the company's record server, and
// never talks to a controller.
#include "params/ParamFile.h"
#include "record/ServerCommands.h"
#include "record/ServiceRecord.h"
#include "report/ReportCommand.h"
#include "settings/RecordServerSetting.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <map>

namespace {

const char kUsage[] =
    "usage: velor-record lifts\n"
    "       velor-record visits [LIFT]\n"
    "       velor-record changes [VISIT | --last] [--csv]\n"
    "       velor-record snapshot ID [-o FILE.F]\n"
    "       velor-record diff A B        (each a .F file or a snapshot id; exit 0 equal, 1 differ)\n"
    "       velor-record check\n"
    "       velor-record sync            (with the company's record server, registry value recordserver)\n"
    "       velor-record history LIFT    (fetches the lift's whole history from the server, then lists its visits)\n"
    "       velor-record server-setup CONNINFO\n"
    "       velor-record report [VISIT | --last] -o FILE.pdf\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

QString CsvField(const QString& text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n'))
        return text;
    return '"' + QString(text).replace("\"", "\"\"") + '"';
}

// Prints every row of the query, tab-separated or as CSV with a header.
int Print(QSqlQuery& query, bool csv)
{
    if (!query.exec()) {
        std::fprintf(stderr, "velor-record: %s\n", qPrintable(query.lastError().text()));
        return 3;
    }
    QTextStream out(stdout);
    const QSqlRecord columns = query.record();
    if (csv) {
        QStringList names;
        for (int i = 0; i < columns.count(); ++i)
            names << columns.fieldName(i);
        out << names.join(',') << '\n';
    }
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < columns.count(); ++i)
            fields << (csv ? CsvField(query.value(i).toString()) : query.value(i).toString());
        out << fields.join(csv ? "," : "\t") << '\n';
    }
    return 0;
}

bool LoadValues(CServiceRecord& record, const QString& what, std::vector<ParamRecord>& values, QString& error)
{
    if (QFileInfo::exists(what)) {
        ParamFileContents contents;
        if (!CParamFile::Load(what, contents, error))
            return false;
        values = contents.records;
        return true;
    }
    if (record.SnapshotValues(what, values))
        return true;
    error = QString("%1: no such file or snapshot").arg(what);
    return false;
}

int Diff(CServiceRecord& record, const QString& a, const QString& b)
{
    std::vector<ParamRecord> left, right;
    QString error;
    if (!LoadValues(record, a, left, error) || !LoadValues(record, b, right, error)) {
        std::fprintf(stderr, "velor-record: %s\n", qPrintable(error));
        return 3;
    }
    std::map<int, int> l, r;
    for (const ParamRecord& p : left)
        l[p.number] = p.value;
    for (const ParamRecord& p : right)
        r[p.number] = p.value;
    std::map<int, std::pair<QString, QString>> differ;
    for (const auto& [n, v] : l)
        if (!r.count(n) || r[n] != v)
            differ[n] = {QString::number(v), r.count(n) ? QString::number(r[n]) : "-"};
    for (const auto& [n, v] : r)
        if (!l.count(n))
            differ[n] = {"-", QString::number(v)};
    QTextStream out(stdout);
    for (const auto& [n, values] : differ)
        out << n << '\t' << values.first << '\t' << values.second << '\n';
    return differ.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "report") == 0)
        return RunReportCommand(argc, argv);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool csv = args.removeAll("--csv") > 0;
    if (args.isEmpty())
        return Usage();
    QString command = args.takeFirst();

    CServiceRecord record(CServiceRecord::DefaultPath(), true);
    CServiceRecord::SetMessageHandler([](const QString& text) { std::fprintf(stderr, "velor-record: %s\n", qPrintable(text)); });
    const auto open = [&] { return record.Open(); };

    if (command == "lifts" && args.isEmpty()) {
        if (!open())
            return 3;
        QSqlQuery query(record.Database());
        query.prepare("SELECT elevator_id, program_name, count(*) AS visits, max(started) AS last_visit "
                      "FROM record_visits GROUP BY elevator_id, program_name ORDER BY last_visit DESC");
        return Print(query, csv);
    }
    if (command == "sync" && args.isEmpty())
        return ServerCommands::Sync(CServiceRecord::DefaultPath(), ReadRecordServer());
    if (command == "server-setup" && args.size() == 1)
        return ServerCommands::ServerSetup(args.first());
    if (command == "history" && args.size() == 1) {
        if (const int status = ServerCommands::History(CServiceRecord::DefaultPath(), ReadRecordServer(), args.first()))
            return status;
        command = "visits";
    }
    if (command == "visits" && args.size() <= 1) {
        if (!open())
            return 3;
        QSqlQuery query(record.Database());
        query.prepare(QString("SELECT visit, started, ended, elevator_id, program_name FROM record_visits %1 "
                              "ORDER BY started DESC").arg(args.isEmpty() ? "" : "WHERE elevator_id = ?"));
        if (!args.isEmpty())
            query.addBindValue(args.first());
        return Print(query, csv);
    }
    if (command == "changes" && args.size() <= 1) {
        if (!open())
            return 3;
        QSqlQuery query(record.Database());
        const bool last = args.isEmpty() || args.first() == "--last";
        query.prepare(QString("SELECT at, board, what, parameter, old_value, new_value, outcome FROM record_writes "
                              "WHERE visit = %1 ORDER BY at")
                          .arg(last ? "(SELECT visit FROM record_visits ORDER BY started DESC LIMIT 1)" : "?"));
        if (!last)
            query.addBindValue(args.first());
        return Print(query, csv);
    }
    if (command == "snapshot" && (args.size() == 1 || (args.size() == 3 && args[1] == "-o"))) {
        std::vector<ParamRecord> values;
        if (!open() || !record.SnapshotValues(args.first(), values)) {
            std::fprintf(stderr, "velor-record: %s: no such snapshot\n", qPrintable(args.first()));
            return 3;
        }
        if (args.size() == 3) {
            QString error;
            if (!CParamFile::Save(args[2], values, error)) {
                std::fprintf(stderr, "velor-record: %s\n", qPrintable(error));
                return 3;
            }
            return 0;
        }
        QTextStream out(stdout);
        for (const ParamRecord& p : values)
            out << p.number << '\t' << p.value << '\n';
        return 0;
    }
    if (command == "diff" && args.size() == 2) {
        open();
        return Diff(record, args[0], args[1]);
    }
    if (command == "check" && args.isEmpty()) {
        if (!open())
            return 3;
        const QString found = record.Check();
        std::printf("%s\n", qPrintable(found));
        return found == "ok" ? 0 : 1;
    }
    return Usage();
}
