// Neutral addresses in web archives: the mapping of note-scheme addresses, and the rewrite of a
// whole archive read back by Python's own MIME parser.
#include "readmhtml.h"
#include "testutil.h"
#include "tools/mhtmllocations.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <ostream>

using namespace Qt::Literals::StringLiterals;

// Readable failures.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

TEST(MhtmlLocations, AddressesMoveBelowTheNeutralBaseKeepingTheirPlace)
{
    TMhtmlLocations inside(u"/d/n/Work/Trip plan.htm"_s);
    inside.Collect("zqnote:/d/n/Work/Trip%20plan.htm");
    EXPECT_EQ(inside.Neutral("zqnote:/d/n/Work/Trip%20plan.htm"),
              "http://zqquillet.invalid/Trip%20plan.htm");
    // The engine's spelling below the note's folder stays; backslashes are folder levels.
    EXPECT_EQ(inside.Neutral("zqnote:///d/n/Work/__Trip_plan/my%20pic%20[1].png?v=1#top"),
              "http://zqquillet.invalid/__Trip_plan/my%20pic%20[1].png?v=1#top");
    EXPECT_EQ(inside.Neutral("zqnote:/d/n/Work/__Trip_plan%5Csub\\p.png"),
              "http://zqquillet.invalid/__Trip_plan/sub/p.png");
    // Other addresses stay as they are.
    EXPECT_EQ(inside.Neutral("http://example.com/d/n/Work/a.png"),
              "http://example.com/d/n/Work/a.png");
    EXPECT_EQ(inside.Neutral("cid:frame-1@mhtml.blink"), "cid:frame-1@mhtml.blink");

    // A part outside the note's folder deepens the base so relative references still meet.
    TMhtmlLocations outside(u"/d/n/Work/Trip.htm"_s);
    outside.Collect("zqnote:/d/n/Work/Trip.htm");
    outside.Collect("zqnote:/d/n/Other/__x/a.png");
    EXPECT_EQ(outside.Neutral("zqnote:/d/n/Work/Trip.htm"), "http://zqquillet.invalid/_/Trip.htm");
    EXPECT_EQ(outside.Neutral("zqnote:/d/n/Other/__x/a.png"),
              "http://zqquillet.invalid/Other/__x/a.png");

    // Folder names are compared decoded: Hangul, and "&" as the HTML escapes it.
    TMhtmlLocations hangul(u"/d/노트 & 자료/Trip.htm"_s);
    EXPECT_EQ(hangul.Neutral("zqnote:/d/%EB%85%B8%ED%8A%B8%20&amp;%20%EC%9E%90%EB%A3%8C/__Trip/"
                             "p.png"),
              "http://zqquillet.invalid/__Trip/p.png");
    EXPECT_EQ(hangul.Neutral("zqnote:/d/%EB%85%B8%ED%8A%B8%20&%20%EC%9E%90%EB%A3%8C/Trip.htm"),
              "http://zqquillet.invalid/Trip.htm");
}

namespace {

QByteArray Rewrite(const QByteArray& raw, const QString& note, QString* error)
{
    QBuffer in;
    in.setData(raw);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    return RewriteMhtmlLocations(in, out, note, error) ? out.data() : QByteArray("<failed>");
}

} // namespace

