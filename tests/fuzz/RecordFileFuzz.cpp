// SPDX-License-Identifier: GPL-3.0-or-later
// A service record file of any bytes (seeds: records of each schema version)
// opened as velor opens it: migrated, or kept under a dated name byte for
// byte when damaged, or opened read-only when newer; never a crash. Whatever
// opens for writing takes a visit and a snapshot and gives the snapshot back.

#include "record/ServiceRecord.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CServiceRecord::MessageHandler quiet = [](const QString&) {};
    CServiceRecord::SetMessageHandler(quiet);
    QTemporaryDir dir;
    const QString path = dir.filePath("record.sqlite");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile file(path);
        Require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), "cannot write the input");
    }
    CServiceRecord record(path);
    if (!record.Open()) {
        Require(!record.IsRecording(), "a record that did not open says it records");
        return 0;
    }
    record.Check();
    const QStringList kept = QDir(dir.path()).entryList({"record.sqlite.damaged-*"});
    if (!kept.isEmpty()) {
        QFile file(dir.filePath(kept.first()));
        Require(file.open(QIODevice::ReadOnly) && file.readAll() == bytes, "a damaged record is not kept as it was");
    }
    if (record.IsReadOnly() || !record.IsRecording())
        return 0;
    record.StartVisit();
    const std::vector<ParamRecord> values{{0, 1}, {5, 65535}, {172, 7}};
    const QString snapshot = record.AddSnapshot("lift", values, true, 173);
    if (snapshot.isEmpty())
        return 0; // a file that opened but cannot take an event has said why
    const std::optional<CServiceRecord::Snapshot> back = record.LoadSnapshot(snapshot);
    Require(back && back->values.size() == values.size() && back->parameters == 173, "a snapshot does not come back whole");
    for (size_t i = 0; i < values.size(); ++i)
        Require(back->values[i].number == values[i].number && back->values[i].value == values[i].value,
                "a snapshot's values change");
    return 0;
}
