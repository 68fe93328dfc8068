#include "filesizelimit.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

TEST(TextFileWrite, FullDiskLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"note.htm"_s);
    const QByteArray old(10000, 'o');
    testutil::WriteFile(path, old);

    // The last bytes do not fit: nothing of the new content replaces the old.
    {
        const TFileSizeLimit diskFull(old.size() + 1000);
        EXPECT_THROW(textfile::WriteAll(path, QByteArray(old.size() + 3000, 'n')), EzqError);
    }
    EXPECT_TRUE(testutil::ReadFile(path) == old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{u"note.htm"_s});

    // What fits is written.
    {
        const TFileSizeLimit diskFull(old.size() + 1000);
        textfile::WriteAll(path, QByteArray(old.size() + 500, 'n'));
    }
    EXPECT_TRUE(testutil::ReadFile(path) == QByteArray(old.size() + 500, 'n'));
}