TEST(MhtmlLocations, ArchiveRewriteKeepsTheStructureAndEveryOtherByte)
{
    // A picture whose bytes happen to spell an address: pictures are never touched.
    const QByteArray picture = QByteArray("\x89PNG zqnote:/d/n/Work/x ") + QByteArray(300, '\x01');
    const QByteArray pictureBase64 = [&] {
        QByteArray lines;
        const QByteArray flat = picture.toBase64();
        for (qsizetype at = 0; at < flat.size(); at += 76)
            lines += flat.mid(at, 76) + "\r\n";
        return lines;
    }();
    const QByteArray longName(1100, 'a');
    const QByteArray raw =
        "From: <Saved by Blink>\r\n"
        "Snapshot-Content-Location: zqnote:/d/n/Work/Trip%20plan.htm\r\n"
        "Subject: =?utf-8?Q?=EC=97=AC?=\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/related;\r\n"
        "\ttype=\"text/html\";\r\n"
        "\tboundary=\"----B--x----\"\r\n"
        "\r\n"
        "\r\n"
        "------B--x----\r\n"
        "Content-Type: text/html\r\n"
        "Content-ID: <frame-1@mhtml.blink>\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "Content-Location: zqnote:/d/n/Work/Trip%20plan.htm\r\n"
        "\r\n"
        "<p a=3D\"1\">=ED=95=9C</p><img src=3D\"zqnote:/d/n/Work/__Trip_plan/my%20pic%20=\r\n"
        "[1].png\"><a href=3D\"zqnote:/d/n/Other.htm\">o</a>\r\n"
        "<p>trailing space =20\r\n"
        "------B--x----\r\n"
        "Content-Type: text/css\r\n"
        "Content-Transfer-Encoding: 7bit\r\n"
        "Content-Location: zqnote:/d/n/Work/__Trip_plan/s.css\r\n"
        "\r\n"
        "b { background: url(\"zqnote:/d/n/Work/__Trip_plan%5Cb.png\"); }\r\n"
        "------B--x----\r\n"
        "Content-Type: image/png\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Location: zqnote:/d/n/Work/__Trip_plan/\r\n"
        " my%20pic%20[1].png\r\n"
        "\r\n" +
        pictureBase64 +
        "\r\n"
        "------B--x----\r\n"
        "Content-Type: image/png\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Location: zqnote:/d/n/Work/__Trip_plan/" +
        longName +
        ".png\r\n"
        "\r\n"
        "AAAA\r\n"
        "------B--x----\r\n"
        "Content-Type: image/png\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Location: http://example.com/w.png\r\n"
        "\r\n"
        "AAAA\r\n"
        "------B--x------\r\n";

    QString error;
    const QByteArray out = Rewrite(raw, u"/d/n/Work/Trip plan.htm"_s, &error);
    ASSERT_NE(out, "<failed>") << error.toStdString();
    EXPECT_FALSE(out.contains("zqnote:/d/n/Work/T")) << out.toStdString();
    EXPECT_FALSE(out.contains("zqnote:/d/n/O"));
    // The picture's part, byte for byte; the folded address now on one line.
    EXPECT_TRUE(out.contains(QByteArray("Content-Location: http://zqquillet.invalid/_/__Trip_plan/"
                                        "my%20pic%20[1].png\r\n\r\n" +
                                        pictureBase64 + "\r\n------B--x----\r\n")));
    // No line too long for a mail; the overlong address folded.
    for (const QByteArray& line : out.split('\n'))
        EXPECT_LE(line.size(), 999);
    const qsizetype longAt =
        out.indexOf("Content-Location: http://zqquillet.invalid/_/__Trip_plan/aaa");
    ASSERT_GE(longAt, 0);
    QByteArray folded = out.mid(longAt, out.indexOf("\r\n\r\n", longAt) - longAt);
    folded.replace("\r\n ", "");
    EXPECT_EQ(folded,
              "Content-Location: http://zqquillet.invalid/_/__Trip_plan/" + longName + ".png");

    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.mht"_s);
    testutil::WriteFile(path, out);
    const QJsonObject read = ReadArchive(path);
    EXPECT_TRUE(read[u"defects"_s].toArray().isEmpty());
    const QJsonArray top = read[u"top"_s].toArray();
    EXPECT_EQ(top[1].toArray()[1].toString(), u"http://zqquillet.invalid/_/Trip%20plan.htm"_s);
    const QJsonArray parts = read[u"parts"_s].toArray();
    ASSERT_EQ(parts.size(), 5);
    EXPECT_EQ(parts[0][u"location"_s].toString(), u"http://zqquillet.invalid/_/Trip%20plan.htm"_s);
    EXPECT_EQ(parts[0][u"text"_s].toString().toStdString(),
              (u"<p a=\"1\">한</p><img src=\"http://zqquillet.invalid/_/__Trip_plan/my%20pic%20[1]"
               u".png\"><a href=\"http://zqquillet.invalid/Other.htm\">o</a>\n"
               u"<p>trailing space  "_s)
                  .toStdString());
    EXPECT_EQ(parts[1][u"text"_s].toString().trimmed(),
              u"b { background: url(\"http://zqquillet.invalid/_/__Trip_plan/b.png\"); }"_s);
    EXPECT_EQ(QByteArray::fromBase64(parts[2][u"bytes"_s].toString().toLatin1()), picture);
    EXPECT_EQ(parts[4][u"location"_s].toString(), u"http://example.com/w.png"_s);
    // Quoted-printable lines stay within 76 characters.
    const qsizetype htmlStart = out.indexOf("<p a=3D");
    for (const QByteArray& line :
         out.mid(htmlStart, out.indexOf("------B", htmlStart) - htmlStart).split('\n'))
        EXPECT_LE(line.size(), 77) << line.toStdString();

    // An archive without changes is copied as it was.
    const QByteArray plain = "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
                             "Content-Type: text/html\r\nContent-Transfer-Encoding: "
                             "quoted-printable\r\n\r\n<p>x=3D</p>\r\n--b--\r\nend\r\n";
    EXPECT_EQ(Rewrite(plain, u"/d/n/Trip.htm"_s, &error), plain);
}

TEST(MhtmlLocations, WhatIsNoCompleteArchiveIsRefused)
{
    QString error;
    EXPECT_EQ(Rewrite("<html>not an archive</html>\r\n", u"/d/Trip.htm"_s, &error), "<failed>");
    EXPECT_EQ(error, u"웹 보관 파일의 모양이 알맞지 않습니다."_s);
    EXPECT_EQ(Rewrite("Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
                      "Content-Type: text/html\r\n\r\n<p>cut off",
                      u"/d/Trip.htm"_s, &error),
              "<failed>");
    EXPECT_EQ(error, u"웹 보관 파일이 끝까지 쓰이지 않았습니다."_s);
}
