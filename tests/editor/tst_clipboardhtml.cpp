// A web fragment pasted into a note: the header form with byte offsets, the page it came
// from, and the rewrite that plans its pictures and makes its addresses absolute.
#include "editor/clipboardhtml.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Page = u"https://host.example/dir/p.html?q=1#top"_s;
const QString Folder = u"__My_plan"_s;

TzqClipboardRewrite Rewrite(const QString& fragment, const QSet<QString>& present = {},
                            const QString& page = Page, const QString& folder = Folder)
{
    return RewriteClipboardHtml(fragment, page, folder, present);
}

QStringList Names(const TzqClipboardRewrite& r)
{
    QStringList names;
    for (const TzqPictureFetch& p : r.pictures)
        names += p.name;
    return names;
}

// The name reserved for one picture at the given address, relative to the page.
QString NameFor(const QString& src, const QSet<QString>& present = {})
{
    const TzqClipboardRewrite r = Rewrite(u"<img src=\""_s + src + u"\">"_s, present);
    return r.pictures.size() == 1 ? r.pictures.front().name : u"<none>"_s;
}

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

} // namespace

TEST(ClipboardRewrite, AnchorsBecomeAbsoluteAgainstThePageAndOthersStay)
{
    const QString in =
        u"<p><a href=\"../x.htm\">up</a> <a href=\"/y\">root</a> <a href=\"z\">here</a> "
        "<a href=\"//other.example/w\">scheme</a> <a href=\"http://abs.example/a\">abs</a> "
        "<a href=\"mailto:me@x.example\">mail</a> <a href=\"javascript:void(0)\">js</a> "
        "<a onclick=\"javascript:go()\" href=\"rel\">js2</a> "
        "<A class='c' HREF='a b?x=1&amp;y=2' target=_blank>q</A> <a href=rel.htm>bare</a> "
        "<a name=\"n\">no href</a> <abbr title=\"t\">abbr</abbr> <a href=\"#sec\">frag</a> "
        "<link rel=\"stylesheet\" href=\"s.css\"><iframe src=\'../f.html\'></iframe></p>"_s;
    const QString out =
        u"<p><A href=\"https://host.example/x.htm\">up</a> <A "
        u"href=\"https://host.example/y\">root</a> "
        "<A href=\"https://host.example/dir/z\">here</a> "
        "<A href=\"https://other.example/w\">scheme</a> <a href=\"http://abs.example/a\">abs</a> "
        "<a href=\"mailto:me@x.example\">mail</a> <a href=\"javascript:void(0)\">js</a> "
        "<a onclick=\"javascript:go()\" href=\"rel\">js2</a> "
        "<A href=\"https://host.example/dir/a%20b?x=1&amp;y=2\" class='c' target=_blank>q</A> "
        "<A href=\"https://host.example/dir/rel.htm\">bare</a> "
        "<a name=\"n\">no href</a> <abbr title=\"t\">abbr</abbr> <a href=\"#sec\">frag</a> "
        "<link rel=\"stylesheet\" href=\"https://host.example/dir/s.css\">"
        "<iframe src=\'https://host.example/f.html\'></iframe></p>"_s;
    const TzqClipboardRewrite r = Rewrite(in);
    EXPECT_TRUE(r.rewritten);
    EXPECT_EQ(r.fragment, out);
    EXPECT_TRUE(r.pictures.isEmpty());
}

