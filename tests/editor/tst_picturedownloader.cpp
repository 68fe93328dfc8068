// Picture downloads against a server on 127.0.0.1 started by the test: what each kind of answer
// ends as, which files are left in the folder, how many run at once and in which order, the
// total deadline, the size cap, cancelling and the progress reports.
#include "editor/picturedownloader.h"
#include "localhttpserver.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

using TJob = TzqPictureDownloader::TJob;
using TAnswer = TLocalHttpServer::TAnswer;

const QByteArray Png = QByteArray::fromHex(
    "89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63"
    "F8FFFF3F0005FE02FEA7D6A4D90000000049454E44AE426082");
const QByteArray Jpeg = QByteArray::fromHex("FFD8FFE000104A46494600010100000100010000") +
                        QByteArray(300, '\x11') + QByteArray::fromHex("FFD9");

// Everything a run reported.
struct TRecord {
    std::map<int, int> Results;
    std::map<int, QString> Details;
    QList<int> ResultOrder;
    QList<std::tuple<int, int, qint64>> Progress;
    int Finished = 0;
    int Signals = 0;
};

void Record(TzqPictureDownloader& d, TRecord& r)
{
    QObject::connect(&d, &TzqPictureDownloader::PictureDone, &d,
                     [&r](int index, int result, const QString& detail) {
                         EXPECT_FALSE(r.Results.contains(index)) << "twice: " << index;
                         r.Results[index] = result;
                         r.Details[index] = detail;
                         r.ResultOrder.append(index);
                         ++r.Signals;
                     });
    QObject::connect(&d, &TzqPictureDownloader::Progress, &d,
                     [&r](int done, int total, qint64 bytes) {
                         r.Progress.append({done, total, bytes});
                         ++r.Signals;
                     });
    QObject::connect(&d, &TzqPictureDownloader::Finished, &d, [&r] {
        ++r.Finished;
        ++r.Signals;
    });
}

class PictureDownloader : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp.isValid());
        FFolder = FTemp.path() + u"/__note"_s;
        FServer.Answer("/a.png", {200, "Content-Type: image/png\r\n", Png});
        FServer.Answer("/b.jpg", {200, "Content-Type: image/jpeg\r\n", Jpeg});
        FServer.Answer("/missing.png",
                       {404, "Content-Type: text/html\r\n", "<html><body>Not found</body></html>"});
        FServer.Answer("/broken.png", {500, {}, "oops"});
        FServer.Answer("/page.png", {200, "Content-Type: text/html\r\n",
                                     "<!DOCTYPE html><html><body>hello</body></html>"});
        FServer.Answer("/to-png", {302, "Location: /a.png\r\n", {}});
        FServer.Answer("/to-file", {302, "Location: file:///etc/hostname\r\n", {}});
        FServer.Answer("/loop", {302, "Location: /loop\r\n", {}});
        TAnswer slow{200, {}, Png.repeated(40)};
        slow.TrickleMs = 20;
        FServer.Answer("/slow.png", slow);
        TAnswer endless{200, {}, Png + QByteArray(64 * 1024 - Png.size(), '\0')};
        endless.Endless = true;
        FServer.Answer("/endless.png", endless);
        TAnswer huge{200, {}, Png};
        huge.ContentLength = 10LL * 1024 * 1024 * 1024;
        huge.TrickleMs = 50; // what follows the header never completes
        FServer.Answer("/huge.png", huge);
    }

    QString Target(const QString& name) const { return FFolder + u'/' + name; }
    QStringList Files() const
    {
        return QDir(FFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    static bool WaitFinished(const TRecord& r, int ms = 10000)
    {
        return QTest::qWaitFor([&r] { return r.Finished > 0; }, ms);
    }

    QTemporaryDir FTemp;
    QString FFolder;
    TLocalHttpServer FServer;
};

} // namespace

TEST(PictureSignature, KnownPicturesAndSvgTextPassOthersDoNot)
{
    const auto looks = [](QByteArrayView b) { return TzqPictureDownloader::LooksLikePicture(b); };
    EXPECT_TRUE(looks(Png));
    EXPECT_TRUE(looks(Jpeg));
    EXPECT_TRUE(looks("GIF89a\x01\x00\x01\x00"));
    EXPECT_TRUE(looks("GIF87a"));
    QByteArray bmp("BM");
    bmp += QByteArray(12, '\0') + QByteArray::fromHex("28000000");
    EXPECT_TRUE(looks(bmp));
    EXPECT_FALSE(looks("BM, a text that begins like a bitmap"));
    EXPECT_TRUE(looks(QByteArrayView("RIFF\x10\0\0\0WEBPVP8 ", 16)));
    EXPECT_FALSE(looks(QByteArrayView("RIFF\x10\0\0\0WAVEfmt ", 16)));
    EXPECT_TRUE(looks(QByteArrayView("\0\0\1\0\1\0", 6)));
    EXPECT_FALSE(looks(QByteArrayView("\0\0\1\0\0\0", 6))); // an icon of no pictures
    EXPECT_TRUE(looks(QByteArrayView("\0\0\0\x1C"
                                     "ftypavif",
                                     12)));
    EXPECT_FALSE(looks(QByteArrayView("\0\0\0\x1C"
                                      "ftypisom",
                                      12))); // a video

    EXPECT_TRUE(looks("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"));
    EXPECT_TRUE(looks("\xEF\xBB\xBF\r\n  <SVG width=\"1\"></SVG>"));
    EXPECT_TRUE(looks("<?xml version=\"1.0\"?>\n<!DOCTYPE svg>\n<svg/>"));
    EXPECT_FALSE(looks("<?xml version=\"1.0\"?><rss/>"));
    EXPECT_FALSE(looks("<!DOCTYPE html><html><svg/></html>"));
    EXPECT_FALSE(looks(""));
    EXPECT_FALSE(looks("\x89PN"));
}

