// SPDX-License-Identifier: GPL-3.0-or-later
// A parameter file (".F") read from disk and decoded from its bytes, and the
// same bytes as the text of the value entry dialog. Every whole record is
// read, none lost and none made up, each with its reserved byte judged and
// the piece shorter than a record counted; only a file without a whole record
// is refused; the records survive being saved again. A value text is taken
// only when it stands for a value within the parameter's range.
//
// Input: the first byte selects the range (odd: one-byte parameter), the rest
// is the file.

#include "dialogs/ValueDlg.h"
#include "params/ParamFile.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QFile>
#include <QTemporaryDir>

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

void CheckImport(const QByteArray& bytes)
{
    const ParamFileContents decoded = CParamFile::Decode(bytes);
    const size_t whole = bytes.size() / CParamFile::kRecordSize;
    Require(decoded.records.size() == whole, "records decoded: " + std::to_string(decoded.records.size()) + " of " + std::to_string(whole));
    Require(decoded.trailingBytes == bytes.size() % CParamFile::kRecordSize, "the piece after the last record");
    size_t odd = 0;
    for (size_t record = 0; record < whole; ++record) {
        const bool reserved = bytes[record * CParamFile::kRecordSize + 1] != '\0';
        const bool named = odd < decoded.oddReserved.size() && decoded.oddReserved[odd] == static_cast<int>(record);
        Require(reserved == named, "a record's reserved byte judged wrongly");
        odd += named;
    }
    Require(odd == decoded.oddReserved.size(), "odd records named that are none");
    for (const ParamRecord& record : decoded.records)
        Require(record.number >= 0 && record.number <= 0xFF && record.value >= 0 && record.value <= 0xFFFF,
                "a record beyond its byte and word");
    Require(CParamFile::Decode(CParamFile::Encode(decoded.records)).records == decoded.records,
            "records change when saved again");

    ParamFileContents loaded;
    QString error;
    const bool loads = CParamFile::Load(WriteFile(bytes), loaded, error);
    Require(loads == (whole > 0), "a file is loaded or refused against its records: " + error.toStdString());
    Require(loads ? loaded.records == decoded.records : loaded.records.empty() && !error.isEmpty(),
            loads ? "the file on disk loads other records than its bytes decode to" : "a refused file gives records or no reason");
}

void CheckValueText(const QByteArray& bytes, int most)
{
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        const std::optional<int> value = CValueDlg::ParseValue(text, most);
        Require(!value || (*value >= 0 && *value <= most), "a value beyond the range: " + std::to_string(value.value_or(-1)));
        Require(!value || CValueDlg::ParseValue(QString::number(*value), most) == value, "a value reads back as another");
    }
    if (bytes.size() >= 2) {
        // Every value within the range is taken as it is shown.
        const int shown = (static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8) & most;
        Require(CValueDlg::ParseValue(QString::number(shown), most) == shown, "a shown value reads back as another");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    CheckImport(bytes);
    CheckValueText(bytes, data[0] % 2 ? 0xFF : 0xFFFF);
    return 0;
}