TEST(ClipboardRewrite, PicturesArePlannedInDocumentOrderAndReferredToInTheFolder)
{
    const QString in =
        u"<img src=\"a.png\" alt=\"A\" width=\"120\" height=80 srcset=\"a2.png 2x\">"
        "<IMG SRC='../img/a.png' BORDER=1 ALIGN=left>"
        "<img src=\"a.png\"><img src=\"/a.png\" border=\"0\"/>"
        "<img src=\"//cdn.example/p/b.gif?v=2\">"
        "<img src=\"data:image/png;base64,iVBOR=\"><img src=\"ftp://f.example/c.png\">"
        "<img src=\"file:///tmp/d.png\"><img alt=\"none\"><img src=\"http://e.example/\">"
        "<img src=\"pic.php?id=3&amp;s=1\">"_s;
    const QString out =
        u"<IMG src=\"__My_plan\\a.png\" width=\"120\" height=80 border=0>"
        "<IMG src=\"__My_plan\\a01.png\" BORDER=1 ALIGN=left>"
        "<IMG src=\"__My_plan\\a.png\" border=0><IMG src=\"__My_plan\\a02.png\" border=\"0\">"
        "<IMG src=\"__My_plan\\b.gif\" border=0>"
        "<img src=\"data:image/png;base64,iVBOR=\"><img src=\"ftp://f.example/c.png\">"
        "<img src=\"file:///tmp/d.png\"><img alt=\"none\"><img src=\"http://e.example/\">"
        "<IMG src=\"__My_plan\\pic\" border=0>"_s;
    const TzqClipboardRewrite r = Rewrite(in);
    EXPECT_EQ(r.fragment, out);
    ASSERT_EQ(r.pictures.size(), 5);
    EXPECT_EQ(Names(r),
              (QStringList{u"a.png"_s, u"a01.png"_s, u"a02.png"_s, u"b.gif"_s, u"pic"_s}));
    EXPECT_EQ(r.pictures[0].address, u"https://host.example/dir/a.png"_s);
    EXPECT_EQ(r.pictures[1].address, u"https://host.example/img/a.png"_s);
    EXPECT_EQ(r.pictures[2].address, u"https://host.example/a.png"_s);
    EXPECT_EQ(r.pictures[3].address, u"https://cdn.example/p/b.gif?v=2"_s);
    EXPECT_EQ(r.pictures[4].address, u"https://host.example/dir/pic.php?id=3&s=1"_s);
    EXPECT_FALSE(r.pictures[0].typeByContent);
    EXPECT_TRUE(r.pictures[4].typeByContent);
    EXPECT_FALSE(r.pictures[0].copy);
    EXPECT_EQ(PictureFileName(r.pictures[4], u".png"), u"pic.png"_s);
    EXPECT_EQ(PictureFileName(r.pictures[0], u".gif"), u"a.png"_s);

    // The same fragment gives the same names every time; names already in the folder are
    // passed over whatever their letter case.
    EXPECT_EQ(Names(Rewrite(in)), Names(r));
    EXPECT_EQ(Names(Rewrite(in, {u"A.PNG"_s, u"a01.png"_s, u"pic.jpg"_s})),
              (QStringList{u"a02.png"_s, u"a03.png"_s, u"a04.png"_s, u"b.gif"_s, u"pic01"_s}));
    // A name taken by content is free for every suffix it may get.
    EXPECT_EQ(NameFor(u"x.png"_s, {u"x"_s}), u"x.png"_s);
    EXPECT_EQ(NameFor(u"x"_s, {u"x.bmp"_s}), u"x01"_s);
    EXPECT_EQ(NameFor(u"shot.png"_s, {u"shot.png"_s, u"shot01.png"_s}), u"shot02.png"_s);
    // The hundredth copy of a name gets three digits.
    QString many;
    for (int i = 0; i < 101; ++i)
        many += u"<img src=\"/d%1/shot.png\">"_s.arg(i);
    const QStringList manyNames = Names(Rewrite(many));
    ASSERT_EQ(manyNames.size(), 101);
    EXPECT_EQ(manyNames[1], u"shot01.png"_s);
    EXPECT_EQ(manyNames[99], u"shot99.png"_s);
    EXPECT_EQ(manyNames[100], u"shot100.png"_s);
}

