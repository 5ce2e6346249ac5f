#include "params/ParamFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kReservedOffset = 1;

QString FailureText(const char* what, const QString& path, const QString& reason)
{
    return QString("%1 %2：%3").arg(QString::fromUtf8(what), QDir::toNativeSeparators(path), reason);
}

} // namespace

QByteArray CParamFile::Encode(const std::vector<ParamRecord>& records)
{
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(records.size()) * kRecordSize);
    for (const ParamRecord& record : records) {
        bytes.append(static_cast<char>(record.number & 0xFF));
        bytes.append('\0');
        bytes.append(static_cast<char>(record.value & 0xFF));
        bytes.append(static_cast<char>(record.value >> 8 & 0xFF));
    }
    return bytes;
}

ParamFileContents CParamFile::Decode(const QByteArray& bytes)
{
    ParamFileContents contents;
    const auto byte = [&bytes](qsizetype at) { return static_cast<unsigned char>(bytes[at]); };
    qsizetype at = 0;
    for (; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        if (byte(at + kReservedOffset) != 0)
            contents.oddReserved.push_back(static_cast<int>(contents.records.size()));
        contents.records.push_back({byte(at), byte(at + 2) | byte(at + 3) << 8});
    }
    contents.trailingBytes = static_cast<int>(bytes.size() - at);
    return contents;
}

bool CParamFile::Save(const QString& path, const std::vector<ParamRecord>& records, QString& error)
{
    // Unbuffered, so that a write cut short (full disk, size limit) shows in
    // its count: a buffered commit takes a short final write for success.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = FailureText("无法创建参数文件", path, file.errorString());
        return false;
    }
    const QByteArray bytes = Encode(records);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error = FailureText("无法保存参数文件", path, file.errorString());
        file.cancelWriting(); // the temporary file goes; a file at path stays as it was
        return false;
    }
    return true;
}

bool CParamFile::Load(const QString& path, ParamFileContents& contents, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FailureText("无法打开参数文件", path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(kMostBytes);
    if (file.error() != QFileDevice::NoError) {
        error = FailureText("无法读取参数文件", path, file.errorString());
        return false;
    }
    if (bytes.size() < kRecordSize) {
        error = FailureText("无法导入参数文件", path, "文件中没有完整的参数记录");
        return false;
    }
    contents = Decode(bytes);
    return true;
}