TEST_F(PictureDownloader, EachAnswerEndsAsItShouldAndOnlyPicturesAreLeft)
{
    testutil::WriteFile(Target(u"taken.png"_s), "mine");
    TzqPictureDownloader d({4, 1500, 256 * 1024, 3});
    TRecord r;
    Record(d, r);
    const QList<TJob> jobs = {
        {FServer.Url("/a.png"), Target(u"a.png"_s)},
        {FServer.Url("/b.jpg"), Target(u"b.jpg"_s)},
        {FServer.Url("/missing.png"), Target(u"missing.png"_s)},
        {FServer.Url("/broken.png"), Target(u"broken.png"_s)},
        {FServer.Url("/page.png"), Target(u"page.png"_s)},
        {FServer.Url("/to-png"), Target(u"redirected.png"_s)},
        {FServer.Url("/to-file"), Target(u"to-file"_s)},
        {FServer.Url("/loop"), Target(u"loop"_s)},
        {FServer.Url("/slow.png"), Target(u"slow.png"_s)},
        {FServer.Url("/endless.png"), Target(u"endless.png"_s)},
        {FServer.Url("/huge.png"), Target(u"huge.png"_s)},
        {QUrl(u"file:///etc/hostname"_s), Target(u"local"_s)},
        {QUrl(u"ftp://127.0.0.1/a.png"_s), Target(u"ftp.png"_s)},
        {QUrl(u"data:image/png;base64,iVBORw0KGgo="_s), Target(u"data.png"_s)},
        {FServer.Url("/a.png"), Target(u"taken.png"_s)},
    };
    ASSERT_TRUE(d.Start(jobs));
    EXPECT_FALSE(d.Start(jobs)); // one run at a time
    EXPECT_EQ(r.Signals, 0);     // nothing comes from inside Start()
    ASSERT_TRUE(WaitFinished(r));

    const std::map<int, int> expected = {
        {0, zqDlOk},
        {1, zqDlOk},
        {2, zqDlHttpError},
        {3, zqDlHttpError},
        {4, zqDlNotPicture},
        {5, zqDlOk},
        {6, zqDlBadRedirect},
        {7, zqDlTooManyRedirects},
        {8, zqDlTimeout},
        {9, zqDlTooLarge},
        {10, zqDlTooLarge},
        {11, zqDlRefusedScheme},
        {12, zqDlRefusedScheme},
        {13, zqDlRefusedScheme},
        {14, zqDlTargetExists},
    };
    for (const auto& [index, result] : expected)
        EXPECT_EQ(r.Results[index], result)
            << index << ": " << qPrintable(TzqPictureDownloader::ResultName(r.Results[index]))
            << " " << qPrintable(r.Details[index]);
    EXPECT_EQ(r.Finished, 1);
    EXPECT_FALSE(d.IsRunning());

    // Only the pictures, no temporary files, the caller's file untouched.
    EXPECT_EQ(Files(), QStringList({u"a.png"_s, u"b.jpg"_s, u"redirected.png"_s, u"taken.png"_s}));
    EXPECT_EQ(testutil::ReadFile(Target(u"a.png"_s)), Png);
    EXPECT_EQ(testutil::ReadFile(Target(u"b.jpg"_s)), Jpeg);
    EXPECT_EQ(testutil::ReadFile(Target(u"redirected.png"_s)), Png);
    EXPECT_EQ(testutil::ReadFile(Target(u"taken.png"_s)), "mine");

    // Refused jobs never reached the server; the loop stopped after three redirects.
    EXPECT_EQ(FServer.Order().count("/loop"), 4);
    EXPECT_EQ(FServer.Requests(), 11 + 1 + 3);
    // The endless body was stopped near the cap, not read on and on.
    EXPECT_LT(FServer.BodyBytesSent(), 16 * 1024 * 1024);

    // Progress: done never goes back, the last report counts every job and the bytes.
    ASSERT_FALSE(r.Progress.isEmpty());
    int lastDone = 0;
    for (const auto& [done, total, bytes] : r.Progress) {
        EXPECT_GE(done, lastDone);
        EXPECT_EQ(total, jobs.size());
        lastDone = done;
    }
    EXPECT_EQ(std::get<0>(r.Progress.last()), jobs.size());
    EXPECT_GE(std::get<2>(r.Progress.last()), 2 * Png.size() + Jpeg.size());
}

