#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One parameter of a parameter file: its number and its 16-bit value.
struct ParamRecord
{
    int number;
    int value;
};

// The 16-bit value a parameter's text stands for: the standard decimal
// conversion (leading blanks, a sign, then digits; no digits give 0) of at most
// its first 10 characters, truncated to its low 16 bits. Used for the value
// column of the parameter lists and for what the value entry dialog returns.
int ParamValueOfText(const QString& text);

// A parameter file (".F"): headerless 4-byte records in list order, each the
// parameter number, a reserved 0 byte and the value low byte first.
class CParamFile
{
public:
    static constexpr int kRecordSize = 4;

    static QByteArray Encode(const std::vector<ParamRecord>& records);
    // The first mostRecords whole records of bytes; a trailing piece shorter
    // than a record is ignored.
    static std::vector<ParamRecord> Decode(const QByteArray& bytes, int mostRecords);

    // Writes the records to a temporary file beside path and puts it in the
    // place of path only when every record is written, so a failure never
    // leaves a truncated file where a good one was. On failure error holds a
    // message naming the file and the reason.
    static bool Save(const QString& path, const std::vector<ParamRecord>& records, QString& error);
    // Reads the first mostRecords records of the file at path. A file without
    // a whole record, or one whose records to be read do not all have the
    // reserved 0 byte (not a parameter file, or one whose records are out of
    // step), fails with a message: its bytes would be sent to the controller
    // as parameter numbers and values.
    static bool Load(const QString& path, int mostRecords, std::vector<ParamRecord>& records, QString& error);
};