TEST(ClipboardRewrite, PicturesOfALocalPageAreCopiesAndOthersLocalPicturesStay)
{
    const TzqClipboardRewrite r = RewriteClipboardHtml(
        u"<img src=\"pics/c.png\"><img src=\"file:///etc/d.png\"><img src=\"http://w.example/e.jpg\">"_s,
        u"file:///home/u/page.html"_s, Folder, {});
    ASSERT_EQ(r.pictures.size(), 3);
    EXPECT_TRUE(r.pictures[0].copy);
    EXPECT_EQ(r.pictures[0].address, u"file:///home/u/pics/c.png"_s);
    EXPECT_TRUE(r.pictures[1].copy);
    EXPECT_FALSE(r.pictures[2].copy);
}

TEST(ClipboardRewrite, AnUnusableSourceLeavesTheFragmentAsItCame)
{
    const QString in = u"<img src=\"a.png\"><a href=\"x\">x</a>"_s;
    for (const QString& page : {QString(), u"not an address"_s, u"/dir/page.html"_s}) {
        const TzqClipboardRewrite r = RewriteClipboardHtml(in, page, Folder, {});
        EXPECT_FALSE(r.rewritten) << page.toStdString();
        EXPECT_EQ(r.fragment, in);
        EXPECT_TRUE(r.pictures.isEmpty());
    }
    // A host without a path is a page all the same.
    EXPECT_EQ(RewriteClipboardHtml(in, u"https://h.example"_s, Folder, {}).pictures.front().address,
              u"https://h.example/a.png"_s);
}

TEST(ClipboardRewrite, NamesFromAwkwardAddressesStayInsideTheFolder)
{
    EXPECT_EQ(NameFor(u"a/b/../c.png?x=1#y"_s), u"c.png"_s);
    EXPECT_EQ(NameFor(u".hidden.png"_s), u"_hidden.png"_s);
    EXPECT_EQ(NameFor(u"...png"_s), u"__.png"_s);
    EXPECT_EQ(NameFor(u"x/%2E%2E%2F%2E%2E%2Fescape.png"_s), u"escape.png"_s);
    EXPECT_EQ(NameFor(u"x/..%5C..%5Cwin.png"_s), u"____win.png"_s);
    EXPECT_EQ(NameFor(u"%F0%9F%98%80smile.png"_s), u"_smile.png"_s);
    EXPECT_EQ(NameFor(u"\U0001F600raw.PNG"_s), u"_raw.png"_s);
    EXPECT_EQ(NameFor(u"%EC%82%AC%EC%A7%84.jpg"_s), u"사진.jpg"_s);
    EXPECT_EQ(NameFor(u"똠방.gif"_s), u"똠방.gif"_s);
    EXPECT_EQ(NameFor(u"a%20b.png"_s), u"a b.png"_s);
    EXPECT_EQ(NameFor(u"50%25%23off%3F.png"_s), u"50__off.png"_s);
    EXPECT_EQ(NameFor(u"x%22%3Cy%3E%7C.png"_s), u"xy.png"_s);
    EXPECT_EQ(NameFor(u"tab%09name.png"_s), u"tab_name.png"_s);
    EXPECT_EQ(NameFor(u"%5B%5D.png"_s), u"zqzq.png"_s);
    EXPECT_EQ(NameFor(u"photo.jpeg"_s), u"photo"_s);
    EXPECT_EQ(NameFor(u"noext"_s), u"noext"_s);
    EXPECT_EQ(NameFor(u"trail.%20"_s), u"trail"_s);
    const QString longName = NameFor(QString(300, u'x') + u".png"_s);
    EXPECT_EQ(longName, QString(120, u'x') + u".png"_s);
    const QString longKorean = NameFor(QString(300, u'한') + u".png"_s);
    EXPECT_LE(longKorean.toUtf8().size(), 124);
    // Addresses that name no file are made absolute and not fetched.
    const TzqClipboardRewrite up = Rewrite(u"<img src=\"..\">"_s);
    EXPECT_TRUE(up.pictures.isEmpty());
    EXPECT_EQ(up.fragment, u"<img src=\"https://host.example/\">"_s);
}

