// Web archives of notes with the real browser engine, offscreen, read back by Python's own MIME
// parser: the note's text and pictures in the archive, no local folders in its addresses, the
// note and its files untouched, the target replaced only by a complete archive, and the mail
// hand-over through a stand-in xdg-email.
#include "editor/notecontent.h"
#include "platform/cp949.h"
#include "readmhtml.h"
#include "testutil.h"
#include "tools/mailnote.h"
#include "tools/zqwebarchive.h"

#include <gtest/gtest.h>

#include "fakexdgemail.h"
#include "localhttpserver.h"

#include <QApplication>
#include <QBuffer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

using namespace Qt::Literals::StringLiterals;

using testutil::ReadFile;
using testutil::Snapshot;
using testutil::WriteFile;

namespace {

const QString Hangul = u"한글 똠방각하 ■ 돋움 뷁"_s;

QByteArray Picture(const char* format, QColor colour)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QJsonObject PartByType(const QJsonObject& archive, const QString& type)
{
    for (const QJsonValue& part : archive[u"parts"_s].toArray()) {
        if (part[u"type"_s].toString() == type)
            return part.toObject();
    }
    return {};
}

QByteArray PartBytes(const QJsonObject& part)
{
    return QByteArray::fromBase64(part[u"bytes"_s].toString().toLatin1());
}

class WebArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(Root.path()).mkpath(u"data/Travel"_s);
        QDir(Root.path()).mkpath(u"out"_s);
        NoteScope().SetPlaces({Data(), Temp()}, {});
    }
    void TearDown() override { NoteScope().SetPlaces({}, {}); }

    QString Data() const { return Root.filePath(u"data"_s); }
    QString Temp() const { return Root.filePath(u"temp"_s); }
    QString Out(const QString& name) const { return Root.filePath(u"out/"_s + name); }

    // A CP949 note in the Travel folder with two pictures in its file folder, one of them with
    // blanks and brackets in its name.
    QString WriteTripNote()
    {
        const QString note = Data() + u"/Travel/Trip plan.htm"_s;
        WriteFile(note, cp949::FromUnicode(QString(
                            u"<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                            u"charset=euc-kr\"><TITLE>여행</TITLE></HEAD>\r\n<BODY><P>"_s +
                            Hangul +
                            u"</P>\r\n<IMG src=\"__Trip_plan\\my pic [1].png\">\r\n"
                            u"<IMG src=\"__Trip_plan\\사진 2.jpg\"></BODY></HTML>\r\n"_s)));
        WriteFile(Data() + u"/Travel/__Trip_plan/my pic [1].png"_s, Png);
        WriteFile(Data() + u"/Travel/__Trip_plan/사진 2.jpg"_s, Jpeg);
        return note;
    }

    QTemporaryDir Root;
    const QByteArray Png = Picture("PNG", Qt::red);
    const QByteArray Jpeg = Picture("JPEG", Qt::blue);
};

} // namespace

