// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamFile.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// The lift's service record: an append-only log of events in SQLite at
// ${XDG_DATA_HOME:-~/.local/share}/velor/record.sqlite. Every visit and every
// event has its own UUID and nothing is updated or deleted, so two records
// merge by their union. A write's intent is committed before its frame goes
// out; its outcome is an event of its own that refers to the intent.
//
// The record never stops the main job: when the file cannot be opened or
// written, one message names the file and the cause (through the handler the
// application installs), recording stops, and the next event tries again. A
// damaged file is kept under a dated name, never overwritten.
//
// Other tools read the four views record_visits, record_parameters,
// record_writes and record_faults; the tables behind them may change.
class CServiceRecord
{
public:
    using MessageHandler = std::function<void(const QString& text)>;

    enum class Outcome { Acknowledged, Refused, Unconfirmed };

    struct Identity
    {
        QString programName;
        QString elevatorId;
        QString phone;
        std::optional<long long> runCount;
        QString clock;
    };

    struct FaultEntry
    {
        int position = 0;
        int code = 0;
        QString text;
        int floor = 0;
        QString time;
    };

    static constexpr int kSchemaVersion = 2;

    // The record of the user's data folder; opened on first use.
    static CServiceRecord& Instance();
    // A record at path (tests, velor-record). readOnly never writes or
    // migrates; schemaVersion below the present one makes an older record.
    explicit CServiceRecord(QString path, bool readOnly = false, int schemaVersion = kSchemaVersion);
    ~CServiceRecord();
    CServiceRecord(const CServiceRecord&) = delete;
    CServiceRecord& operator=(const CServiceRecord&) = delete;

    static QString DefaultPath();
    // The record's time stamps: ISO 8601, local time with its offset.
    static QString Now();
    // Returns the handler it replaces. Without one, messages go to the log.
    static MessageHandler SetMessageHandler(MessageHandler handler);

    QString Path() const { return m_path; }
    // Opens the file when it is not open yet; false when recording is off.
    bool Open();
    // Whether the last attempt to open or write succeeded (the window title shows when not).
    bool IsRecording() const { return m_recording; }
    bool IsReadOnly() const { return m_readOnly; }
    QSqlDatabase Database() const;

    // A visit runs from opening the port to closing it or losing the line.
    QString StartVisit();
    void EndVisit();
    QString CurrentVisit() const { return m_visit; }
    void SetIdentity(const Identity& identity);

    // board "lift" or "door"; complete false for a read that stopped part-way;
    // parameters: how many the controller has (its generation).
    QString AddSnapshot(const QString& board, const std::vector<ParamRecord>& values, bool complete, int parameters);
    // what: parameter, lockout, ic-card, elevator-id, phone, clock,
    // run-count-reset, parameter-reset, fault-log-reset, self-learning.
    // Returns the intent's id, empty when it could not be recorded.
    QString AddWriteIntent(const QString& board, const QString& what, std::optional<int> parameter,
                           const QString& oldValue, const QString& newValue);
    void AddWriteOutcome(const QString& intent, Outcome outcome);
    // kind "log" for a fault log read, "report" for a report the controller sent.
    QString AddFaults(const QString& kind, const std::vector<FaultEntry>& entries);
    QString AddShaftData(const QString& board, const QString& data);
    // Gives an unidentified visit its lift (the record window's choice).
    void AssignLift(const QString& visit, const QString& elevatorId);
    // A ride kept for the visit, in the ride recorder's CSV.
    QString AddRideRecording(const QString& csv);

    // Whether a fault log was read in the current visit.
    bool FaultLogReadThisVisit() const;
    struct Snapshot
    {
        QString board;
        QString taken;
        int parameters = 0; // how many the controller had; 0 when not known
        bool complete = false;
        std::vector<ParamRecord> values; // in parameter order
    };
    std::optional<Snapshot> LoadSnapshot(const QString& snapshot);
    // The values of a snapshot, in parameter order; false when there is none.
    bool SnapshotValues(const QString& snapshot, std::vector<ParamRecord>& values);
    // "ok" or what the integrity check found.
    QString Check();

private:
    QString EventVisit();
    bool OpenFile();
    bool Migrate();
    bool Exec(const QString& sql, const std::vector<QVariant>& values = {});
    QString AddInTransaction(const std::function<bool(const QString& id)>& body);
    void Fail(const QString& cause);
    QString NewEvent(const QString& table, const QStringList& columns, std::vector<QVariant> values);

    QString m_path;
    QString m_connection;
    QString m_visit;
    QString m_lastVisit; // the visit that ended last
    bool m_readOnly = false;
    int m_schemaVersion = kSchemaVersion;
    bool m_open = false;
    bool m_recording = true;
    bool m_reported = false;
};
