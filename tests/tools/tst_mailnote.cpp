// The mail hand-over through a stand-in xdg-email, the names around it, and the clearing of old
// mail archives.
#include "fakexdgemail.h"
#include "testutil.h"
#include "tools/mailnote.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::Literals::StringLiterals;

using testutil::ReadFile;
using testutil::WriteFile;

TEST(MailNote, NamesOfNotesArchivesAndMails)
{
    EXPECT_EQ(MailArchivePath(u"/n/Trip/___zq_quillet__folder.htm"_s, u"/p/temp/"_s),
              u"/p/temp/mail/Trip.mht"_s);
    EXPECT_EQ(MailSubject(u"/p/temp/mail/여행 계획.mht"_s), u"zqQuillet-여행 계획"_s);
}

namespace {

class MailHandOverTest : public ::testing::Test {
protected:
    QString Archive() const { return Dir.filePath(u"mail/여행 [1].mht"_s); }

    // Hands the archive over and waits for the end; none when `done` never came.
    std::optional<QString> HandOver(bool* started, QString* error)
    {
        std::optional<QString> result;
        QObject context;
        *started = MailWebArchive(
            Archive(), &context, [&](const QString& text) { result = text; }, error);
        if (*started)
            (void)QTest::qWaitFor([&] { return result.has_value(); }, 20000);
        return result;
    }

    QTemporaryDir Dir;
};

} // namespace

TEST_F(MailHandOverTest, ArgumentsReachXdgEmailAndTheArchiveStays)
{
    WriteFile(Archive(), "archive");
    TFakeXdgEmail mail;
    bool started = false;
    QString error;
    EXPECT_EQ(HandOver(&started, &error), QString());
    EXPECT_TRUE(started);
    EXPECT_EQ(mail.Arguments(),
              (QStringList{u"--utf8"_s, u"--subject"_s, u"zqQuillet-여행 [1]"_s, u"--body"_s,
                           u"저의 자료입니다."_s, u"--attach"_s, Archive()}));
    // The mail program may read it after xdg-email has ended.
    EXPECT_EQ(ReadFile(Archive()), QByteArray("archive"));
}

TEST_F(MailHandOverTest, MissingOrFailingXdgEmailIsReported)
{
    WriteFile(Archive(), "archive");
    bool started = true;
    QString error;
    {
        TFakeXdgEmail missing(0, false);
        EXPECT_EQ(HandOver(&started, &error), std::nullopt);
        EXPECT_FALSE(started);
        EXPECT_EQ(error,
                  u"메일 프로그램을 부를 수 없습니다: xdg-email이 설치되어 있지 않습니다."_s);
    }
    {
        TFakeXdgEmail failing(3);
        error.clear();
        EXPECT_EQ(HandOver(&started, &error),
                  u"메일 프로그램을 찾지 못했습니다. 데스크톱의 기본 메일 프로그램을 정해 주세요.\n"
                  u"no mail program here\n\n보관 파일: "_s +
                      QDir::toNativeSeparators(Archive()));
        EXPECT_TRUE(started);
        EXPECT_TRUE(error.isEmpty());
        EXPECT_TRUE(failing.Called());
    }
    EXPECT_EQ(ReadFile(Archive()), QByteArray("archive"));
}

TEST(MailNote, OnlyOldMailArchivesAreRemoved)
{
    QTemporaryDir temp;
    const QString mail = temp.filePath(u"mail/"_s);
    const QDateTime now = QDateTime::currentDateTime();
    auto make = [&](const QString& path, qint64 ageSeconds) {
        WriteFile(path, "x");
        QFile f(path);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime);
    };
    const qint64 day = 24 * 3600;
    make(mail + u"Old.mht"_s, day + 60);
    make(mail + u"Old unfinished.mht.Ab12Cd"_s, 2 * day);
    make(mail + u"Fresh.mht"_s, day - 60);
    make(mail + u"Old letter.txt"_s, 2 * day); // not the program's
    make(mail + u"Old.mhtml"_s, 2 * day);
    make(mail + u"sub/Old.mht"_s, 2 * day);     // below the folder
    make(temp.filePath(u"Old.mht"_s), 2 * day); // beside it
    // A link is not followed, nor is what it names removed.
    make(temp.filePath(u"kept/Target.mht"_s), 2 * day);
    QFile::link(temp.filePath(u"kept/Target.mht"_s), mail + u"Link.mht"_s);

    // Work folders of archive runs that never ended: only those holding the raw archive alone.
    make(temp.filePath(u"zqmht-Ab12Cd/raw.mht"_s), 2 * day);
    make(temp.filePath(u"zqmht-Xy34Zw/raw.mht"_s), 2 * day);
    make(temp.filePath(u"zqmht-Xy34Zw/mine.txt"_s), 2 * day);
    make(temp.filePath(u"zqmht-Fr56sh/raw.mht"_s), 60);

    EXPECT_EQ(RemoveOldMailArchives(temp.path(), now), 3);
    EXPECT_FALSE(QFileInfo::exists(temp.filePath(u"zqmht-Ab12Cd"_s)));
    EXPECT_TRUE(QFile::exists(temp.filePath(u"zqmht-Xy34Zw/raw.mht"_s)));
    EXPECT_TRUE(QFile::exists(temp.filePath(u"zqmht-Fr56sh/raw.mht"_s)));
    QStringList left = QDir(mail).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{u"Fresh.mht"_s, u"Link.mht"_s, u"Old letter.txt"_s, u"Old.mhtml"_s,
                                 u"sub"_s}));
    EXPECT_TRUE(QFile::exists(mail + u"sub/Old.mht"_s));
    EXPECT_TRUE(QFile::exists(temp.filePath(u"Old.mht"_s)));
    EXPECT_TRUE(QFile::exists(temp.filePath(u"kept/Target.mht"_s)));

    // No mail folder yet: nothing to do.
    QTemporaryDir empty;
    EXPECT_EQ(RemoveOldMailArchives(empty.path(), now), 0);
    EXPECT_FALSE(QFileInfo::exists(empty.filePath(u"mail"_s)));
}
