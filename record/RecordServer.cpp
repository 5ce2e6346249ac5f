// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/RecordServer.h"

#include "record/RecordTable.h"
#include "record/ServiceRecord.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

namespace {

// Given first, so the connection string overrides them.
const char kConnectDefaults[] = "connect_timeout=5 application_name=velor ";

bool ContainsAny(const QString& text, const QStringList& words)
{
    for (const QString& word : words)
        if (text.contains(word, Qt::CaseInsensitive))
            return true;
    return false;
}

QString ErrorText(const QSqlError& error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

QString ServerType(const QString& localType)
{
    return localType.compare("INTEGER", Qt::CaseInsensitive) == 0 ? "bigint" : "text";
}

struct Column
{
    QString name;
    QString type;
    bool notNull = false;
    int keyPosition = 0;
};

std::vector<Column> LocalColumns(QSqlDatabase& local, const QString& table)
{
    std::vector<Column> columns;
    QSqlQuery query(local);
    if (!query.exec(QString("PRAGMA table_info(%1)").arg(table)))
        return columns;
    while (query.next())
        columns.push_back({query.value("name").toString(), ServerType(query.value("type").toString()),
                           query.value("notnull").toBool(), query.value("pk").toInt()});
    return columns;
}

QStringList TableStatements(const QString& table, const std::vector<Column>& columns)
{
    QStringList definitions, keys, statements;
    for (const Column& column : columns)
        definitions << QString("%1 %2%3").arg(column.name, column.type, column.notNull ? " NOT NULL" : "");
    std::vector<const Column*> keyed;
    for (const Column& column : columns)
        if (column.keyPosition > 0)
            keyed.push_back(&column);
    std::sort(keyed.begin(), keyed.end(), [](const Column* a, const Column* b) { return a->keyPosition < b->keyPosition; });
    for (const Column* column : keyed)
        keys << column->name;
    if (!keys.isEmpty())
        definitions << QString("PRIMARY KEY (%1)").arg(keys.join(", "));
    statements << QString("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(table, definitions.join(", "));
    // A table an earlier velor created gets the columns added since.
    for (const Column& column : columns)
        statements << QString("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2 %3").arg(table, column.name, column.type);
    statements << QString("CREATE OR REPLACE TRIGGER %1_append_only BEFORE UPDATE OR DELETE ON %1 "
                          "FOR EACH ROW EXECUTE FUNCTION velor_append_only()").arg(table)
               << QString("CREATE OR REPLACE TRIGGER %1_no_truncate BEFORE TRUNCATE ON %1 "
                          "FOR EACH STATEMENT EXECUTE FUNCTION velor_append_only()").arg(table)
               << QString("REVOKE ALL ON %1 FROM PUBLIC").arg(table)
               << QString("GRANT SELECT, INSERT ON %1 TO %2").arg(table, CRecordServer::kTechnicianRole)
               << QString("GRANT SELECT ON %1 TO %2").arg(table, CRecordServer::kAdminRole);
    return statements;
}

bool HasColumn(const std::vector<Column>& columns, const QString& name)
{
    return std::any_of(columns.begin(), columns.end(), [&](const Column& c) { return c.name == name; });
}

QString Role(const char* name)
{
    return QString("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%1') "
                   "THEN CREATE ROLE %1 NOLOGIN; END IF; END $$").arg(name);
}

} // namespace

QSqlDatabase CRecordServer::Connect(const QString& conninfo, const QString& name, Failure& failure, QString& detail)
{
    failure = Failure::None;
    detail.clear();
    if (conninfo.trimmed().isEmpty()) {
        failure = Failure::NotConfigured;
        return {};
    }
    static const QRegularExpression password("(^|\\s)password\\s*=");
    if (conninfo.contains(password)) {
        failure = Failure::PasswordGiven;
        return {};
    }
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
        failure = Failure::Local;
        detail = "Qt 的 PostgreSQL 驱动（libqt6sql6-psql）没有安装";
        return {};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
    // The driver hands its connect options to libpq as they are, ';' read as a space.
    db.setConnectOptions(kConnectDefaults + QString(conninfo).replace(';', ' '));
    if (db.open())
        return db;
    detail = ErrorText(db.lastError());
    failure = Classify(detail, true);
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    return {};
}

void CRecordServer::Disconnect(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

CRecordServer::Failure CRecordServer::Classify(const QString& message, bool connecting)
{
    // The server's words (in its own language) and libpq's (in the laptop's).
    static const QStringList login = {"password authentication failed", "authentication failed", "no password supplied",
                                      "pg_hba.conf", "does not exist", "permission denied", "认证失败", "不存在",
                                      "权限不够", "口令"};
    static const QStringList network = {"could not connect", "connection refused", "could not translate host",
                                        "timeout expired", "closed the connection", "no connection to the server",
                                        "terminating connection", "network is unreachable", "no route to host",
                                        "connection to server", "server conn crashed", "SSL SYSCALL",
                                        "连接到", "联接", "超时", "无法解释主机名"};
    static const QStringList refused = {"permission denied", "权限不够"};
    if (ContainsAny(message, connecting ? login : refused))
        return Failure::Login;
    if (ContainsAny(message, network))
        return Failure::Network;
    return Failure::Server;
}

QString CRecordServer::Describe(Failure failure, const QString& detail)
{
    QString text;
    switch (failure) {
    case Failure::None: return detail;
    case Failure::NotConfigured: return "没有设置记录服务器（recordserver），本机的维护记录单独使用";
    case Failure::PasswordGiven: return "连接串里不能写口令：口令放在 ~/.pgpass（权限 0600）或 PGPASSWORD 里";
    case Failure::Network: text = "连不上记录服务器（没有网络或服务器没有运行）"; break;
    case Failure::Login: text = "记录服务器拒绝登录（用户名、口令或权限不对）"; break;
    case Failure::NotSetUp: text = "记录服务器尚未设置，请管理员运行 velor-record server-setup"; break;
    case Failure::NewerSchema: text = "记录服务器的格式比本机的 velor 新，请更新 velor"; break;
    case Failure::Local: text = "本机的维护记录无法使用"; break;
    case Failure::Server: text = "记录服务器出错"; break;
    }
    return detail.isEmpty() ? text : QString("%1：%2").arg(text, detail);
}

int CRecordServer::SchemaVersion(QSqlDatabase& server, QString& error)
{
    QSqlQuery query(server);
    if (!query.exec("SELECT to_regclass('velor_schema') IS NOT NULL")) {
        error = ErrorText(query.lastError());
        return -1;
    }
    if (!query.next() || !query.value(0).toBool())
        return -1;
    if (!query.exec("SELECT max(version) FROM velor_schema") || !query.next()) {
        error = ErrorText(query.lastError());
        return -1;
    }
    return query.value(0).isNull() ? -1 : query.value(0).toInt();
}

QStringList CRecordServer::Tables(QSqlDatabase& server)
{
    QStringList tables;
    QSqlQuery query(server);
    if (query.exec("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()"))
        while (query.next())
            tables << query.value(0).toString();
    return tables;
}

QStringList CRecordServer::SetupStatements(QSqlDatabase& localSchema)
{
    QStringList statements = {
        "SET LOCAL client_min_messages = warning", // not a notice for each column that is there already
        "CREATE TABLE IF NOT EXISTS velor_schema (version integer NOT NULL)",
        Role(kTechnicianRole),
        Role(kAdminRole),
        QString("GRANT USAGE ON SCHEMA %1 TO %2, %3").arg("public", kTechnicianRole, kAdminRole),
        "CREATE OR REPLACE FUNCTION velor_append_only() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
        "RAISE EXCEPTION 'the service record is append-only: % on % refused', TG_OP, TG_TABLE_NAME "
        "USING ERRCODE = 'insufficient_privilege'; END $$",
        QString("GRANT SELECT ON velor_schema TO %1, %2").arg(kTechnicianRole, kAdminRole),
    };
    const auto index = [&](const QString& table, const QString& column) {
        statements << QString("CREATE INDEX IF NOT EXISTS %1_%2 ON %1 (%2)").arg(table, column);
    };
    for (const RecordTable& table : RecordTables()) {
        const std::vector<Column> columns = LocalColumns(localSchema, table.name);
        if (columns.empty())
            continue;
        statements << TableStatements(table.name, columns);
        if (table.visit != table.key)
            index(table.name, table.visit);
        if (table.namesLift && HasColumn(columns, "elevator_id"))
            index(table.name, "elevator_id");
        for (const RecordTable::Child& child : table.children)
            statements << TableStatements(child.name, LocalColumns(localSchema, child.name));
    }
    QSqlQuery views(localSchema);
    views.exec("SELECT name, sql FROM sqlite_master WHERE type = 'view' ORDER BY name");
    while (views.next()) {
        const QString name = views.value(0).toString();
        statements << QString("DROP VIEW IF EXISTS %1").arg(name) << views.value(1).toString()
                   << QString("GRANT SELECT ON %1 TO %2, %3").arg(name, kTechnicianRole, kAdminRole);
    }
    statements << "DELETE FROM velor_schema"
               << QString("INSERT INTO velor_schema (version) VALUES (%1)").arg(CServiceRecord::kSchemaVersion);
    return statements;
}

bool CRecordServer::Setup(const QString& conninfo, QString& report)
{
    // The laptop's schema, fresh, is the pattern of the server's.
    QTemporaryDir folder;
    CServiceRecord pattern(folder.filePath("schema.sqlite"));
    if (!folder.isValid() || !pattern.Open()) {
        report = Describe(Failure::Local, folder.errorString());
        return false;
    }
    QSqlDatabase local = pattern.Database();
    const QString name = "record-server-setup-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Failure failure;
    QString detail;
    QSqlDatabase server = Connect(conninfo, name, failure, detail);
    if (failure != Failure::None) {
        report = Describe(failure, detail);
        return false;
    }
    const auto fail = [&](Failure why, const QString& cause) {
        report = Describe(why, cause);
        if (server.isOpen())
            server.rollback();
        server = QSqlDatabase();
        Disconnect(name);
        return false;
    };
    QString error;
    const int version = SchemaVersion(server, error);
    if (!error.isEmpty())
        return fail(Classify(error), error);
    if (version > CServiceRecord::kSchemaVersion)
        return fail(Failure::NewerSchema, QString("服务器为第 %1 版，本机为第 %2 版").arg(version).arg(CServiceRecord::kSchemaVersion));
    if (!server.transaction())
        return fail(Classify(ErrorText(server.lastError())), ErrorText(server.lastError()));
    QSqlQuery query(server);
    const QStringList statements = SetupStatements(local);
    for (const QString& statement : statements)
        if (!query.exec(statement))
            return fail(Classify(ErrorText(query.lastError())), ErrorText(query.lastError()) + "\n" + statement);
    if (!server.commit())
        return fail(Classify(ErrorText(server.lastError())), ErrorText(server.lastError()));
    report = QString("记录服务器已设置为第 %1 版：%2 条语句").arg(CServiceRecord::kSchemaVersion).arg(statements.size());
    query = QSqlQuery();
    server = QSqlDatabase();
    Disconnect(name);
    return true;
}
