// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/ServiceRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QtDebug>

namespace {

CServiceRecord::MessageHandler& Handler()
{
    static CServiceRecord::MessageHandler handler;
    return handler;
}


QString NotOurs(int version)
{
    return QString("该文件不是 velor 的维护记录（版本 %1），未作改动").arg(version);
}

QString NewId() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

// Each step takes the schema from its index to the next version.
const std::vector<QStringList> kMigrations = {
    {
        "CREATE TABLE visits (id TEXT PRIMARY KEY, started TEXT NOT NULL)",
        "CREATE TABLE visit_ends (id TEXT PRIMARY KEY, visit TEXT NOT NULL, ended TEXT NOT NULL)",
        "CREATE TABLE identities (id TEXT PRIMARY KEY, visit TEXT NOT NULL, at TEXT NOT NULL, "
        "elevator_id TEXT, program_name TEXT, phone TEXT, run_count INTEGER, clock TEXT)",
        "CREATE TABLE snapshots (id TEXT PRIMARY KEY, visit TEXT NOT NULL, taken TEXT NOT NULL, "
        "board TEXT NOT NULL, complete INTEGER NOT NULL)",
        "CREATE TABLE snapshot_values (snapshot TEXT NOT NULL, parameter INTEGER NOT NULL, value INTEGER NOT NULL, "
        "PRIMARY KEY (snapshot, parameter))",
        "CREATE TABLE write_intents (id TEXT PRIMARY KEY, visit TEXT, at TEXT NOT NULL, board TEXT NOT NULL, "
        "what TEXT NOT NULL, parameter INTEGER, old_value TEXT, new_value TEXT)",
        "CREATE TABLE write_outcomes (id TEXT PRIMARY KEY, intent TEXT NOT NULL, at TEXT NOT NULL, outcome TEXT NOT NULL)",
        "CREATE INDEX write_outcomes_intent ON write_outcomes (intent)",
        "CREATE TABLE fault_logs (id TEXT PRIMARY KEY, visit TEXT, taken TEXT NOT NULL, kind TEXT NOT NULL)",
        "CREATE TABLE fault_entries (log TEXT NOT NULL, position INTEGER NOT NULL, code INTEGER, text TEXT, "
        "floor INTEGER, time TEXT, PRIMARY KEY (log, position))",
        "CREATE TABLE shaft_data (id TEXT PRIMARY KEY, visit TEXT, taken TEXT NOT NULL, board TEXT, data TEXT)",
        "CREATE INDEX snapshots_visit ON snapshots (visit)",
        "CREATE INDEX intents_visit ON write_intents (visit)",
        "CREATE VIEW record_visits AS SELECT v.id AS visit, v.started, "
        "(SELECT max(e.ended) FROM visit_ends e WHERE e.visit = v.id) AS ended, "
        "(SELECT i.elevator_id FROM identities i WHERE i.visit = v.id ORDER BY i.at DESC LIMIT 1) AS elevator_id, "
        "(SELECT i.program_name FROM identities i WHERE i.visit = v.id ORDER BY i.at DESC LIMIT 1) AS program_name "
        "FROM visits v",
        "CREATE VIEW record_parameters AS SELECT s.id AS snapshot, s.visit, s.taken, s.board, "
        "p.parameter, p.value FROM snapshots s JOIN snapshot_values p ON p.snapshot = s.id",
        "CREATE VIEW record_writes AS SELECT w.visit, w.at, w.board, w.what, w.parameter, w.old_value, w.new_value, "
        "COALESCE((SELECT o.outcome FROM write_outcomes o WHERE o.intent = w.id ORDER BY o.at DESC LIMIT 1), "
        "'unknown') AS outcome FROM write_intents w",
        "CREATE VIEW record_faults AS SELECT l.visit, l.taken, f.position, f.code, f.text, f.floor, f.time "
        "FROM fault_logs l JOIN fault_entries f ON f.log = l.id",
    },
    {
        // A visit whose controller was never identified can be assigned to a
        // known lift afterwards; ride recordings kept for the visit's report.
        "CREATE TABLE lift_assignments (id TEXT PRIMARY KEY, visit TEXT NOT NULL, at TEXT NOT NULL, "
        "elevator_id TEXT NOT NULL)",
        "CREATE TABLE ride_recordings (id TEXT PRIMARY KEY, visit TEXT, taken TEXT NOT NULL, csv TEXT NOT NULL)",
        "ALTER TABLE snapshots ADD COLUMN parameters INTEGER",
        "CREATE INDEX identities_visit ON identities (visit)",
        "CREATE INDEX fault_logs_visit ON fault_logs (visit)",
        "DROP VIEW record_visits",
        "CREATE VIEW record_visits AS SELECT v.id AS visit, v.started, "
        "(SELECT max(e.ended) FROM visit_ends e WHERE e.visit = v.id) AS ended, "
        "COALESCE((SELECT i.elevator_id FROM identities i WHERE i.visit = v.id AND i.elevator_id <> '' "
        "ORDER BY i.at DESC LIMIT 1), "
        "(SELECT a.elevator_id FROM lift_assignments a WHERE a.visit = v.id ORDER BY a.at DESC LIMIT 1)) AS elevator_id, "
        "(SELECT i.program_name FROM identities i WHERE i.visit = v.id ORDER BY i.at DESC LIMIT 1) AS program_name "
        "FROM visits v",
    },
};

} // namespace

