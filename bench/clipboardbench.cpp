// Paste rewrite benchmark: RewriteClipboardHtml on generated web fragments of 0.5, 1 and 2 MB
// with 500 tags each, against a plain copy of the same bytes in the same run (the UTF-8 bytes
// decoded into a fresh string, then one scan counting the "<"). Both sides start from the
// fragment's bytes, as a paste does. Best and median of several runs; the ratio of our time
// to the copy's, and our time per MB, which stays flat when the rewrite is linear.
//
//   bench_clipboard [--reps N]
//
// A last line runs 2 MB with 20,000 tags, and the publisher's page (advertisement passes on).
// Nothing is written to disk; nothing fails on a time.
#include "editor/clipboardhtml.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Source = u"https://news.example/section/2024/article.html?id=7"_s;

// A fragment of about `bytes` UTF-8 bytes holding `tags` tags: pictures, anchors and a few
// others, with relative, rooted, scheme-relative and absolute addresses, separated by Korean
// and Latin text.
QByteArray Fragment(qsizetype bytes, int tags)
{
    const QByteArray filler =
        QString(u"웹 페이지에서 복사한 문단입니다. The quick brown fox; "_s).toUtf8();
    QByteArray out;
    out.reserve(bytes + 4096);
    const qsizetype gap = std::max<qsizetype>(1, bytes / tags);
    for (int t = 0; t < tags; ++t) {
        switch (t % 6) {
        case 0:
            out += "<img src=\"img/photo" + QByteArray::number(t % 40) +
                   ".jpg\" alt=\"사진\" width=\"640\" height=\"480\">";
            break;
        case 1:
            out += "<IMG SRC='../shared/logo.png' BORDER=0 ALIGN=left>";
            break;
        case 2:
            out +=
                "<a href=\"../other/page" + QByteArray::number(t) + ".html?x=1&amp;y=2\">link</a>";
            break;
        case 3:
            out += "<a class=\"ext\" href=\"https://elsewhere.example/p\">ext</a>";
            break;
        case 4:
            out += "<img src=\"//cdn.example/pic.php?id=" + QByteArray::number(t) + "\">";
            break;
        default:
            out += "<p style=\"margin:0\"><span>";
            break;
        }
        const qsizetype target = std::min<qsizetype>(bytes, (t + 1) * gap);
        while (out.size() + filler.size() <= target)
            out += filler;
    }
    return out;
}

struct TTimes {
    double best = 0;
    double median = 0;
};

template <typename F> TTimes Time(int reps, F&& run)
{
    std::vector<double> ms;
    for (int r = 0; r < reps; ++r) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

volatile qsizetype Sink = 0;

void Report(const char* label, const QByteArray& bytes, int reps, const QString& source)
{
    const TTimes copy = Time(reps, [&] {
        const QString text = QString::fromUtf8(bytes);
        Sink = Sink + text.count(u'<');
    });
    qsizetype pictures = 0;
    const TTimes ours = Time(reps, [&] {
        const TzqClipboardRewrite r =
            RewriteClipboardHtml(QString::fromUtf8(bytes), source, u"__Article"_s, {});
        pictures = r.pictures.size();
        Sink = Sink + r.fragment.size();
    });
    const double mb = double(bytes.size()) / 1e6;
    std::printf("%-26s %6.2f MB  pictures %4lld  copy %7.2f ms  rewrite %7.2f ms (best %7.2f)  "
                "ratio %5.1fx  %6.2f ms/MB\n",
                label, mb, qlonglong(pictures), copy.median, ours.median, ours.best,
                ours.median / std::max(copy.median, 1e-6), ours.median / mb);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int reps = 9;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--reps" && i + 1 < args.size())
            reps = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_clipboard [--reps N]\n");
            return 2;
        }
    }
    std::printf("RewriteClipboardHtml against a plain copy and scan of the same bytes, median of "
                "%d runs\n",
                reps);
    for (const qsizetype size : {qsizetype(500'000), qsizetype(1'000'000), qsizetype(2'000'000)})
        Report("500 tags", Fragment(size, 500), reps, Source);
    Report("20000 tags", Fragment(2'000'000, 20'000), reps, Source);
    Report("500 tags, publisher page", Fragment(2'000'000, 500), reps,
           PublisherBlogAddress.toString() + u"post/1"_s);
    return 0;
}