TEST(ClipboardRewrite, NamesAndAddressesAreEscapedInTheMarkup)
{
    const TzqClipboardRewrite r = Rewrite(
        u"<img src=\"R&amp;D's.png\"><img src=\"http://w.example/q?a=1&amp;b=&quot;2&quot;\">"_s,
        {}, Page, u"__R&D"_s);
    ASSERT_EQ(r.pictures.size(), 2);
    EXPECT_EQ(r.pictures[0].name, u"R&D's.png"_s);
    EXPECT_EQ(r.fragment, u"<IMG src=\"__R&amp;D\\R&amp;D's.png\" border=0>"
                          "<IMG src=\"__R&amp;D\\q\" border=0>"_s);
    // A failed picture points at its web address again, escaped.
    EXPECT_EQ(SettleClipboardHtml(r, {u"R&D's.png"_s, QString()}),
              u"<IMG src=\"__R&amp;D\\R&amp;D's.png\" border=0>"
              "<IMG src=\"http://w.example/q?a=1&amp;b=%222%22\" border=0>"_s);
    EXPECT_EQ(EscapeHtml(u"<a href=\"x\">&</a>'"),
              u"&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;'"_s);
}

TEST(ClipboardRewrite, SettlingPutsTheSavedNamesOrTheAddressesInPlace)
{
    const TzqClipboardRewrite r =
        Rewrite(u"x<img src=\"a.png\">y<img src=\"p?id=1\">z<img src=\"a.png\" width=1>"_s);
    ASSERT_EQ(r.pictures.size(), 2);
    ASSERT_EQ(r.references.size(), 3);
    EXPECT_EQ(SettleClipboardHtml(r, {u"a.png"_s, PictureFileName(r.pictures[1], u".gif")}),
              u"x<IMG src=\"__My_plan\\a.png\" border=0>y<IMG src=\"__My_plan\\p.gif\" border=0>"
              "z<IMG src=\"__My_plan\\a.png\" width=1 border=0>"_s);
    EXPECT_EQ(SettleClipboardHtml(r, {QString(), QString()}),
              u"x<IMG src=\"https://host.example/dir/a.png\" border=0>y"
              "<IMG src=\"https://host.example/dir/p?id=1\" border=0>"
              "z<IMG src=\"https://host.example/dir/a.png\" width=1 border=0>"_s);
    EXPECT_EQ(SettleClipboardHtml(r, {}), SettleClipboardHtml(r, {QString(), QString()}));
}

TEST(ClipboardRewrite, ScriptsCommentsAndUnclosedTagsAreNotRewritten)
{
    const QString in =
        u"<script>var s = '<img src=\"a.png\">';</script><!-- <img src=\"b.png\"> -->"
        "<STYLE>a{}</STYLE><img src=\"c.png\"><a href=\"x\" title=\"unclosed>"_s;
    const TzqClipboardRewrite r = Rewrite(in);
    EXPECT_EQ(Names(r), QStringList{u"c.png"_s});
    EXPECT_EQ(
        r.fragment,
        u"<script>var s = '<img src=\"a.png\">';</script><!-- <img src=\"b.png\"> -->"
        "<STYLE>a{}</STYLE><IMG src=\"__My_plan\\c.png\" border=0><a href=\"x\" title=\"unclosed>"_s);
    // A quoted ">" does not end a tag.
    EXPECT_EQ(Rewrite(u"<img alt=\"a>b\" src=\"d.png\">"_s).fragment,
              u"<IMG src=\"__My_plan\\d.png\" border=0>"_s);
}

