// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamFile.h"

#include "params/WholeFile.h"

#include <QFile>

namespace {

constexpr int kReservedOffset = 1;

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
    return WriteWholeFile(path, Encode(records), "参数文件", error);
}

bool CParamFile::Load(const QString& path, ParamFileContents& contents, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FileFailureText("无法打开参数文件", path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(kMostBytes);
    if (file.error() != QFileDevice::NoError) {
        error = FileFailureText("无法读取参数文件", path, file.errorString());
        return false;
    }
    if (bytes.size() < kRecordSize) {
        error = FileFailureText("无法导入参数文件", path, "文件中没有完整的参数记录");
        return false;
    }
    contents = Decode(bytes);
    return true;
}
