// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The company's record on a PostgreSQL server, reached through Qt SQL's QPSQL
// driver with a libpq connection string ("host=records.example.com
// dbname=velor user=tech07 sslmode=verify-full"). Passwords come from libpq
// itself (~/.pgpass, PGPASSFILE, PGPASSWORD), TLS too.
//
// The server holds the laptop's event tables (RecordTables()) and the same
// four views. Nothing on it is updated or deleted: the technicians' group may
// insert and read, and a trigger refuses UPDATE, DELETE and TRUNCATE for every
// role, the owner's included.
class CRecordServer
{
public:
    enum class Failure { None, NotConfigured, PasswordGiven, Network, Login, NotSetUp, NewerSchema, Local, Server };

    static constexpr const char* kTechnicianRole = "velor_technician";
    static constexpr const char* kAdminRole = "velor_admin";

    // Opens a connection registered as `name` for the calling thread. On
    // failure, failure and detail say why and the connection is removed. A
    // connection string that holds a password is refused: it belongs to libpq.
    static QSqlDatabase Connect(const QString& conninfo, const QString& name, Failure& failure, QString& detail);
    static void Disconnect(const QString& name);
    // What a message says about the failure: the network, the login or the
    // server. Only a message of connecting reads "does not exist" as a login's.
    static Failure Classify(const QString& message, bool connecting = false);
    // The message the technician reads.
    static QString Describe(Failure failure, const QString& detail);

    // The schema version the server was set up for; -1 when it was never set up.
    static int SchemaVersion(QSqlDatabase& server, QString& error);
    // The tables of the connection's schema.
    static QStringList Tables(QSqlDatabase& server);

    // Creates or completes the schema, the views, the roles, the grants and
    // the append-only trigger in one transaction. Run again after an update
    // of velor; a server of a newer schema is left alone.
    static bool Setup(const QString& conninfo, QString& report);
    // The statements Setup runs, derived from the laptop's own schema.
    static QStringList SetupStatements(QSqlDatabase& localSchema);
};
