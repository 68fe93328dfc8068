// Folder search benchmark: a generated store of 20,000 CP949 notes in 1,000 folders (about
// 100 MB), searched from its root by our search, by "LC_ALL=C grep -rFil" and by
// "rg -F -i -l", each warm, best of several runs. Checks that our hits are grep's over the
// ".htm" files plus the notes found by name.
//   bench_search [--store DIR] [--word WORD] [--reps N]
#include "platform/cp949.h"
#include "store/foldersearch.h"
#include "store/pagepath.h"
#include "store/util.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FolderCount = 1000;
constexpr int NotesPerFolder = 20;

const QStringList KoreanWords = {
    u"회의"_s,   u"계획"_s, u"일정"_s, u"보고서"_s, u"프로젝트"_s, u"똠방각하"_s, u"뷁"_s,
    u"데이터"_s, u"노트"_s, u"검색"_s, u"문서"_s,   u"자료"_s,     u"정리"_s,     u"오늘"_s,
    u"내일"_s,   u"갂갃"_s, u"읽기"_s, u"쓰기"_s,   u"사진"_s,     u"첨부"_s,     u"폴더"_s,
    u"메모"_s,   u"학교"_s, u"회사"_s, u"가족"_s,   u"여행"_s,     u"음식"_s,     u"날씨"_s};
const QStringList LatinWords = {u"plan"_s,    u"Meeting"_s, u"NOTES"_s,  u"design"_s,
                                u"review"_s,  u"Budget"_s,  u"server"_s, u"release"_s,
                                u"Summary"_s, u"draft"_s,   u"todo"_s,   u"Archive"_s};

