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

// Only the records the list can take are read and judged: a bad record
// beyond them does not refuse the file.
TEST(ParamFileTest, LoadJudgesOnlyTheRecordsTheListTakes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("set.F");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(TenRecordsThenABadOne());
    file.close();

    for (const auto& [mostRecords, loads] : {std::pair{10, true}, {11, false}}) {
        std::vector<ParamRecord> records;
        QString error;
        EXPECT_EQ(CParamFile::Load(path, mostRecords, records, error), loads) << mostRecords;
        EXPECT_EQ(records.size(), loads ? 10u : 0u) << mostRecords;
        EXPECT_EQ(error.isEmpty(), loads) << error.toStdString();
    }
}
