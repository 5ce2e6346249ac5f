// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include "link/ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

const HKEY HKEY_CURRENT_USER = "HKEY_CURRENT_USER";

namespace {

constexpr qint64 kValueBufferSize = 200;

// Key paths use backslashes like registry paths; each part is one folder.
QString KeyFolder(const QString& parent, const QString& subKey)
{
    QString path = parent;
    for (const QString& part : subKey.split(QRegularExpression("[\\\\/]"), Qt::SkipEmptyParts)) {
        if (part == "." || part == "..")
            return {};
        path += "/" + part;
    }
    return path;
}

QString Reason(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// Why an existing folder cannot serve as a key; empty when it can, or when
// there is nothing at all (a key not created yet).
QString FolderProblem(const QString& folder)
{
    struct stat entry{};
    if (stat(QFile::encodeName(folder).constData(), &entry) < 0)
        return errno == ENOENT ? QString() : Reason(errno);
    if (!S_ISDIR(entry.st_mode))
        return Reason(ENOTDIR);
    return {};
}

QString FolderError(const QString& folder, const QString& reason)
{
    return QString("设置文件夹 %1：%2").arg(folder, reason);
}

QString ValueError(const QString& folder, const QString& valueName, const QString& reason)
{
    return QString("设置文件夹 %1 中的 %2：%3").arg(folder, valueName, reason);
}

} // namespace

QString CSettingsStore::RootFolder()
{
    return CConfigFolder::RegistryFolder();
}

CSettingsStore::CSettingsStore(HKEY root)
    : m_key(root == HKEY_CURRENT_USER ? RootFolder() : QString())
{
    // Like the Software key of a real hive, the top key always exists, so a
    // first save can create its own key below it.
    if (!m_key.isEmpty())
        QDir().mkpath(m_key + "/Software");
}

CSettingsStore::~CSettingsStore()
{
    CloseKey();
}

int CSettingsStore::OpenKey(const QString& subKey)
{
    m_lastError.clear();
    if (m_key.isEmpty())
        return 0;
    const QString folder = ::KeyFolder(m_key, subKey);
    if (folder.isEmpty())
        return 0;
    if (const QString problem = FolderProblem(folder); !problem.isEmpty()) {
        m_lastError = FolderError(folder, problem);
        return 0;
    }
    if (!QFileInfo(folder).isDir())
        return 0;
    m_key = folder;
    return 1;
}

int CSettingsStore::CreateKey(const QString& subKey)
{
    m_lastError.clear();
    if (m_key.isEmpty())
        return 0;
    const QString folder = ::KeyFolder(m_key, subKey);
    if (folder.isEmpty())
        return 0;
    if (!QDir().mkpath(folder)) {
        const QString problem = FolderProblem(folder);
        m_lastError = FolderError(folder, problem.isEmpty() ? Reason(EACCES) : problem);
        return 0;
    }
    m_key = folder;
    return 1;
}

QString CSettingsStore::ValuePath(const QString& valueName) const
{
    if (m_key.isEmpty() || valueName.isEmpty() || valueName.contains('/') || valueName.startsWith('.'))
        return {};
    return m_key + "/" + valueName;
}

int CSettingsStore::ReadString(const QString& valueName, QString& text) const
{
    m_lastError.clear();
    const QString path = ValuePath(valueName);
    QFile file(path);
    if (path.isEmpty())
        return 0;
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.exists())
            m_lastError = ValueError(m_key, valueName, file.errorString());
        return 0;
    }
    QByteArray bytes = file.read(kValueBufferSize);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    text = QString::fromUtf8(bytes);
    return 1;
}

int CSettingsStore::WriteString(const QString& valueName, const QString& text)
{
    m_lastError.clear();
    const QString path = ValuePath(valueName);
    if (path.isEmpty()) {
        m_lastError = ValueError(m_key, valueName, Reason(EINVAL));
        return 0;
    }
    // Written to a temporary file and renamed into place, so a crash or a
    // write cut short (a full disk, a file size limit) never leaves half a
    // value: the old one stays whole.
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    // Unbuffered, so that a write the system cuts short shows in its count.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        m_lastError = ValueError(m_key, valueName, file.errorString());
        file.cancelWriting();
        return 0;
    }
    return 1;
}

void CSettingsStore::CloseKey()
{
    m_key.clear();
}
