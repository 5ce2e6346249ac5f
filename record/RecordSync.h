// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/RecordServer.h"

#include <QJsonObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

// Brings the laptop's record and the company's together by their union: the
// events the server lacks go up, the events of the laptop's lifts it lacks
// come down, each keyed by its UUID, so running it again changes nothing and a
// run cut off anywhere is finished by the next. What goes up is committed on
// the server in one transaction; what comes down is fetched first and then
// written to the laptop's file in one short transaction, so the program's own
// events never wait for the network.
//
// Blocking: runs in the thread that constructs it, with connections of its
// own (CRecordSyncJob runs it in a worker thread).
class CRecordSync
{
public:
    struct Result
    {
        CRecordServer::Failure failure = CRecordServer::Failure::None;
        int pushed = 0;
        int pulled = 0;
        QString text; // "推送 12 条，拉取 340 条", or why it could not
        bool Ok() const { return failure == CRecordServer::Failure::None; }
    };

    CRecordSync(QString recordPath, QString conninfo);
    ~CRecordSync();
    CRecordSync(const CRecordSync&) = delete;
    CRecordSync& operator=(const CRecordSync&) = delete;

    // Pushes, then pulls every lift the laptop's visits name.
    Result Sync();
    // Pulls one lift's whole history, whoever made it.
    Result History(const QString& elevatorId);

    // Called with "push TABLE" or "pull TABLE" after each table went up or came down (tests cut the line there).
    void SetStepHook(std::function<void(const QString& table)> hook) { m_stepHook = std::move(hook); }

private:
    using Rows = std::vector<QJsonObject>;
    struct Pulled
    {
        QString table;
        Rows rows;
        bool event = false; // rows of an event table, counted; children are not
    };

    Result Run(bool push, const QStringList& lifts);
    Result Finish(CRecordServer::Failure failure, const QString& detail);
    bool OpenLocal();
    bool OpenServer();
    bool Fail(CRecordServer::Failure failure, const QString& detail);
    bool ServerFail(const QSqlQuery& query);
    bool LocalFail(const QSqlQuery& query);

    bool Push(int& count);
    bool PushRows(const QString& table, const QString& key, const QStringList& ids, int* count);
    bool Pull(const QStringList& lifts, std::vector<Pulled>& pulled);
    bool Store(const std::vector<Pulled>& pulled, int& count);

    QStringList LocalLifts();
    bool LocalKeys(const QString& table, const QString& key, QStringList& keys);
    bool LocalRows(const QString& table, const QString& column, const QStringList& values, Rows& rows);
    bool ServerRows(const QString& sql, const std::vector<QString>& jsonValues, Rows& rows);
    bool ServerStrings(const QString& sql, const std::vector<QString>& jsonValues, QStringList& values);
    QStringList LocalColumns(const QString& table);
    void Step(const QString& table) const;

    QString m_path;
    QString m_conninfo;
    QString m_localName;
    QString m_serverName;
    QSqlDatabase m_local;
    QSqlDatabase m_server;
    QStringList m_localTables;
    QStringList m_serverTables;
    std::map<QString, QStringList> m_localKeys; // per event table, read once a run
    CRecordServer::Failure m_failure = CRecordServer::Failure::None;
    QString m_detail;
    std::function<void(const QString&)> m_stepHook;
};
