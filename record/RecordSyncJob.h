// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QThread;

// Runs a sync (or one lift's history fetch) in a worker thread, so the
// program never waits for the network, and reports in the owner's thread.
// One runs at a time; start() while one runs starts nothing.
class CRecordSyncJob : public QObject
{
    Q_OBJECT

public:
    CRecordSyncJob(QString recordPath, QString conninfo, QObject* parent = nullptr);
    // Waits for a running sync (at most libpq's connect_timeout, or a query).
    ~CRecordSyncJob() override;

    void SetConnInfo(const QString& conninfo) { m_conninfo = conninfo; }
    bool IsRunning() const { return m_thread != nullptr; }
    // Whether the last finished run completed.
    bool LastOk() const { return m_lastOk; }

public slots:
    // Push and pull; false when one is running already.
    bool start();
    // Pull the whole history of one lift; false when one is running already.
    bool startHistory(const QString& elevatorId);

signals:
    // "推送 12 条，拉取 340 条", or why it could not.
    void finished(const QString& text);

private:
    bool Launch(const QString& elevatorId);

    QString m_path;
    QString m_conninfo;
    std::unique_ptr<QThread> m_thread;
    bool m_lastOk = false;
};
