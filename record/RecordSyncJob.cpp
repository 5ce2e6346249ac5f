// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/RecordSyncJob.h"

#include "record/RecordSync.h"

#include <QPointer>
#include <QThread>

CRecordSyncJob::CRecordSyncJob(QString recordPath, QString conninfo, QObject* parent)
    : QObject(parent), m_path(std::move(recordPath)), m_conninfo(std::move(conninfo))
{
}

CRecordSyncJob::~CRecordSyncJob()
{
    if (m_thread)
        m_thread->wait();
}

bool CRecordSyncJob::start() { return Launch({}); }

bool CRecordSyncJob::startHistory(const QString& elevatorId) { return Launch(elevatorId); }

bool CRecordSyncJob::Launch(const QString& elevatorId)
{
    if (m_thread)
        return false;
    const QPointer<CRecordSyncJob> self(this);
    m_thread.reset(QThread::create([self, path = m_path, conninfo = m_conninfo, elevatorId] {
        CRecordSync::Result result;
        {
            CRecordSync sync(path, conninfo);
            result = elevatorId.isEmpty() ? sync.Sync() : sync.History(elevatorId);
        }
        // Delivered in the owner's thread; dropped when the owner is gone.
        QMetaObject::invokeMethod(self.data(), [self, result] {
            if (!self)
                return;
            self->m_thread->wait();
            self->m_thread.reset();
            self->m_lastOk = result.Ok();
            emit self->finished(result.text);
        }, Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}
