// SPDX-License-Identifier: GPL-3.0-or-later
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

// What a parameter file holds: its whole records in file order, and what
// sets it apart from a file this program saved.
struct ParamFileContents
{
    std::vector<ParamRecord> records;
    std::vector<int> oddReserved; // indexes (from 0) of records whose reserved byte is not 0
    int trailingBytes = 0;        // bytes after the last whole record: the file ends inside a record
};

// A parameter file (".F"): headerless 4-byte records in list order, each the
// parameter number, a reserved 0 byte and the value low byte first.
class CParamFile
{
public:
    static constexpr int kRecordSize = 4;
    // A file is read this far at most: far beyond any parameter set.
    static constexpr int kMostBytes = 1 << 20;

    static QByteArray Encode(const std::vector<ParamRecord>& records);
    // Every whole record of bytes, the ones with a reserved byte other than 0
    // and the piece shorter than a record at the end.
    static ParamFileContents Decode(const QByteArray& bytes);

    // Writes the records to a temporary file beside path and puts it in the
    // place of path only when every record is written, so a failure never
    // leaves a truncated file where a good one was. Where no temporary file
    // can be made beside it (a folder the user may not add files to), an
    // existing file is written in place and keeps its old bytes when that
    // write fails (WriteWholeFile). On failure error holds a message
    // naming the file and the reason.
    static bool Save(const QString& path, const std::vector<ParamRecord>& records, QString& error);
    // Reads the file at path. Only a file that cannot be read or holds no
    // whole record fails, with a message naming the file and the reason;
    // anything else is for the technician to judge in the import's review.
    static bool Load(const QString& path, ParamFileContents& contents, QString& error);
};
