#include "params/ParamFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kMostConvertedChars = 10;

bool IsBlank(QChar c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

QString FailureText(const char* what, const QString& path, const QString& reason)
{
    return QString("%1 %2：%3").arg(QString::fromUtf8(what), QDir::toNativeSeparators(path), reason);
}

// The reason the records read from a file are not to be written, or empty
// when they are: every file this program saves has whole records with a 0
// in each reserved byte.
QString ImportObjection(const QByteArray& bytes)
{
    if (bytes.size() < CParamFile::kRecordSize)
        return "文件中没有完整的参数记录";
    constexpr int kReservedOffset = 1;
    for (qsizetype at = 0; at + CParamFile::kRecordSize <= bytes.size(); at += CParamFile::kRecordSize)
        if (bytes[at + kReservedOffset] != '\0')
            return QString("第%1条记录不是参数记录，文件不是参数文件或已损坏").arg(at / CParamFile::kRecordSize + 1);
    return {};
}

} // namespace

int ParamValueOfText(const QString& text)
{
    const QString head = text.left(kMostConvertedChars);
    qsizetype i = 0;
    while (i < head.size() && IsBlank(head[i]))
        ++i;
    const bool negative = i < head.size() && head[i] == '-';
    if (i < head.size() && (head[i] == '-' || head[i] == '+'))
        ++i;
    long long number = 0; // ten digits at most: no overflow
    for (; i < head.size() && head[i] >= '0' && head[i] <= '9'; ++i)
        number = number * 10 + (head[i].unicode() - '0');
    return static_cast<int>((negative ? -number : number) & 0xFFFF);
}

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

std::vector<ParamRecord> CParamFile::Decode(const QByteArray& bytes, int mostRecords)
{
    std::vector<ParamRecord> records;
    const auto byte = [&bytes](qsizetype at) { return static_cast<unsigned char>(bytes[at]); };
    for (qsizetype at = 0; at + kRecordSize <= bytes.size() && static_cast<int>(records.size()) < mostRecords;
         at += kRecordSize)
        records.push_back({byte(at), byte(at + 2) | byte(at + 3) << 8});
    return records;
}

bool CParamFile::Save(const QString& path, const std::vector<ParamRecord>& records, QString& error)
{
    // Unbuffered, so that a write cut short (full disk, size limit) shows in
    // its count: a buffered commit takes a short final write for success.
    QSaveFile file(path);
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

bool CParamFile::Load(const QString& path, int mostRecords, std::vector<ParamRecord>& records, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FailureText("无法打开参数文件", path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(mostRecords) * kRecordSize);
    if (file.error() != QFileDevice::NoError) {
        error = FailureText("无法读取参数文件", path, file.errorString());
        return false;
    }
    const QString objection = ImportObjection(bytes);
    if (!objection.isEmpty()) {
        error = FailureText("无法导入参数文件", path, objection);
        return false;
    }
    records = Decode(bytes, mostRecords);
    return true;
}
