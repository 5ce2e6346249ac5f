// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace {

// Puts bytes in the place of the file's contents and hands them to the disk.
bool PutBytes(QFile& file, const QByteArray& bytes)
{
    return file.seek(0) && file.write(bytes) == bytes.size() && file.resize(bytes.size()) && file.flush()
        && ::fsync(file.handle()) == 0;
}

// Writes over the file at path, keeping its old bytes: a write that fails
// part-way puts them back, so the file is the new one or the old one.
bool WriteInPlace(const QString& path, const QByteArray& bytes, const QString& kind, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        error = FileFailureText("无法创建" + kind, path, file.errorString());
        return false;
    }
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = FileFailureText("无法保存" + kind, path, file.errorString()); // nothing written yet
        return false;
    }
    if (PutBytes(file, bytes))
        return true;
    const QString reason = file.errorString();
    const bool restored = PutBytes(file, old);
    error = FileFailureText("无法保存" + kind, path, reason)
        + (restored ? "\n原文件已恢复，内容未改变。" : "\n原文件也未能恢复，可能已不完整！");
    return false;
}

} // namespace

QString FileFailureText(const QString& what, const QString& path, const QString& reason)
{
    return QString("%1 %2：%3").arg(what, QDir::toNativeSeparators(path), reason);
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, const QString& kind, QString& error)
{
    // Unbuffered, so that a write cut short (full disk, size limit) shows in
    // its count: a buffered commit takes a short final write for success.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (QFileInfo(path).isFile())
            return WriteInPlace(path, bytes, kind, error); // no temporary file can be made beside it
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
