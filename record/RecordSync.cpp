// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/RecordSync.h"

#include "record/RecordTable.h"
#include "record/ServiceRecord.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {

// Keys travel to the server as one JSON array per request, this many at most.
constexpr int kKeysPerRequest = 5000;
// Rows read from the laptop's file per query (SQLite's bound values are limited).
constexpr int kRowsPerLocalQuery = 500;

QString Json(const QStringList& values) { return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact)); }

QString Json(const std::vector<QJsonObject>& rows, std::size_t from, std::size_t to)
{
    QJsonArray array;
    for (std::size_t i = from; i < to; ++i)
        array.append(rows[i]);
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

// The server reads a JSON array of texts as a set.
QString InSet() { return "(SELECT json_array_elements_text(CAST(? AS json)))"; }

QString ErrorText(const QSqlError& error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

QString NewName(const char* what) { return QString("%1-%2").arg(what, QUuid::createUuid().toString(QUuid::WithoutBraces)); }

QVariant LocalValue(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number == static_cast<double>(static_cast<qint64>(number)))
            return QVariant(value.toInteger());
        return number;
    }
    if (value.isNull() || value.isUndefined())
        return {};
    return value.toVariant();
}

} // namespace

CRecordSync::CRecordSync(QString recordPath, QString conninfo)
    : m_path(std::move(recordPath)),
      m_conninfo(std::move(conninfo)),
      m_localName(NewName("record-sync-local")),
      m_serverName(NewName("record-sync-server"))
{
}

CRecordSync::~CRecordSync()
{
    m_local = QSqlDatabase();
    m_server = QSqlDatabase();
    CRecordServer::Disconnect(m_serverName);
    CRecordServer::Disconnect(m_localName);
}

CRecordSync::Result CRecordSync::Sync() { return Run(true, {}); }

CRecordSync::Result CRecordSync::History(const QString& elevatorId) { return Run(false, {elevatorId}); }

CRecordSync::Result CRecordSync::Run(bool push, const QStringList& lifts)
{
    m_failure = CRecordServer::Failure::None;
    m_detail.clear();
    m_localKeys.clear();
    if (!OpenLocal() || !OpenServer())
        return Finish(m_failure, m_detail);
    int pushed = 0, pulled = 0;
    std::vector<Pulled> rows;
    if ((push && !Push(pushed)) || !Pull(push ? LocalLifts() : lifts, rows) || !Store(rows, pulled))
        return Finish(m_failure, m_detail);
    Result result = Finish(CRecordServer::Failure::None, QString("推送 %1 条，拉取 %2 条").arg(pushed).arg(pulled));
    result.pushed = pushed;
    result.pulled = pulled;
    return result;
}

CRecordSync::Result CRecordSync::Finish(CRecordServer::Failure failure, const QString& detail)
{
    // Closed after every run: a long-lived connection would outlive the network it was made on.
    m_local = QSqlDatabase();
    m_server = QSqlDatabase();
    CRecordServer::Disconnect(m_serverName);
    CRecordServer::Disconnect(m_localName);
    Result result;
    result.failure = failure;
    result.text = CRecordServer::Describe(failure, detail);
    return result;
}

bool CRecordSync::Fail(CRecordServer::Failure failure, const QString& detail)
{
    m_failure = failure;
    m_detail = detail;
    return false;
}

bool CRecordSync::ServerFail(const QSqlQuery& query)
{
    const QString text = ErrorText(query.lastError());
    return Fail(CRecordServer::Classify(text), text);
}

bool CRecordSync::LocalFail(const QSqlQuery& query)
{
    return Fail(CRecordServer::Failure::Local, QString("%1：%2").arg(m_path, ErrorText(query.lastError())));
}

bool CRecordSync::OpenLocal()
{
    if (!QFileInfo::exists(m_path))
        return true; // nothing recorded yet: nothing to push, and no lift to pull
    m_local = QSqlDatabase::addDatabase("QSQLITE", m_localName);
    m_local.setDatabaseName(m_path);
    m_local.setConnectOptions("QSQLITE_BUSY_TIMEOUT=3000");
    if (!m_local.open())
        return Fail(CRecordServer::Failure::Local, QString("%1：%2").arg(m_path, ErrorText(m_local.lastError())));
    QSqlQuery query(m_local);
    if (!query.exec("PRAGMA user_version") || !query.next())
        return LocalFail(query);
    if (query.value(0).toInt() > CServiceRecord::kSchemaVersion)
        return Fail(CRecordServer::Failure::Local, QString("%1 由较新版本的 velor 写入").arg(m_path));
    if (!query.exec("SELECT name FROM sqlite_master WHERE type = 'table'"))
        return LocalFail(query);
    while (query.next())
        m_localTables << query.value(0).toString();
    return true;
}