// The program's record lives until the process ends and is never destroyed:
// Qt SQL's connection registry is gone by the time static objects are, and
// every event is committed as it happens, so there is nothing left to close.
QString CServiceRecord::Now()
{
    return QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
        .toString(Qt::ISODateWithMs);
}

CServiceRecord& CServiceRecord::Instance()
{
    static CServiceRecord* const record = new CServiceRecord(DefaultPath());
    return *record;
}

CServiceRecord::CServiceRecord(QString path, bool readOnly, int schemaVersion)
    : m_path(std::move(path)), m_connection("record-" + NewId()), m_readOnly(readOnly), m_schemaVersion(schemaVersion)
{
}

CServiceRecord::~CServiceRecord()
{
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString CServiceRecord::DefaultPath()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + "/.local/share";
    return data + "/velor/record.sqlite";
}

CServiceRecord::MessageHandler CServiceRecord::SetMessageHandler(MessageHandler handler)
{
    MessageHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

QSqlDatabase CServiceRecord::Database() const { return QSqlDatabase::database(m_connection, false); }

void CServiceRecord::Fail(const QString& cause)
{
    m_recording = false;
    if (m_reported)
        return;
    m_reported = true;
    const QString text = QString("维护记录 %1 无法使用：%2。程序照常工作，但不作记录。").arg(m_path, cause);
    if (Handler())
        Handler()(text);
    else
        qWarning().noquote() << text;
}

bool CServiceRecord::Open()
{
    if (m_open)
        return true;
    if (!OpenFile()) {
        if (QSqlDatabase::contains(m_connection)) {
            QSqlDatabase::database(m_connection, false).close();
            QSqlDatabase::removeDatabase(m_connection);
        }
        return false;
    }
    m_open = true;
    if (m_recording)
        m_reported = false;
    return true;
}

bool CServiceRecord::OpenFile()
{
    const QFileInfo info(m_path);
    if (!m_readOnly && !QDir().mkpath(info.absolutePath())) {
        Fail(QString("无法创建文件夹 %1").arg(info.absolutePath()));
        return false;
    }
    if (m_readOnly && !info.exists()) {
        Fail("文件不存在");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connection) ? QSqlDatabase::database(m_connection, false)
                                                           : QSqlDatabase::addDatabase("QSQLITE", m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(m_readOnly ? "QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000" : "QSQLITE_BUSY_TIMEOUT=3000");
    if (!db.open()) {
        Fail(db.lastError().text());
        return false;
    }
    QSqlQuery probe(db);
    if (!probe.exec("PRAGMA user_version") || !probe.next()) {
        const QString cause = probe.lastError().text();
        const bool damaged = probe.lastError().nativeErrorCode() == "26" || probe.lastError().nativeErrorCode() == "11"
                             || cause.contains("not a database") || cause.contains("malformed");
        db.close();
        if (!damaged || m_readOnly) {
            Fail(cause);
            return false;
        }
        // Kept under a dated name; a new record starts in its place.
        const QString kept = m_path + ".damaged-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
        if (!QFile::rename(m_path, kept)) {
            Fail(QString("文件已损坏（%1），且无法改名保留").arg(cause));
            return false;
        }
        QFile::remove(m_path + "-wal");
        QFile::remove(m_path + "-shm");
        m_reported = false;
        Fail(QString("文件已损坏（%1），已保留为 %2，新的记录从头开始").arg(cause, kept));
        m_reported = false;
        m_recording = true;
        return OpenFile();
    }
    const int version = probe.value(0).toInt();
    probe.finish();
    if (version < 0) {
        db.close();
        Fail(NotOurs(version));
        return false;
    }
    if (version > m_schemaVersion) {
        m_readOnly = true;
        Fail(QString("该记录由较新版本的 velor 写入（版本 %1），只能读取").arg(version));
        return true;
    }
    if (m_readOnly)
        return true;
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    if (!Migrate())
        return false;
    m_recording = true;
    return true;
}

bool CServiceRecord::Migrate()
{
    QSqlDatabase db = Database();
    QSqlQuery query(db);
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    query.exec("PRAGMA user_version");
    int version = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    if (version < 0) { // changed by another process since it was opened
        Exec("ROLLBACK");
        Fail(NotOurs(version));
        return false;
    }
    for (; version < m_schemaVersion; ++version) {
        for (const QString& sql : kMigrations[version]) {
            if (!query.exec(sql)) {
                Fail(query.lastError().text());
                Exec("ROLLBACK");
                return false;
            }
        }
        query.exec(QString("PRAGMA user_version = %1").arg(version + 1));
    }
    return Exec("COMMIT");
}

bool CServiceRecord::Exec(const QString& sql, const std::vector<QVariant>& values)
{
    QSqlQuery query(Database());
    if (!query.prepare(sql)) {
        Fail(query.lastError().text());
        return false;
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        Fail(query.lastError().text());
        return false;
    }
    return true;
}

QString CServiceRecord::NewEvent(const QString& table, const QStringList& columns, std::vector<QVariant> values)
{
    if (!Open() || m_readOnly)
        return {};
    const QString id = NewId();
    values.insert(values.begin(), id);
    QStringList marks;
    for (std::size_t i = 0; i < values.size(); ++i)
        marks << "?";
    if (!Exec(QString("INSERT INTO %1 (id, %2) VALUES (%3)").arg(table, columns.join(", "), marks.join(", ")), values)) {
        m_open = false; // opened again on the next event
        return {};
    }
    m_recording = true;
    m_reported = false;
    return id;
}

QString CServiceRecord::StartVisit()
{
    m_visit = NewId();
    if (Open() && !m_readOnly && !Exec("INSERT INTO visits (id, started) VALUES (?, ?)", {m_visit, Now()}))
        m_open = false;
    return m_visit;
}

void CServiceRecord::EndVisit()
{
    if (m_visit.isEmpty())
        return;
    NewEvent("visit_ends", {"visit", "ended"}, {m_visit, Now()});
    m_lastVisit = std::exchange(m_visit, {});
}

// What happens between visits (a read the lost line cut, ended after the
// visit was) belongs to the visit before; with none yet, a visit starts.
QString CServiceRecord::EventVisit()
{
    if (!m_visit.isEmpty())
        return m_visit;
    return m_lastVisit.isEmpty() ? StartVisit() : m_lastVisit;
}

void CServiceRecord::SetIdentity(const Identity& identity)
{
    NewEvent("identities", {"visit", "at", "elevator_id", "program_name", "phone", "run_count", "clock"},
             {EventVisit(), Now(), identity.elevatorId, identity.programName, identity.phone,
              identity.runCount ? QVariant(*identity.runCount) : QVariant(), identity.clock});
}

// An event of several rows, committed whole or not at all: body inserts the
// rows of the event `id` and reports its own failure (see Exec).
QString CServiceRecord::AddInTransaction(const std::function<bool(const QString& id)>& body)
{
    if (!Open() || m_readOnly)
        return {};
    QSqlDatabase db = Database();
    if (!db.transaction()) {
        Fail(db.lastError().text());
        m_open = false;
        return {};
    }
    const QString id = NewId();
    if (!body(id) || !db.commit()) {
        Fail(db.lastError().text());
        db.rollback();
        m_open = false;
        return {};
    }
    return id;
}

QString CServiceRecord::AddSnapshot(const QString& board, const std::vector<ParamRecord>& values, bool complete,
                                    int parameters)
{
    return AddInTransaction([&](const QString& id) {
        bool ok = Exec("INSERT INTO snapshots (id, visit, taken, board, complete, parameters) VALUES (?, ?, ?, ?, ?, ?)",
                       {id, EventVisit(), Now(), board, complete ? 1 : 0, parameters});
        for (auto record = values.begin(); ok && record != values.end(); ++record)
            ok = Exec("INSERT OR REPLACE INTO snapshot_values (snapshot, parameter, value) VALUES (?, ?, ?)",
                      {id, record->number, record->value});
        return ok;
    });
}

QString CServiceRecord::AddWriteIntent(const QString& board, const QString& what, std::optional<int> parameter,
                                       const QString& oldValue, const QString& newValue)
{
    return NewEvent("write_intents", {"visit", "at", "board", "what", "parameter", "old_value", "new_value"},
                    {EventVisit(), Now(), board, what, parameter ? QVariant(*parameter) : QVariant(),
                     oldValue.isNull() ? QVariant() : QVariant(oldValue),
                     newValue.isNull() ? QVariant() : QVariant(newValue)});
}

void CServiceRecord::AddWriteOutcome(const QString& intent, Outcome outcome)
{
    if (intent.isEmpty())
        return;
    static const char* const names[] = {"acknowledged", "refused", "unconfirmed"};
    NewEvent("write_outcomes", {"intent", "at", "outcome"}, {intent, Now(), names[static_cast<int>(outcome)]});
}

QString CServiceRecord::AddFaults(const QString& kind, const std::vector<FaultEntry>& entries)
{
    return AddInTransaction([&](const QString& id) {
        bool ok = Exec("INSERT INTO fault_logs (id, visit, taken, kind) VALUES (?, ?, ?, ?)", {id, EventVisit(), Now(), kind});
        for (auto entry = entries.begin(); ok && entry != entries.end(); ++entry)
            ok = Exec("INSERT OR REPLACE INTO fault_entries (log, position, code, text, floor, time) "
                      "VALUES (?, ?, ?, ?, ?, ?)",
                      {id, entry->position, entry->code, entry->text, entry->floor, entry->time});
        return ok;
    });
}

void CServiceRecord::AssignLift(const QString& visit, const QString& elevatorId)
{
    NewEvent("lift_assignments", {"visit", "at", "elevator_id"}, {visit, Now(), elevatorId});
}

QString CServiceRecord::AddRideRecording(const QString& csv)
{
    return NewEvent("ride_recordings", {"visit", "taken", "csv"}, {EventVisit(), Now(), csv});
}

QString CServiceRecord::AddShaftData(const QString& board, const QString& data)
{
    return NewEvent("shaft_data", {"visit", "taken", "board", "data"}, {EventVisit(), Now(), board, data});
}

bool CServiceRecord::FaultLogReadThisVisit() const
{
    if (!m_open || m_visit.isEmpty())
        return false;
    QSqlQuery query(Database());
    query.prepare("SELECT 1 FROM fault_logs WHERE visit = ? AND kind = 'log' LIMIT 1");
    query.addBindValue(m_visit);
    return query.exec() && query.next();
}

std::optional<CServiceRecord::Snapshot> CServiceRecord::LoadSnapshot(const QString& snapshot)
{
    if (!Open())
        return std::nullopt;
    QSqlQuery header(Database());
    header.prepare("SELECT board, taken, COALESCE(parameters, 0), complete FROM snapshots WHERE id = ?");
    header.addBindValue(snapshot);
    if (!header.exec() || !header.next())
        return std::nullopt;
    Snapshot found{header.value(0).toString(), header.value(1).toString(), header.value(2).toInt(),
                   header.value(3).toBool(), {}};
    QSqlQuery query(Database());
    query.prepare("SELECT parameter, value FROM snapshot_values WHERE snapshot = ? ORDER BY parameter");
    query.addBindValue(snapshot);
    if (!query.exec())
        return std::nullopt;
    while (query.next())
        found.values.push_back({query.value(0).toInt(), query.value(1).toInt()});
    return found;
}

bool CServiceRecord::SnapshotValues(const QString& snapshot, std::vector<ParamRecord>& values)
{
    const std::optional<Snapshot> found = LoadSnapshot(snapshot);
    values = found ? found->values : std::vector<ParamRecord>{};
    return found.has_value();
}

QString CServiceRecord::Check()
{
    if (!Open())
        return "无法打开";
    QSqlQuery query(Database());
    if (!query.exec("PRAGMA integrity_check"))
        return query.lastError().text();
    QStringList found;
    while (query.next())
        found << query.value(0).toString();
    QSqlQuery orphans(Database());
    if (orphans.exec("SELECT count(*) FROM write_outcomes o WHERE NOT EXISTS "
                     "(SELECT 1 FROM write_intents w WHERE w.id = o.intent)")
        && orphans.next() && orphans.value(0).toInt() > 0)
        found << QString("%1 个写入结果没有对应的写入").arg(orphans.value(0).toInt());
    return found.join("\n");
}
