#include "settings/SettingsStore.h"

#include "link/ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

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
    if (m_key.isEmpty())
        return 0;
    const QString folder = KeyFolder(m_key, subKey);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return 0;
    m_key = folder;
    return 1;
}

int CSettingsStore::CreateKey(const QString& subKey)
{
    if (m_key.isEmpty())
        return 0;
    const QString folder = KeyFolder(m_key, subKey);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return 0;
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
    QFile file(ValuePath(valueName));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QByteArray bytes = file.read(kValueBufferSize);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    text = QString::fromUtf8(bytes);
    return 1;
}

int CSettingsStore::WriteString(const QString& valueName, const QString& text)
{
    const QString path = ValuePath(valueName);
    if (path.isEmpty())
        return 0;
    // Written to a temporary file and renamed into place, so a crash never
    // leaves half a value.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(text.toUtf8());
    return file.commit() ? 1 : 0;
}

void CSettingsStore::CloseKey()
{
    m_key.clear();
}