TEST(ClipboardRewrite, AdvertisementsGoOnlyOnThePublishersPagesAndBootstrappersEverywhere)
{
    const QString in =
        u"<p>keep</p><div id=\"ruvomekmobiletop\"><div class=\"in\"><img src=\"ad.png\"></div>"
        "ad</div><p style=\"box-sizing: border-box; color: red\">text</p>"
        "<ins class=\"adsbygoogle\" data-x=\"1\"></ins><img src=\"t.gif\" width=0 height=0>"
        "<span>x CallBack_bootstrapperSrc y</span><span>stay</span>"_s;
    const TzqClipboardRewrite site =
        RewriteClipboardHtml(in, PublisherBlogAddress.toString() + u"post/1"_s, Folder, {});
    EXPECT_EQ(site.fragment, u"<p>keep</p><p >text</p><IMG src=\"__My_plan\\t.gif\" border=0>"
                             "<span>stay</span>"_s);
    EXPECT_EQ(Names(site), QStringList{u"t.gif"_s});
    EXPECT_TRUE(IsAdvertisingSource(u"HTTPS://WWW.ZQQUILLET.COM/a"));

    const TzqClipboardRewrite other = Rewrite(in);
    EXPECT_EQ(Names(other), (QStringList{u"ad.png"_s, u"t.gif"_s}));
    EXPECT_FALSE(other.fragment.contains(u"CallBack_bootstrapperSrc"_s));
    EXPECT_TRUE(other.fragment.contains(u"ruvomekmobiletop"_s));
    // A block with no closing tag stays.
    EXPECT_EQ(RewriteClipboardHtml(u"<div id=\"ruvomekconbottom\"><p>x</p>"_s,
                                   PublisherSiteAddress.toString(), Folder, {})
                  .fragment,
              u"<div id=\"ruvomekconbottom\"><p>x</p>"_s);
}

TEST(ClipboardHeader, BuiltHeaderIsFixedLength)
{
    const QByteArray h = BuildHtmlHeader(10);
    EXPECT_EQ(h, QByteArray("Version:1.0\rStartHTML:000000144\rEndHTML:000000154\r"
                            "StartFragment:000000144\rEndFragment:000000154\r"
                            "StartSelection:000000144\rEndSelection:000000154\r"));
    EXPECT_EQ(h.size(), 144);
    const std::optional<TzqClipboardHtml> back = ParseClipboardHtml(QByteArray(h + "0123456789"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fragment, QByteArray("0123456789"));
    EXPECT_TRUE(back->sourceAddress.isEmpty());
}

TEST(ClipboardHeader, BothVersionsAreRead)
{
    // The form a browser writes on Windows: fragment offsets, markers around the fragment.
    const QByteArray html =
        "<html><body>\r\n<!--StartFragment--><img src=\"a.png\"><!--EndFragment-->"
        "\r\n</body></html>";
    const auto num = [](qsizetype v) { return QByteArray::number(v).rightJustified(10, '0'); };
    const qsizetype headerSize = 148;
    const QByteArray v09 = QByteArray("Version:0.9\r\nStartHTML:") + num(headerSize) +
                           "\r\nEndHTML:" + num(headerSize + html.size()) +
                           "\r\nStartFragment:" + num(headerSize + html.indexOf("<img")) +
                           "\r\nEndFragment:" + num(headerSize + html.indexOf("<!--End")) +
                           "\r\nSourceURL:https://host.example/dir/p.html\r\n";
    ASSERT_EQ(v09.size(), headerSize);
    const std::optional<TzqClipboardHtml> a =
        ParseClipboardHtml(QByteArray(v09 + html + '\0' + "junk"));
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->version09);
    EXPECT_EQ(a->fragment, QByteArray("<img src=\"a.png\">"));
    EXPECT_EQ(a->sourceAddress, u"https://host.example/dir/p.html"_s);

    // Version 1.0 takes the selection; without one, the fragment.
    const QByteArray v10 =
        "Version:1.0\rStartHTML:70\rEndHTML:75\rStartSelection:71\rEndSelection:73\r"
        "abcde";
    ASSERT_EQ(v10.indexOf("abcde"), 70);
    const std::optional<TzqClipboardHtml> b = ParseClipboardHtml(v10);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->version09);
    EXPECT_EQ(b->fragment, QByteArray("bc"));
    const QByteArray v10f = "Version:1.0\nStartFragment:59\nEndFragment:61\nSourceURL: x \nabcde";
    ASSERT_EQ(v10f.indexOf("abcde"), 58);
    EXPECT_EQ(ParseClipboardHtml(v10f)->fragment, QByteArray("bc"));
    EXPECT_EQ(ParseClipboardHtml(v10f)->sourceAddress, u"x"_s);

    // Wrapped browser HTML reads back with its source, markers or not.
    const QByteArray wrapped = WrapClipboardHtml(html, u"https://host.example/dir/p.html"_s);
    const std::optional<TzqClipboardHtml> c = ParseClipboardHtml(wrapped);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->fragment, QByteArray("<img src=\"a.png\">"));
    EXPECT_EQ(c->sourceAddress, u"https://host.example/dir/p.html"_s);
    const std::optional<TzqClipboardHtml> d = ParseClipboardHtml(
        WrapClipboardHtml("<b>한</b>", u"https://h.example/\r\nEndSelection:0"_s));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->fragment, QByteArray("<b>한</b>"));
    EXPECT_EQ(d->sourceAddress, u"https://h.example/EndSelection:0"_s);
    EXPECT_FALSE(
        ParseClipboardHtml(WrapClipboardHtml("x", QString()))->sourceAddress.contains(u'x'));
}