TEST_F(WebArchiveTest, ArchiveHoldsTheTextAndPicturesUnderNeutralAddresses)
{
    const QString note = WriteTripNote();
    const QMap<QString, QByteArray> before = Snapshot(Data());
    const QString target = Out(u"Trip plan.mht"_s);

    TzqWebArchive archive(Temp(), nullptr);
    ASSERT_EQ(archive.Build(note, target), TzqWebArchive::TResult::Done)
        << archive.ErrorText().toStdString();
    if (qEnvironmentVariableIsSet("ZQ_KEEP_ARCHIVE"))
        QFile::copy(target, qEnvironmentVariable("ZQ_KEEP_ARCHIVE"));

    const QJsonObject read = ReadArchive(target);
    EXPECT_TRUE(read[u"multipart"_s].toBool());
    EXPECT_EQ(read[u"type"_s].toString(), u"multipart/related"_s);
    EXPECT_TRUE(read[u"defects"_s].toArray().isEmpty())
        << QJsonDocument(read[u"defects"_s].toArray()).toJson().toStdString();

    const QJsonObject html = PartByType(read, u"text/html"_s);
    EXPECT_TRUE(html[u"text"_s].toString().contains(Hangul));

    // Every picture, byte for byte.
    QList<QByteArray> pictures;
    for (const QJsonValue& part : read[u"parts"_s].toArray()) {
        if (part[u"type"_s].toString().startsWith(u"image/"_s))
            pictures.append(PartBytes(part.toObject()));
    }
    EXPECT_EQ(pictures.size(), 2);
    EXPECT_TRUE(pictures.contains(Png));
    EXPECT_TRUE(pictures.contains(Jpeg));

    // The note's address is neutral, and the note's references still lead to its pictures.
    EXPECT_EQ(html[u"location"_s].toString(), u"http://zqquillet.invalid/Trip%20plan.htm"_s);
    const QJsonArray refs = read[u"refs"_s].toArray();
    EXPECT_EQ(refs.size(), 2);
    for (const QJsonValue& ref : refs)
        EXPECT_TRUE(ref[u"found"_s].toBool()) << ref[u"resolved"_s].toString().toStdString();

    // Neither a header nor the HTML names the user's folders.
    EXPECT_FALSE(html[u"text"_s].toString().contains(Root.path()));
    EXPECT_FALSE(html[u"text"_s].toString().contains(u"zqnote"_s));
    QStringList headers;
    for (const QJsonValue& h : read[u"top"_s].toArray())
        headers.append(h[1].toString());
    for (const QJsonValue& part : read[u"parts"_s].toArray()) {
        for (const QJsonValue& h : part[u"headers"_s].toArray())
            headers.append(h[1].toString());
    }
    for (const QString& value : headers) {
        EXPECT_FALSE(value.contains(Root.path())) << value.toStdString();
        EXPECT_FALSE(value.contains(u"zqnote"_s)) << value.toStdString();
    }

    // The note and its files as they were; nothing left in the temporary folder or beside
    // the target.
    EXPECT_EQ(Snapshot(Data()), before);
    EXPECT_TRUE(Snapshot(Temp()).isEmpty()) << Snapshot(Temp()).keys().join(u' ').toStdString();
    EXPECT_EQ(QDir(Root.filePath(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"Trip plan.mht"_s});

    // A browser engine opening the archive shows both pictures from it.
    QWebEngineProfile profile;
    QWebEnginePage reader(&profile);
    QSignalSpy loaded(&reader, &QWebEnginePage::loadFinished);
    reader.load(QUrl::fromLocalFile(target));
    ASSERT_TRUE(loaded.wait(20000));
    QVariant widths;
    bool answered = false;
    reader.runJavaScript(
        u"Array.from(document.images).map(function (i) { return i.naturalWidth; }).join(',')"_s,
        QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            widths = v;
            answered = true;
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    EXPECT_EQ(widths.toString(), u"24,24"_s);
}

TEST_F(WebArchiveTest, FailuresAndCancelLeaveTheTargetAsItWasAndNothingBehind)
{
    const QString note = WriteTripNote();
    const QString target = Out(u"Trip.mht"_s);
    WriteFile(target, "an older archive");
    const QMap<QString, QByteArray> before = Snapshot(Data());
    auto nothingLeft = [&] {
        EXPECT_EQ(ReadFile(target), QByteArray("an older archive"));
        EXPECT_EQ(QDir(Root.filePath(u"out"_s)).entryList(QDir::Files | QDir::Hidden),
                  QStringList{u"Trip.mht"_s});
        EXPECT_TRUE(Snapshot(Temp()).isEmpty()) << Snapshot(Temp()).keys().join(u' ').toStdString();
        EXPECT_EQ(Snapshot(Data()), before);
    };

    TzqWebArchive archive(Temp(), nullptr);
    EXPECT_EQ(archive.Build(Data() + u"/Travel/Gone.htm"_s, target),
              TzqWebArchive::TResult::Failed);
    EXPECT_TRUE(archive.ErrorText().startsWith(u"노트 파일이 없습니다:"_s));
    nothingLeft();

    // The note scheme serves nothing outside the open stores.
    const QString stray = Root.filePath(u"elsewhere/Stray.htm"_s);
    WriteFile(stray, "<p>x</p>");
    EXPECT_EQ(archive.Build(stray, target), TzqWebArchive::TResult::Failed);
    EXPECT_TRUE(archive.ErrorText().startsWith(u"열린 자료 폴더 밖의 노트는"_s));
    nothingLeft();

    // A folder that does not exist cannot take the archive.
    EXPECT_EQ(archive.Build(note, Root.filePath(u"missing/Trip.mht"_s)),
              TzqWebArchive::TResult::Failed);
    EXPECT_TRUE(archive.ErrorText().startsWith(u"웹 보관 파일을 저장하지 못했습니다:"_s))
        << archive.ErrorText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(Root.filePath(u"missing"_s)));
    nothingLeft();

    // A picture on a server that does not answer keeps the note loading.
    TLocalHttpServer server;
    server.Answer("/slow.png", {200, "Content-Type: image/png\r\n", Png, 60000});
    const QString slow = Data() + u"/Travel/Slow.htm"_s;
    WriteFile(slow,
              QByteArray("<p>slow</p><img src=\"" + server.Url("/slow.png").toEncoded() + "\">"));
    const QMap<QString, QByteArray> withSlow = Snapshot(Data());

    archive.SetTimeout(1500);
    EXPECT_EQ(archive.Build(slow, target), TzqWebArchive::TResult::Failed);
    EXPECT_EQ(archive.ErrorText(), u"웹 보관 파일을 만드는 데 시간이 너무 걸려 그만두었습니다."_s);
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(ReadFile(target), QByteArray("an older archive"));
    EXPECT_TRUE(Snapshot(Temp()).isEmpty());

    // The progress window appears after a moment; its cancel button ends the run.
    archive.SetTimeout(60000);
    archive.SetProgressDelay(100);
    bool sawProgress = false;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, &cancel, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(w);
            if (!progress ||
                progress->objectName() != QLatin1StringView(TzqWebArchive::ProgressName) ||
                !progress->isVisible())
                continue;
            sawProgress = true;
            EXPECT_EQ(progress->labelText(), u"웹 보관 파일(mht)을 만드는 중입니다..."_s);
            QPushButton* button = progress->findChild<QPushButton*>();
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), u"취소(&C)"_s);
            button->click();
        }
    });
    cancel.start(50);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(archive.Build(slow, target), TzqWebArchive::TResult::Cancelled);
    cancel.stop();
    EXPECT_TRUE(sawProgress);
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_TRUE(archive.ErrorText().isEmpty());
    EXPECT_EQ(ReadFile(target), QByteArray("an older archive"));
    EXPECT_TRUE(Snapshot(Temp()).isEmpty());
    EXPECT_EQ(Snapshot(Data()), withSlow);

    // The entry point tells a failure from a cancel by its text.
    QString error;
    EXPECT_FALSE(SaveWebArchive(Data() + u"/Travel/Gone.htm"_s, target, nullptr, &error, Temp()));
    EXPECT_TRUE(error.startsWith(u"노트 파일이 없습니다:"_s));
    EXPECT_TRUE(SaveWebArchive(note, target, nullptr, &error, Temp()));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(ReadFile(target).startsWith("From: <Saved by Blink>"));
}

