// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/ServerCommands.h"

#include "record/RecordServer.h"
#include "record/RecordSync.h"
#include "record/ServiceRecord.h"

#include <cstdio>

namespace ServerCommands {

namespace {

int Report(const CRecordSync::Result& result)
{
    std::fprintf(result.Ok() ? stdout : stderr, "%s%s\n", result.Ok() ? "" : "velor-record: ", qPrintable(result.text));
    return result.Ok() ? 0 : result.failure == CRecordServer::Failure::Local ? 3 : kServerFailed;
}

} // namespace

int Sync(const QString& recordPath, const QString& conninfo)
{
    return Report(CRecordSync(recordPath, conninfo).Sync());
}

int History(const QString& recordPath, const QString& conninfo, const QString& elevatorId)
{
    // The fetched visits go into the laptop's record, which may not exist yet.
    {
        CServiceRecord record(recordPath);
        if (!record.Open())
            return 3;
    }
    return Report(CRecordSync(recordPath, conninfo).History(elevatorId));
}

int ServerSetup(const QString& conninfo)
{
    QString report;
    const bool done = CRecordServer::Setup(conninfo, report);
    std::fprintf(done ? stdout : stderr, "%s%s\n", done ? "" : "velor-record: ", qPrintable(report));
    return done ? 0 : kServerFailed;
}

} // namespace ServerCommands
