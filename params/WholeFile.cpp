#include "params/WholeFile.h"

#include <QDir>
#include <QSaveFile>

QString FileFailureText(const QString& what, const QString& path, const QString& reason)
{
    return QString("%1 %2：%3").arg(what, QDir::toNativeSeparators(path), reason);
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, const QString& kind, QString& error)
{
    // Unbuffered, so that a write cut short (full disk, size limit) shows in
    // its count: a buffered commit takes a short final write for success.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = FileFailureText("无法创建" + kind, path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error = FileFailureText("无法保存" + kind, path, file.errorString());
        file.cancelWriting(); // the temporary file goes; a file at path stays as it was
        return false;
    }
    return true;
}
