// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamFile.h"
#include "params/WholeFile.h"
#include "tests/FileAccessLimits.h"

#include <QDir>
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

// A file is written whole or not at all on both paths: through a temporary
// file beside it, and in place where none can be made there (a folder the
// user may not add files to), where the old bytes are kept and written back
// when the write fails part-way, and the message says so.
TEST(ParamFileTest, SaveKeepsTheOldFileWhenItFailsWithOrWithoutATemporaryFile)
{
    struct Case
    {
        const char* name;
        bool folderWritable;
        rlim_t sizeLimit; // 0: none
        bool saved;
        const char* message; // the end of the message; none when saved
    };
    const Case cases[] = {
        {"beside, whole", true, 0, true, nullptr},
        {"beside, cut short", true, 600, false, nullptr},
        {"in place, whole", false, 0, true, nullptr},
        {"in place, cut short", false, 600, false, "原文件已恢复，内容未改变。"},
    };
    const QByteArray old(400, '\x5A');
    std::vector<ParamRecord> records;
    for (int n = 0; n < 173; ++n)
        records.push_back({n, n});
    for (const Case& c : cases) {
        QTemporaryDir folder;
        const QString path = folder.filePath("set.F");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);
        const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                      | QFile::ExeOther | (c.folderWritable ? QFile::WriteOther : QFile::Permissions());
        QFile::setPermissions(folder.path(), open);
        QString error;
        bool saved = false;
        {
            const CUnprivilegedFileAccess user;
            const std::unique_ptr<CFileSizeLimit> limit(c.sizeLimit ? new CFileSizeLimit(c.sizeLimit) : nullptr);
            saved = CParamFile::Save(path, records, error);
        }
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(saved, c.saved) << c.name << ": " << error.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(file.readAll(), c.saved ? CParamFile::Encode(records) : old) << c.name;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"set.F"}) << c.name << ": no temporary left";
        if (!c.saved)
            EXPECT_TRUE(error.startsWith("无法保存参数文件 " + path)) << c.name << ": " << error.toStdString();
        if (c.message)
            EXPECT_TRUE(error.endsWith(c.message)) << c.name << ": " << error.toStdString();
    }
}
