// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrafficFile.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

QString CTrafficFile::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velor/traffic";
}

QString CTrafficFile::PathFor(qint64 time)
{
    return QString("%1/%2.log").arg(Folder(), QDateTime::fromMSecsSinceEpoch(time).toString("yyyy-MM-dd"));
}

bool CTrafficFile::Append(const TrafficEntry& entry)
{
    const QString path = PathFor(entry.time);
    if (!m_file.isOpen() || m_file.fileName() != path) {
        m_file.close();
        m_file.setFileName(path);
        if (!QDir().mkpath(Folder()))
            return Fail("无法创建文件夹");
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            return Fail(m_file.errorString());
    }
    const QByteArray line = (CTrafficLog::LineText(entry) + '\n').toUtf8();
    if (m_file.write(line) != line.size() || !m_file.flush())
        return Fail(m_file.errorString());
    return true;
}

bool CTrafficFile::Fail(const QString& reason)
{
    m_error = QString("无法写入通讯记录文件 %1：%2").arg(m_file.fileName(), reason);
    m_file.close();
    return false;
}
