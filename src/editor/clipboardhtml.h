#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A web fragment pasted into a note: the clipboard's header form with byte offsets, the page
// it came from, and the rewrite that makes the fragment independent of that page. The rewrite
// is a plan: it does no I/O. It names the pictures to fetch into the note's file folder and
// refers to them there already; once the fetches are over, SettleClipboardHtml gives the
// markup to insert, with a failed picture pointing at its web address again.

// The publisher's web site and blog, whose pages carry advertisement blocks that a paste
// removes. A source address beginning with either (letter case aside) is such a page.
inline constexpr QStringView PublisherSiteAddress = u"https://www.zqquillet.com/";
inline constexpr QStringView PublisherBlogAddress = u"https://blog.zqquillet.com/";

bool IsAdvertisingSource(QStringView sourceAddress);

// ---- Header form ----------------------------------------------------------------------------

// The 144-byte header the editor writes before a fragment of the given byte length:
// "Version:1.0", then StartHTML, EndHTML, StartFragment, EndFragment, StartSelection and
// EndSelection, nine digits each, every line ending in a lone CR. The fragment follows it
// directly and spans the whole rest.
QByteArray BuildHtmlHeader(qsizetype fragmentLength);

// A browser's HTML (UTF-8) and the address of its page wrapped in the header form, so that
// what the clipboard offers on any system is read the same way. When the HTML marks its
// fragment with <!--StartFragment--> and <!--EndFragment-->, the offsets select what lies
// between; otherwise the whole HTML. No SourceURL line is written for an empty address.
QByteArray WrapClipboardHtml(QByteArrayView html, const QString& sourceAddress);

struct TzqClipboardHtml {
    QByteArray fragment;   // the bytes between the header's start and end offsets (UTF-8)
    QString sourceAddress; // the SourceURL line; empty when the header has none
    bool version09 = false;
};

// The fragment and source address of header-form data (read up to the first zero byte).
// "Version:0.9" selects the fragment offsets first, any other version the selection offsets;
// when the preferred pair is absent the other pair is taken, then StartHTML/EndHTML.
// Nothing is returned for data that does not begin with "Version:", or when a number taken is
// not plain decimal digits (at most 18), runs past the data or has its start after its end.
std::optional<TzqClipboardHtml> ParseClipboardHtml(QByteArrayView data);

// The source page of a browser's clipboard: the UTF-8 bytes of its "chromium/x-source-url"
// format, else the first line of its "text/x-moz-url-priv" format (UTF-16, little endian as
// on Linux). Empty when neither holds an address.
QString SourceAddressFromMime(const QByteArray& chromiumSourceUrl, const QByteArray& mozUrlPriv);

// ---- Rewrite --------------------------------------------------------------------------------

// One picture to bring into the file folder. Pictures with the same address share one fetch.
struct TzqPictureFetch {
    QString address; // absolute, fully encoded: http, https, or file: when `copy`
    QString name;    // the file name reserved in the file folder
    // The picture of a page on this computer (a file: address): copied, not downloaded.
    bool copy = false;
    // The address has no picture suffix: the content decides it, and the file is saved as
    // PictureFileName(fetch, suffix). Every such name is free for each of the four suffixes.
    bool typeByContent = false;
};

// Where a picture's reference stands in the rewritten fragment.
struct TzqPictureReference {
    qsizetype picture = 0; // index into `pictures`
    qsizetype start = 0;
    qsizetype length = 0;
};

struct TzqClipboardRewrite {
    QString fragment;                      // pictures referred to as folder\name, HTML-escaped
    QString fileFolderName;                // as passed in
    QList<TzqPictureFetch> pictures;       // in document order of first use
    QList<TzqPictureReference> references; // in fragment order
    // False when the source address is not usable: the fragment came back as it was.
    bool rewritten = false;
};

// The rewrite of a pasted fragment copied from the page at sourceAddress, for the note whose
// file folder is named fileFolderName ("__My_plan") and already holds presentNames.
//   - Each <img> whose address resolves to http or https (or to file: when the page itself is
//     a local file) becomes <IMG src="folder\name"> followed by its width, height, border
//     (" border=0" when it has none) and align attributes as written.
//   - Relative addresses of <a href> and of every other src and href are made absolute
//     against the source address, as a browser resolves them; an anchor becomes
//     <A href="..."> followed by its other attributes. Addresses with a scheme of their own
//     (data:, mailto:, javascript:, ...) and anchors naming "javascript:" stay as they are.
//   - <span> blocks holding "CallBack_bootstrapperSrc" are removed, and on the publisher's
//     pages its advertisement blocks, before any picture is planned.
// File names come from the address's last path segment, made safe for the folder; a second
// picture of the same name gets "01", then "02", ... before its suffix, in document order.
// Names are compared without regard to letter case, as a shared folder may not tell case apart.
TzqClipboardRewrite RewriteClipboardHtml(QStringView fragment, const QString& sourceAddress,
                                         const QString& fileFolderName,
                                         const QSet<QString>& presentNames);

// The file name a picture is saved under once its content is known; `suffix` (".png") is used
// only when the picture's type is decided by content.
QString PictureFileName(const TzqPictureFetch& picture, QStringView suffix);

// The markup to insert once the fetches are over: savedNames[i] is the file name picture i was
// saved under, or empty when it failed, and then its web address is put back.
QString SettleClipboardHtml(const TzqClipboardRewrite& rewrite, const QStringList& savedNames);

// & < > and " as entities, for text placed in a double-quoted attribute or in content.
QString EscapeHtml(QStringView text);