TEST(ClipboardHeader, BadNumbersRewriteNothing)
{
    const auto parse = [](const QByteArray& start, const QByteArray& end) {
        return ParseClipboardHtml(QByteArray("Version:0.9\r\nStartFragment:" + start +
                                             "\r\nEndFragment:" + end + "\r\n<b>x</b>"));
    };
    ASSERT_TRUE(parse("47", "55"));
    EXPECT_EQ(parse("47", "55")->fragment, QByteArray("<b>x</b>"));
    EXPECT_FALSE(parse("55", "47"));                         // start after end
    EXPECT_FALSE(parse("47", "56"));                         // past the text
    EXPECT_FALSE(parse("-1", "55"));                         // negative
    EXPECT_FALSE(parse("00000000000000000047", "55"));       // 20 digits
    EXPECT_FALSE(parse("99999999999999999999999999", "55")); // overflow
    EXPECT_FALSE(parse("3x", "45"));
    EXPECT_FALSE(parse("", "45"));
    EXPECT_FALSE(ParseClipboardHtml("Version:0.9\r\nStartFragment:37\r\n<b>x</b>"));
    EXPECT_FALSE(ParseClipboardHtml("<b>no header</b>"));
    EXPECT_FALSE(ParseClipboardHtml("Version:1.0\r\n<b>no numbers</b>"));
    EXPECT_FALSE(ParseClipboardHtml(""));
}

TEST(ClipboardSource, BrowserFormatsGiveTheFirstLine)
{
    EXPECT_EQ(
        SourceAddressFromMime("https://a.example/p.html", Utf16Le(u"https://b.example/\nTitle"_s)),
        u"https://a.example/p.html"_s);
    EXPECT_EQ(SourceAddressFromMime({}, Utf16Le(u"https://b.example/한.html\nTitle"_s)),
              u"https://b.example/한.html"_s);
    EXPECT_EQ(SourceAddressFromMime({}, Utf16Le(u"\uFEFFhttps://b.example/x\r\nT"_s)),
              u"https://b.example/x"_s);
    EXPECT_EQ(SourceAddressFromMime(" \n", QByteArray(Utf16Le(u"https://b.example/x"_s) +
                                                      QByteArray(2, '\0') + "\x41")),
              u"https://b.example/x"_s);
    EXPECT_EQ(SourceAddressFromMime({}, {}), QString());
}
