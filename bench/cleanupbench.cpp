// Folder clean-up benchmark: the scan of one folder of 1,000 CP949 notes of about 30 KB against
// 10,000 files in 1,000 file folders, against grep -rFo -f NAMES over the same notes in the same
// run (LC_ALL=C, NAMES holding the 10,000 references as the notes write them). Both warm, best
// of several runs; the ratio of our time to grep's is reported.
//
//   bench_cleanup [--reps N]
//
// The folder is generated in a fresh temporary directory, which is removed at the end; nothing
// else is ever removed. Every note refers to half of its own file folder's files, in varying
// spellings (backslash, slash, percent escapes, character references, absolute addresses,
// other letter case); the check is that exactly the other half is listed. Exit status 1 when
// the check fails, 2 when the run cannot be made.
#include "platform/cp949.h"
#include "tools/garbagescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int NoteCount = 1000;
constexpr int FilesPerFolder = 10;
constexpr int NoteBytes = 30 * 1024;

const QStringList Words = {u"회의"_s,     u"계획"_s,   u"일정"_s,   u"보고서"_s, u"프로젝트"_s,
                           u"똠방각하"_s, u"데이터"_s, u"노트"_s,   u"사진"_s,   u"plan"_s,
                           u"Meeting"_s,  u"design"_s, u"review"_s, u"server"_s, u"draft"_s};

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "bench_cleanup: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QString FolderName(int note)
{
    return u"__note_%1"_s.arg(note, 4, 10, QChar(u'0'));
}

QString FileName(int file)
{
    return u"사진 %1.jpg"_s.arg(file, 2, 10, QChar(u'0'));
}

// The reference to a file in one of the spellings notes use.
QString Reference(const QString& folder, const QString& file, int form, const QString& root)
{
    switch (form % 5) {
    case 0:
        return folder + u'\\' + file;
    case 1:
        return folder + u'/' + QString(file).replace(u' ', u"%20"_s);
    case 2:
        return folder.toUpper() + u'\\' + file.toUpper();
    case 3:
        return u"zqnote://"_s + root + u'/' + folder + u'/' + file;
    default: {
        QString refs;
        for (QChar c : file)
            refs += c.unicode() < 128 ? QString(c) : u"&#%1;"_s.arg(c.unicode());
        return folder + u'\\' + refs;
    }
    }
}

