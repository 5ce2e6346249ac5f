#include "params/ParamFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A file of ten good records, then one whose reserved byte is not 0.
QByteArray TenRecordsThenABadOne()
{
    std::vector<ParamRecord> records;
    for (int n = 0; n < 10; ++n)
        records.push_back({n, 1000 + n});
    return CParamFile::Encode(records) + QByteArray("\x0A\x07\x00\x00", 4);
}

} // namespace

// A record whose reserved byte is not 0 does not refuse the file: every
// whole record loads, the odd one is named for the import's review, and the
// piece after the last whole record is counted.
TEST(ParamFileTest, LoadTakesEveryRecordAndNamesTheOddOnes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("set.F");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(TenRecordsThenABadOne() + "\x01");
    file.close();

    ParamFileContents contents;
    QString error;
    ASSERT_TRUE(CParamFile::Load(path, contents, error)) << error.toStdString();
    ASSERT_EQ(contents.records.size(), 11u);
    EXPECT_EQ(contents.records[9].value, 1009);
    EXPECT_EQ(contents.records[10].number, 10);
    EXPECT_EQ(contents.oddReserved, std::vector<int>{10});
    EXPECT_EQ(contents.trailingBytes, 1);
}