TEST_F(WebArchiveTest, MailNoteHandsTheArchiveOfAFolderNoteToTheMailProgram)
{
    // The folder note of Travel, without a file folder, is mailed as "Travel".
    const QString folderNote = Data() + u"/Travel/___zq_quillet__folder.htm"_s;
    WriteFile(folderNote,
              cp949::FromUnicode(QString(u"<html><body><p>"_s + Hangul + u"</p></body></html>"_s)));
    const QMap<QString, QByteArray> before = Snapshot(Data());

    TFakeXdgEmail mail;
    QStringList errors;
    const auto report = [&errors](const QString& text) { errors.append(text); };
    MailNote(folderNote, nullptr, report, Temp());
    ASSERT_TRUE(QTest::qWaitFor([&] { return mail.Arguments().size() == 7; }, 20000));
    const QString archive = Temp() + u"/mail/Travel.mht"_s;
    EXPECT_EQ(mail.Arguments(),
              (QStringList{u"--utf8"_s, u"--subject"_s, u"zqQuillet-Travel"_s, u"--body"_s,
                           u"저의 자료입니다."_s, u"--attach"_s, archive}));
    // The mail program may read the archive later; it stays.
    QTest::qWait(200);
    const QJsonObject read = ReadArchive(archive);
    EXPECT_TRUE(PartByType(read, u"text/html"_s)[u"text"_s].toString().contains(Hangul));
    EXPECT_EQ(read[u"parts"_s].toArray().size(), 1);
    EXPECT_EQ(Snapshot(Temp()).keys(), (QStringList{u"mail"_s, u"mail/Travel.mht"_s}));
    EXPECT_EQ(Snapshot(Data()), before);

    // An empty path does nothing.
    QFile::remove(mail.Record());
    MailNote(QString(), nullptr, report, Temp());
    QTest::qWait(300);
    EXPECT_FALSE(mail.Called());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}