QByteArray MakeNote(QRandomGenerator& rnd, int note, const QString& root)
{
    QByteArray bytes =
        cp949::FromUnicode(u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                           u"charset=euc-kr\"><title>노트 %1</title></head><body>\r\n"_s.arg(note));
    const auto img = [&](int file) {
        return cp949::FromUnicode(u"<img src=\"%1\">\r\n"_s.arg(
            Reference(FolderName(note), FileName(file), note + file, root)));
    };
    int file = 0;
    while (bytes.size() < NoteBytes) {
        QString paragraph = u"<p>"_s;
        for (int w = 0; w < 40; ++w)
            paragraph += Words[rnd.bounded(int(Words.size()))] + u' ';
        paragraph += u"</p>\r\n"_s;
        bytes += cp949::FromUnicode(paragraph);
        // The even files of this note's folder are referred to, spread over the note.
        if (file < FilesPerFolder && rnd.bounded(4) == 0) {
            bytes += img(file);
            file += 2;
        }
    }
    for (; file < FilesPerFolder; file += 2)
        bytes += img(file);
    bytes += "</body></html>\r\n";
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--reps"_s && i + 1 < args.size())
            reps = std::max(1, args[++i].toInt());
    }
    if (QStandardPaths::findExecutable(u"grep"_s).isEmpty()) {
        std::fprintf(stderr, "bench_cleanup: grep not found\n");
        return 2;
    }

    QTemporaryDir temp;
    if (!temp.isValid())
        return 2;
    const QString root = temp.filePath(u"Folder"_s);
    QDir().mkpath(root);
    QRandomGenerator rnd(4711);
    QStringList notes;
    QByteArray names;
    qint64 noteBytes = 0;
    QSet<QString> expected;
    for (int note = 0; note < NoteCount; ++note) {
        const QString folder = FolderName(note);
        QDir().mkpath(root + u'/' + folder);
        for (int file = 0; file < FilesPerFolder; ++file) {
            if (!Write(root + u'/' + folder + u'/' + FileName(file), "jpeg"))
                return 2;
            names += cp949::FromUnicode(QString(folder + u'\\' + FileName(file))) + '\n';
            if (file % 2)
                expected.insert(folder + u'\\' + FileName(file));
        }
        const QString path = root + u"/노트 %1.htm"_s.arg(note, 4, 10, QChar(u'0'));
        const QByteArray bytes = MakeNote(rnd, note, root);
        noteBytes += bytes.size();
        if (!Write(path, bytes))
            return 2;
        notes.append(path);
    }
    const QString namesFile = temp.filePath(u"names"_s);
    if (!Write(namesFile, names))
        return 2;
    std::printf("folder: %d notes, %.1f MB, %d candidate files in %d file folders\n", NoteCount,
                noteBytes / 1e6, NoteCount * FilesPerFolder, NoteCount);

    // Ours.
    qint64 best = -1;
    int listed = 0;
    bool exact = true;
    for (int r = 0; r < reps + 1; ++r) {
        TGarbageScan scan(u"bench"_s);
        QElapsedTimer t;
        t.start();
        scan.ScanFolder(root);
        const qint64 ns = t.nsecsElapsed();
        if (r > 0)
            best = best < 0 ? ns : std::min(best, ns);
        listed = int(scan.Candidates().size());
        const QSet<QString> got(scan.Candidates().begin(), scan.Candidates().end());
        exact = got == expected;
        if (!exact && r == 0) {
            int shown = 0;
            for (const QString& c : got) {
                if (!expected.contains(c) && shown++ < 3)
                    std::fprintf(stderr, "listed but referred to: %s\n", qPrintable(c));
            }
        }
    }

    // Where the time goes: listing the file folders, and reading the notes.
    {
        QElapsedTimer t;
        t.start();
        qsizetype files = 0;
        for (int note = 0; note < NoteCount; ++note)
            files += CollectFolderFiles(root, FolderName(note)).size();
        const qint64 listing = t.nsecsElapsed();
        t.restart();
        qsizetype bytes = 0;
        for (const QString& note : std::as_const(notes)) {
            QFile f(note);
            if (f.open(QIODevice::ReadOnly))
                bytes += f.readAll().size();
        }
        std::printf("of which: listing %lld files %.1f ms, reading %.1f MB of notes %.1f ms\n",
                    static_cast<long long>(files), listing / 1e6, bytes / 1e6,
                    t.nsecsElapsed() / 1e6);
    }

    // grep, warm, over the same notes.
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C"_s);
    grep.setProcessEnvironment(env);
    grep.setStandardOutputFile(QProcess::nullDevice());
    // Once with the output counted, to show grep finds what the notes refer to.
    grep.setStandardOutputFile(QString());
    grep.start(u"grep"_s, QStringList{u"-rFo"_s, u"-f"_s, namesFile} + notes);
    grep.waitForFinished(-1);
    const qsizetype grepMatches = grep.readAllStandardOutput().count('\n');
    grep.setStandardOutputFile(QProcess::nullDevice());
    qint64 grepBest = -1;
    for (int r = 0; r < reps + 1; ++r) {
        QElapsedTimer t;
        t.start();
        grep.start(u"grep"_s, QStringList{u"-rFo"_s, u"-f"_s, namesFile} + notes);
        grep.waitForFinished(-1);
        const qint64 ns = t.nsecsElapsed();
        if (r > 0)
            grepBest = grepBest < 0 ? ns : std::min(grepBest, ns);
    }

    std::printf("clean-up scan: %8.1f ms  (%d listed, %s)\n", best / 1e6, listed,
                exact ? "exactly the unreferenced half" : "WRONG LIST");
    std::printf("grep -rFo -f:  %8.1f ms  (%lld matches of the names as written)\n", grepBest / 1e6,
                static_cast<long long>(grepMatches));
    std::printf("ratio ours/grep: %.2f\n", double(best) / double(grepBest));
    return exact ? 0 : 1;
}