TEST_F(PictureDownloader, TheDeadlineCoversTheWholeTransferNotJustSilence)
{
    // A byte every 20 ms never looks idle, yet the picture takes far longer than allowed.
    TzqPictureDownloader d;
    d.SetLimits({1, 400, 1024 * 1024, 5});
    TRecord r;
    Record(d, r);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(d.Start({{FServer.Url("/slow.png"), Target(u"slow.png"_s)}}));
    ASSERT_TRUE(WaitFinished(r));
    EXPECT_EQ(r.Results[0], zqDlTimeout);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_GT(FServer.BodyBytesSent(), 0);
    EXPECT_TRUE(Files().isEmpty());
}

TEST_F(PictureDownloader, RunsAtMostTheLimitAtOnceStartingInDocumentOrder)
{
    QList<TJob> jobs;
    for (int i = 0; i < 9; ++i) {
        const QByteArray path = "/p" + QByteArray::number(i) + ".png";
        TAnswer late{200, {}, Png};
        late.DelayMs = 150;
        FServer.Answer(path, late);
        jobs.append({FServer.Url(path), Target(u"p%1.png"_s.arg(i))});
    }
    {
        TzqPictureDownloader d({3, 5000, 1024 * 1024, 5});
        TRecord r;
        Record(d, r);
        ASSERT_TRUE(d.Start(jobs));
        ASSERT_TRUE(WaitFinished(r));
        EXPECT_EQ(FServer.MostAtOnce(), 3);
        EXPECT_EQ(Files().size(), 9);
        EXPECT_EQ(r.Results.size(), 9u);
    }
    QDir(FFolder).removeRecursively();
    const int before = FServer.Requests();
    TzqPictureDownloader d({1, 5000, 1024 * 1024, 5});
    TRecord r;
    Record(d, r);
    ASSERT_TRUE(d.Start(jobs));
    ASSERT_TRUE(WaitFinished(r));
    QList<QByteArray> order = FServer.Order().mid(before);
    QList<QByteArray> expected;
    for (int i = 0; i < 9; ++i)
        expected.append("/p" + QByteArray::number(i) + ".png");
    EXPECT_EQ(order, expected);
    EXPECT_EQ(r.ResultOrder, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(PictureDownloader, CancelKeepsSavedPicturesAndRemovesPartialOnes)
{
    TAnswer slower{200, {}, Png.repeated(200)};
    slower.TrickleMs = 10;
    slower.TrickleBytes = 16;
    FServer.Answer("/slower.png", slower);
    TzqPictureDownloader d({2, 20000, 1024 * 1024, 5});
    TRecord r;
    Record(d, r);
    ASSERT_TRUE(d.Start({
        {FServer.Url("/a.png"), Target(u"a.png"_s)},
        {FServer.Url("/b.jpg"), Target(u"b.jpg"_s)},
        {FServer.Url("/slower.png"), Target(u"slower.png"_s)},
        {FServer.Url("/slow.png"), Target(u"slow.png"_s)},
        {FServer.Url("/a.png"), Target(u"waiting.png"_s)},
    }));
    // Two pictures saved, the slow ones part way with their temporary files.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return r.Results.size() == 2 &&
                   QDir(FFolder).entryList({u".*.part"_s}, QDir::Files | QDir::Hidden).size() == 2;
        },
        5000))
        << qPrintable(Files().join(u' ')) << " " << r.Results.size();
    EXPECT_EQ(r.Results[0], zqDlOk);
    EXPECT_EQ(r.Results[1], zqDlOk);

    d.Cancel();
    EXPECT_FALSE(d.IsRunning());
    EXPECT_EQ(r.Finished, 1);
    for (int i : {2, 3, 4})
        EXPECT_EQ(r.Results[i], zqDlCancelled) << i;
    EXPECT_EQ(Files(), QStringList({u"a.png"_s, u"b.jpg"_s}));

    // Nothing more arrives afterwards, and the server sees the connections go.
    const int seen = r.Signals;
    QTest::qWait(300);
    EXPECT_EQ(r.Signals, seen);
    EXPECT_TRUE(QTest::qWaitFor([&] { return FServer.Current() == 0; }, 3000));
    EXPECT_FALSE(FServer.Order().contains("/waiting.png"));
}

TEST_F(PictureDownloader, TheCallersValidatorSeesTheCompleteFileAndMayRefuseIt)
{
    TzqPictureDownloader d;
    QByteArray seen;
    d.SetValidator([&seen](const QString& path) {
        seen = testutil::ReadFile(path);
        return false;
    });
    TRecord r;
    Record(d, r);
    ASSERT_TRUE(d.Start({{FServer.Url("/a.png"), Target(u"a.png"_s)}}));
    ASSERT_TRUE(WaitFinished(r));
    EXPECT_EQ(seen, Png);
    EXPECT_EQ(r.Results[0], zqDlNotPicture);
    EXPECT_TRUE(Files().isEmpty());

    // An empty run finishes too, from the event loop.
    TRecord empty;
    Record(d, empty);
    ASSERT_TRUE(d.Start({}));
    EXPECT_EQ(empty.Finished, 0);
    ASSERT_TRUE(WaitFinished(empty));
}
