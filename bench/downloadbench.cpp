// Picture download benchmark: the 30 pictures of a pasted fragment from a local server that
// answers every request after 100 ms, downloaded one at a time, with the downloader's default
// number at once, and with all of them allowed at once. Each total is set against the slowest
// single download (taken from the one-at-a-time run) and against the one-at-a-time total.
//
//   bench_download [--reps N] [--pictures N] [--latency MS]
//
// The pictures go to a temporary directory, removed at the end. Nothing fails on a time.

#include "editor/picturedownloader.h"
#include "localhttpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRunTimes {
    double TotalMs = 0;
    double SlowestMs = 0; // longest gap between two results; with one at a time, one picture
    int Saved = 0;
};

TRunTimes RunOnce(TLocalHttpServer& server, int pictures, int parallel, const QString& folder)
{
    QDir(folder).removeRecursively();
    QList<TzqPictureDownloader::TJob> jobs;
    for (int i = 0; i < pictures; ++i)
        jobs.append(
            {server.Url("/p" + QByteArray::number(i) + ".png"), folder + u"/p%1.png"_s.arg(i)});
    TzqPictureDownloader::TLimits limits;
    limits.Parallel = parallel;
    TzqPictureDownloader d(limits);
    TRunTimes times;
    QElapsedTimer clock;
    double last = 0;
    QEventLoop loop;
    QObject::connect(&d, &TzqPictureDownloader::PictureDone, &d,
                     [&](int, int result, const QString&) {
                         const double now = clock.nsecsElapsed() / 1e6;
                         times.SlowestMs = std::max(times.SlowestMs, now - last);
                         last = now;
                         times.Saved += result == zqDlOk;
                     });
    QObject::connect(&d, &TzqPictureDownloader::Finished, &loop, [&] {
        times.TotalMs = clock.nsecsElapsed() / 1e6;
        loop.quit();
    });
    clock.start();
    d.Start(jobs);
    loop.exec();
    return times;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int reps = 3;
    int pictures = 30;
    int latency = 100;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reps") && i + 1 < argc)
            reps = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--pictures") && i + 1 < argc)
            pictures = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--latency") && i + 1 < argc)
            latency = std::max(0, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--reps N] [--pictures N] [--latency MS]\n", argv[0]);
            return 2;
        }
    }

    TLocalHttpServer server;
    auto* random = QRandomGenerator::global();
    qint64 bytes = 0;
    for (int i = 0; i < pictures; ++i) {
        // A PNG signature and 20 to 200 KB of noise: what matters here is the waiting.
        QByteArray body("\x89PNG\r\n\x1A\n");
        body.resize(20 * 1024 + random->bounded(180 * 1024));
        for (qsizetype k = 8; k < body.size(); ++k)
            body[k] = char(random->bounded(256));
        bytes += body.size();
        TLocalHttpServer::TAnswer answer{200, "Content-Type: image/png\r\n", body};
        answer.DelayMs = latency;
        server.Answer("/p" + QByteArray::number(i) + ".png", answer);
    }
    QTemporaryDir temp;
    if (!temp.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString folder = temp.path() + u"/__bench"_s;

    struct TMode {
        const char* Name;
        int Parallel;
    };
    const int defaultParallel = TzqPictureDownloader::TLimits{}.Parallel;
    const std::vector<TMode> modes = {
        {"one at a time", 1}, {"default", defaultParallel}, {"all at once", pictures}};
    std::printf("%d pictures, %.1f MB, %d ms latency each, %d runs per mode (medians)\n\n",
                pictures, bytes / 1048576.0, latency, reps);

    std::vector<std::vector<double>> totals(modes.size());
    std::vector<double> slowestSingle;
    for (int rep = 0; rep < reps; ++rep) {
        for (size_t m = 0; m < modes.size(); ++m) {
            const TRunTimes t = RunOnce(server, pictures, modes[m].Parallel, folder);
            if (t.Saved != pictures)
                std::fprintf(stderr, "%s: only %d of %d pictures saved\n", modes[m].Name, t.Saved,
                             pictures);
            totals[m].push_back(t.TotalMs);
            if (m == 0)
                slowestSingle.push_back(t.SlowestMs);
        }
    }
    const double single = Median(slowestSingle);
    const double sequential = Median(totals[0]);
    std::printf("slowest single download: %8.1f ms\n\n", single);
    std::printf("%-16s %9s %10s %14s %14s\n", "mode", "at once", "total ms", "x slowest one",
                "x one at time");
    for (size_t m = 0; m < modes.size(); ++m) {
        const double total = Median(totals[m]);
        std::printf("%-16s %9d %10.1f %14.2f %14.3f\n", modes[m].Name, modes[m].Parallel, total,
                    total / single, total / sequential);
    }
    std::printf("\ngoal: under 2x the slowest single download (one at a time is about %dx)\n",
                pictures);
    std::printf(
        "Each of the downloader's three network managers opens at most 6 connections to one "
        "host, whatever the number allowed.\n");
    return 0;
}