QByteArray Cp(const QString& s)
{
    return cp949::FromUnicode(s);
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

// One note of about 5 KB: HTML head, paragraphs of Korean and Latin words, some font tags.
QByteArray NoteBytes(QRandomGenerator& rnd, const QList<QByteArray>& korean,
                     const QList<QByteArray>& latin, const QByteArray& planted)
{
    QByteArray html = "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                      "charset=euc-kr\">\r\n</HEAD>\r\n<BODY>\r\n";
    const int target = 3000 + static_cast<int>(rnd.bounded(4000));
    const int plantAt = planted.isEmpty() ? -1 : static_cast<int>(rnd.bounded(target));
    bool plantedDone = false;
    while (html.size() < target) {
        html += rnd.bounded(4) == 0 ? "<P><FONT face=돋움 size=2>" : "<P>";
        const int words = 8 + static_cast<int>(rnd.bounded(20));
        for (int w = 0; w < words; ++w) {
            html += rnd.bounded(3) == 0 ? latin[rnd.bounded(latin.size())]
                                        : korean[rnd.bounded(korean.size())];
            html += ' ';
        }
        if (!plantedDone && plantAt >= 0 && html.size() >= plantAt) {
            html += planted + ' ';
            plantedDone = true;
        }
        html += "</P>\r\n";
    }
    if (!plantedDone && !planted.isEmpty())
        html += planted + "\r\n";
    html += "</BODY></HTML>\r\n";
    return html;
}

void Generate(const QString& store, const QString& word)
{
    std::printf("generating %d notes in %d folders below %s ...\n", FolderCount * NotesPerFolder,
                FolderCount, qPrintable(store));
    QRandomGenerator rnd(20240601);
    QList<QByteArray> korean, latin;
    for (const QString& w : KoreanWords)
        korean.append(Cp(w));
    for (const QString& w : LatinWords)
        latin.append(Cp(w));
    const QByteArray lower = Cp(word.toLower()), upper = Cp(word.toUpper());
    QByteArray mixed = lower;
    if (!mixed.isEmpty())
        mixed[0] = upper[0];
    qint64 bytes = 0;
    for (int f = 0; f < FolderCount; ++f) {
        // Ten top folders of a hundred folders each, some with a dot in the name.
        const QString dir = store + u"/%1 %2/%3%4"_s.arg(KoreanWords[f % 10])
                                        .arg(f % 10)
                                        .arg(f % 7 == 0 ? u"v1."_s : u"폴더 "_s)
                                        .arg(f);
        QDir().mkpath(dir);
        Write(dir + u'/' + FolderNoteName, NoteBytes(rnd, korean, latin, {}));
        for (int n = 0; n < NotesPerFolder; ++n) {
            const int id = f * NotesPerFolder + n;
            QByteArray planted;
            const int r = static_cast<int>(rnd.bounded(100));
            if (r < 1)
                planted = lower;
            else if (r < 2)
                planted = upper;
            else if (r < 3)
                planted = "<B>" + mixed + "</B>";
            QString name = u"%1 %2"_s.arg(KoreanWords[id % KoreanWords.size()]).arg(id);
            if (id % 333 == 0)
                name += u" "_s + word;
            const QByteArray note = NoteBytes(rnd, korean, latin, planted);
            Write(dir + u'/' + name + u".htm"_s, note);
            bytes += note.size();
            if (id % 50 == 0) {
                // A file folder with an attachment page and a picture.
                const QString files = dir + u"/__"_s + QString(name).replace(u' ', u'_');
                QDir().mkpath(files);
                Write(files + u"/page.htm"_s, NoteBytes(rnd, korean, latin, lower));
                Write(files + u"/pic.png"_s, QByteArray(2000, '\x89'));
            }
            if (id % 97 == 0)
                Write(dir + u"/Old "_s + word + u".HTM"_s, note); // never searched
        }
    }
    Write(store + u"/.complete"_s, "1");
    std::printf("generated %.1f MB of notes\n", double(bytes) / 1e6);
}

// Runs a command repeatedly; the best time in ms and the file paths it printed.
double RunTool(const QString& program, const QStringList& args, int reps, QSet<QString>& hits,
               const QProcessEnvironment& env)
{
    double best = 1e18;
    for (int i = 0; i < reps; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        p.waitForFinished(-1);
        const double ms = t.nsecsElapsed() / 1e6;
        best = std::min(best, ms);
        hits.clear();
        for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                hits.insert(QDir::cleanPath(QFile::decodeName(line)));
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString store = QDir::tempPath() + u"/zq-searchbench"_s;
    QString word = u"zebra"_s;
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--store"_s)
            store = args[++i];
        else if (args[i] == u"--word"_s)
            word = args[++i];
        else if (args[i] == u"--reps"_s)
            reps = std::max(1, args[++i].toInt());
    }
    store = QDir::cleanPath(QDir(store).absolutePath());
    if (!QFile::exists(store + u"/.complete"_s)) {
        QDir(store).removeRecursively();
        Generate(store, word);
    }

    // Ours, warm: the first run fills the page cache for everybody.
    const QString text = FoldSearchText(word);
    TSearchOutcome outcome;
    double ours = 1e18;
    for (int i = 0; i < reps + 1; ++i) {
        TFolderSearch search(text, store);
        QElapsedTimer t;
        t.start();
        outcome = search.Run();
        if (i > 0)
            ours = std::min(ours, t.nsecsElapsed() / 1e6);
    }
    QSet<QString> ourHits;
    for (const TSearchHit& hit : outcome.Hits)
        ourHits.insert(hit.Path);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C"_s);
    QSet<QString> grepHits, rgHits;
    const double grep = RunTool(u"grep"_s, {u"-rFil"_s, u"--include=*.htm"_s, u"--"_s, word, store},
                                reps, grepHits, env);
    double rg = -1;
    const QString rgPath = QStandardPaths::findExecutable(u"rg"_s);
    if (!rgPath.isEmpty())
        rg = RunTool(rgPath, {u"-F"_s, u"-i"_s, u"-l"_s, u"-g"_s, u"*.htm"_s, u"--"_s, word, store},
                     reps, rgHits, env);

    // grep finds content; we find names too, and never list the root's own folder note.
    QSet<QString> expected = grepHits;
    for (const QString& file : CollectNoteFiles(store)) {
        const QString name = ExtractFileName(file);
        if (!name.startsWith(u"__"_s) && FoldSearchText(name).contains(text))
            expected.insert(file);
    }
    expected.remove(store + u'/' + FolderNoteName);

    std::printf("\nstore %s: %d note files, word \"%s\", best of %d warm runs\n\n",
                qPrintable(store), outcome.Files, qPrintable(word), reps);
    std::printf("| search | ms | hits |\n|---|---:|---:|\n");
    std::printf("| ours (TFolderSearch, names and content) | %.1f | %lld |\n", ours,
                static_cast<long long>(ourHits.size()));
    std::printf("| LC_ALL=C grep -rFil --include=*.htm | %.1f | %lld |\n", grep,
                static_cast<long long>(grepHits.size()));
    if (rg >= 0)
        std::printf("| rg -F -i -l -g *.htm | %.1f | %lld |\n", rg,
                    static_cast<long long>(rgHits.size()));
    else
        std::printf("| rg -F -i -l -g *.htm | not installed | |\n");
    if (rg > 0)
        std::printf("\nours / rg = %.2f\n", ours / rg);
    const bool same = ourHits == expected;
    std::printf("our hits %s grep's content hits plus the name hits (%lld)\n",
                same ? "equal" : "DIFFER from", static_cast<long long>(expected.size()));
    if (!same) {
        int shown = 0;
        for (const QString& p : expected - ourHits)
            if (shown++ < 10)
                std::printf("  missing: %s\n", qPrintable(p));
        for (const QString& p : ourHits - expected)
            if (shown++ < 20)
                std::printf("  extra:   %s\n", qPrintable(p));
    }
    return same ? 0 : 1;
}
