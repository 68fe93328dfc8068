// Fuzzes the relative page paths: parsing never yields an empty component, a component that
// starts with a blank or one that holds a separator, and a page below a root always comes
// back as the part after the root, cut before "___", in backslash form.
#include "platform/util.h"
#include "store/pagepath.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Text from UTF-8, or from raw UTF-16 so that lone surrogates and odd characters come along.
QString Text(FuzzedDataProvider& fdp, bool utf16)
{
    const std::string s = fdp.ConsumeRandomLengthString(512);
    if (!utf16)
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size() / 2));
}

void CheckQuery(const QString& path)
{
    const TzqPathQuery q = ParseRelativePagePath(path);
    for (const QString& c : q.Components) {
        Check(!c.isEmpty(), "empty component");
        Check(!c.startsWith(u' '), "component starts with a blank");
        Check(!c.contains(u'\\') && !c.contains(u'/'), "separator inside a component");
    }
    // A folder's page is named by its folder; "x\\___zq_quillet__folder.htm.htm" is a note.
    if (!q.IsNote && !q.Components.isEmpty())
        Check(q.Components.back() != QStringView(FolderNoteName), "folder note left as a name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const bool utf16 = fdp.ConsumeBool();
    const QString root = Text(fdp, utf16);
    const QString rel = Text(fdp, utf16);

    CheckQuery(rel);
    CheckQuery(root);

    const QString any = RelativePagePath(root, rel);
    Check(!any.contains(u'/'), "slash left in a relative page path");
    Check(!any.contains(u"___"), "folder note part left in a relative page path");
    CheckQuery(any);

    const QString base = StripTrailingSeparator(root);
    if (!base.isEmpty()) {
        QString expected = rel;
        const qsizetype cut = expected.indexOf(u"___");
        if (cut >= 0)
            expected.truncate(cut);
        expected.replace(u'/', u'\\');
        const QString got = RelativePagePath(root, base + u'/' + rel);
        Check(got == expected, "page below its root");
    }
    return 0;
}