bool CRecordSync::OpenServer()
{
    QString detail;
    CRecordServer::Failure failure;
    m_server = CRecordServer::Connect(m_conninfo, m_serverName, failure, detail);
    if (failure != CRecordServer::Failure::None)
        return Fail(failure, detail);
    QString error;
    const int version = CRecordServer::SchemaVersion(m_server, error);
    if (!error.isEmpty())
        return Fail(CRecordServer::Classify(error), error);
    if (version < 0)
        return Fail(CRecordServer::Failure::NotSetUp, {});
    if (version > CServiceRecord::kSchemaVersion)
        return Fail(CRecordServer::Failure::NewerSchema,
                    QString("服务器为第 %1 版，本机为第 %2 版").arg(version).arg(CServiceRecord::kSchemaVersion));
    m_serverTables = CRecordServer::Tables(m_server);
    return true;
}

void CRecordSync::Step(const QString& table) const
{
    if (m_stepHook)
        m_stepHook(table);
}

QStringList CRecordSync::LocalColumns(const QString& table)
{
    QStringList columns;
    const QSqlRecord record = m_local.record(table);
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    return columns;
}

bool CRecordSync::LocalKeys(const QString& table, const QString& key, QStringList& keys)
{
    const auto known = m_localKeys.find(table);
    if (known != m_localKeys.end()) {
        keys = known->second;
        return true;
    }
    keys.clear();
    QSqlQuery query(m_local);
    query.setForwardOnly(true);
    if (!query.exec(QString("SELECT %1 FROM %2").arg(key, table)))
        return LocalFail(query);
    while (query.next())
        keys << query.value(0).toString();
    m_localKeys[table] = keys;
    return true;
}

bool CRecordSync::LocalRows(const QString& table, const QString& column, const QStringList& values, Rows& rows)
{
    for (qsizetype from = 0; from < values.size(); from += kRowsPerLocalQuery) {
        const QStringList part = values.mid(from, kRowsPerLocalQuery);
        QSqlQuery query(m_local);
        query.setForwardOnly(true);
        query.prepare(QString("SELECT * FROM %1 WHERE %2 IN (%3)")
                          .arg(table, column, QStringList(part.size(), "?").join(", ")));
        for (const QString& value : part)
            query.addBindValue(value);
        if (!query.exec())
            return LocalFail(query);
        while (query.next()) {
            const QSqlRecord record = query.record();
            QJsonObject row;
            for (int i = 0; i < record.count(); ++i)
                row.insert(record.fieldName(i), record.isNull(i) ? QJsonValue() : QJsonValue::fromVariant(record.value(i)));
            rows.push_back(std::move(row));
        }
    }
    return true;
}

bool CRecordSync::ServerStrings(const QString& sql, const std::vector<QString>& jsonValues, QStringList& values)
{
    QSqlQuery query(m_server);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return ServerFail(query);
    for (const QString& value : jsonValues)
        query.addBindValue(value);
    if (!query.exec())
        return ServerFail(query);
    while (query.next())
        values << query.value(0).toString();
    return true;
}

bool CRecordSync::ServerRows(const QString& sql, const std::vector<QString>& jsonValues, Rows& rows)
{
    QStringList texts;
    if (!ServerStrings(sql, jsonValues, texts))
        return false;
    for (const QString& text : texts)
        rows.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
    return true;
}

QStringList CRecordSync::LocalLifts()
{
    QStringList lifts;
    if (!m_local.isValid())
        return lifts;
    for (const RecordTable& table : RecordTables()) {
        if (!table.namesLift || !m_localTables.contains(table.name))
            continue;
        QSqlQuery query(m_local);
        if (query.exec(QString("SELECT DISTINCT elevator_id FROM %1 WHERE elevator_id <> ''").arg(table.name)))
            while (query.next())
                if (!lifts.contains(query.value(0).toString()))
                    lifts << query.value(0).toString();
    }
    return lifts;
}

// Inserts the laptop's rows of `table` whose `key` is among ids; the server
// keeps a row it already has. count (when given) adds the rows it took.
bool CRecordSync::PushRows(const QString& table, const QString& key, const QStringList& ids, int* count)
{
    Rows rows;
    if (!LocalRows(table, key, ids, rows))
        return false;
    const QString sql = QString("INSERT INTO %1 SELECT * FROM json_populate_recordset(NULL::%1, CAST(? AS json)) "
                                "ON CONFLICT DO NOTHING").arg(table);
    for (std::size_t from = 0; from < rows.size(); from += kKeysPerRequest) {
        QSqlQuery query(m_server);
        query.prepare(sql);
        query.addBindValue(Json(rows, from, std::min(rows.size(), from + kKeysPerRequest)));
        if (!query.exec())
            return ServerFail(query);
        if (count)
            *count += query.numRowsAffected();
    }
    return true;
}

