// A parameter file (".F") imported into a list of a given length, read from
// disk and decoded from its bytes, and the same bytes as the text of a value
// cell. The import refuses a file that this program could not have saved,
// and takes every whole record of any other up to the list's length, none
// beyond the list or the file and none lost; the records survive being saved
// again; a value text always stands for a 16-bit value.
//
// Input: the first byte is the list's row count, the rest the file.

#include "params/ParamFile.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

static bool operator==(const ParamRecord& a, const ParamRecord& b)
{
    return a.number == b.number && a.value == b.value;
}

namespace {

QString WriteFile(const QByteArray& bytes)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath("fuzz.F");
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
            "the file cannot be written");
    return path;
}

// A file this program could have saved, as far as the list reaches: at least
// one whole record, and a 0 in the reserved byte of every whole one. Only such
// a file is imported.
bool IsParamFile(const QByteArray& bytes)
{
    const qsizetype records = bytes.size() / CParamFile::kRecordSize;
    for (qsizetype record = 0; record < records; ++record)
        if (bytes[record * CParamFile::kRecordSize + 1] != '\0')
            return false;
    return records > 0;
}

void CheckImport(const QByteArray& bytes, int rows)
{
    const std::vector<ParamRecord> decoded = CParamFile::Decode(bytes, rows);
    const size_t whole = std::min<size_t>(rows, bytes.size() / CParamFile::kRecordSize);
    Require(decoded.size() == whole, "records decoded: " + std::to_string(decoded.size()) + " of " + std::to_string(whole));
    for (const ParamRecord& record : decoded)
        Require(record.number >= 0 && record.number <= 0xFF && record.value >= 0 && record.value <= 0xFFFF,
                "a record beyond its byte and word");
    Require(CParamFile::Decode(CParamFile::Encode(decoded), rows) == decoded, "records change when saved again");

    std::vector<ParamRecord> loaded;
    QString error;
    const bool loads = CParamFile::Load(WriteFile(bytes), rows, loaded, error);
    Require(loads == IsParamFile(bytes.left(qsizetype{rows} * CParamFile::kRecordSize)), "a file is loaded or refused against its records: " + error.toStdString());
    Require(loads ? loaded == decoded : loaded.empty() && !error.isEmpty(),
            loads ? "the file on disk loads other records than its bytes decode to" : "a refused file gives records or no reason");
}

void CheckValueText(const QByteArray& bytes)
{
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        const int value = ParamValueOfText(text);
        Require(value >= 0 && value <= 0xFFFF, "a value text beyond 16 bits: " + std::to_string(value));
    }
    if (bytes.size() >= 2) {
        // What the list shows of a value is read back as that value.
        const int shown = static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8;
        Require(ParamValueOfText(QString::number(shown)) == shown, "a shown value reads back as another");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    CheckImport(bytes, data[0]);
    CheckValueText(bytes);
    return 0;
}