bool CRecordSync::Push(int& count)
{
    if (!m_local.isValid())
        return true;
    if (!m_server.transaction())
        return Fail(CRecordServer::Classify(ErrorText(m_server.lastError())), ErrorText(m_server.lastError()));
    // A connection the server dropped has nothing to roll back: the server did.
    const auto abandon = [&] {
        if (m_server.isOpen())
            m_server.rollback();
        return false;
    };
    for (const RecordTable& table : RecordTables()) {
        if (!m_localTables.contains(table.name) || !m_serverTables.contains(table.name))
            continue;
        QStringList keys;
        if (!LocalKeys(table.name, table.key, keys))
            return abandon();
        QStringList missing;
        for (qsizetype from = 0; from < keys.size(); from += kKeysPerRequest)
            if (!ServerStrings(QString("SELECT k FROM json_array_elements_text(CAST(? AS json)) AS e(k) "
                                       "WHERE NOT EXISTS (SELECT 1 FROM %1 t WHERE t.%2 = e.k)").arg(table.name, table.key),
                               {Json(keys.mid(from, kKeysPerRequest))}, missing))
                return abandon();
        if (!PushRows(table.name, table.key, missing, &count))
            return abandon();
        for (const RecordTable::Child& child : table.children)
            if (m_localTables.contains(child.name) && m_serverTables.contains(child.name)
                && !PushRows(child.name, child.parent, missing, nullptr))
                return abandon();
        Step("push " + table.name);
    }
    if (!m_server.commit()) {
        Fail(CRecordServer::Classify(ErrorText(m_server.lastError())), ErrorText(m_server.lastError()));
        return abandon();
    }
    return true;
}

bool CRecordSync::Pull(const QStringList& lifts, std::vector<Pulled>& pulled)
{
    if (lifts.isEmpty() || !m_local.isValid())
        return true;
    // The visits that name one of the lifts, by any table that names a lift.
    QStringList sources;
    std::vector<QString> liftValues;
    for (const RecordTable& table : RecordTables())
        if (table.namesLift && m_serverTables.contains(table.name)) {
            sources << QString("SELECT %1 FROM %2 WHERE elevator_id IN %3").arg(table.visit, table.name, InSet());
            liftValues.push_back(Json(lifts));
        }
    QStringList visits;
    if (sources.isEmpty())
        return true;
    if (!ServerStrings(sources.join(" UNION "), liftValues, visits))
        return false;
    const QString visitSet = Json(visits);
    for (const RecordTable& table : RecordTables()) {
        if (!m_localTables.contains(table.name) || !m_serverTables.contains(table.name))
            continue;
        QStringList keys;
        if (!LocalKeys(table.name, table.key, keys))
            return false;
        const RecordTable* through = table.through.isEmpty() ? nullptr : FindRecordTable(table.through);
        const QString scope = through ? QString("t.%1 IN (SELECT %2 FROM %3 WHERE %4 IN %5)")
                                            .arg(table.visit, through->key, through->name, through->visit, InSet())
                                      : QString("t.%1 IN %2").arg(table.visit, InSet());
        Pulled events{table.name, {}, true};
        if (!ServerRows(QString("SELECT row_to_json(t)::text FROM %1 t WHERE %2 AND t.%3 NOT IN %4")
                            .arg(table.name, scope, table.key, InSet()),
                        {visitSet, Json(keys)}, events.rows))
            return false;
        QStringList added;
        for (const QJsonObject& row : events.rows)
            added << row.value(table.key).toString();
        pulled.push_back(std::move(events));
        for (const RecordTable::Child& child : table.children) {
            if (added.isEmpty() || !m_localTables.contains(child.name) || !m_serverTables.contains(child.name))
                continue;
            Pulled rows{child.name, {}, false};
            for (qsizetype from = 0; from < added.size(); from += kKeysPerRequest)
                if (!ServerRows(QString("SELECT row_to_json(c)::text FROM %1 c WHERE c.%2 IN %3").arg(child.name, child.parent, InSet()),
                                {Json(added.mid(from, kKeysPerRequest))}, rows.rows))
                    return false;
            pulled.push_back(std::move(rows));
        }
        Step("pull " + table.name);
    }
    return true;
}

bool CRecordSync::Store(const std::vector<Pulled>& pulled, int& count)
{
    if (pulled.empty())
        return true;
    QSqlQuery query(m_local);
    if (!query.exec("BEGIN IMMEDIATE"))
        return LocalFail(query);
    for (const Pulled& part : pulled) {
        const QStringList columns = LocalColumns(part.table);
        QSqlQuery insert(m_local);
        if (!insert.prepare(QString("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                .arg(part.table, columns.join(", "), QStringList(columns.size(), "?").join(", ")))) {
            LocalFail(insert);
            query.exec("ROLLBACK");
            return false;
        }
        for (const QJsonObject& row : part.rows) {
            for (const QString& column : columns)
                insert.addBindValue(LocalValue(row.value(column)));
            if (!insert.exec()) {
                LocalFail(insert);
                query.exec("ROLLBACK");
                return false;
            }
            if (part.event)
                count += insert.numRowsAffected();
        }
    }
    if (!query.exec("COMMIT")) {
        LocalFail(query);
        query.exec("ROLLBACK");
        count = 0;
        return false;
    }
    return true;
}
