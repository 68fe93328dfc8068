// Folder search benchmark: our search against grep and rg, for a Latin word and a Korean word in
// the same run, each warm, best of several runs; every baseline is given with the ratio of our
// time to its time in that run.
//
//   bench_search [--store DIR] [--latin WORD] [--korean WORD] [--reps N]
//
// Without --store a store of 20,000 CP949 notes in 1,000 folders (about 100 MB, both words
// planted in some notes and names) is generated in a fresh temporary directory, which is
// removed at the end; nothing else is ever removed. A store given with --store is only read.
//
// The baselines run under LC_ALL=C over the ".htm" files:
//   Latin word:  grep -rFil WORD; rg -F -i -l WORD.
//   Korean word: grep -rFl -f FILE, FILE holding the word's CP949 bytes (arguments reach a
//                program as UTF-8); rg -l '(?-u)\xHH...', the CP949 bytes as escapes, which rg
//                searches as the same literal (it takes no pattern that is not UTF-8); and
//                rg -E euc-kr -F -l WORD with the word in UTF-8, which decodes every note.
// The Korean word's baselines do not fold letter case: the second byte of a Korean character
// may be a letter, which grep -i would fold and our search never does. So the Korean word may
// hold no Latin letter, and the Latin word nothing but ASCII.
//
// Checks, for each word, that our hits are grep's over the ".htm" files plus the notes found by
// name (the root's own folder note aside); the exit status is 1 when they differ, 2 when the
// run cannot be made. In a store holding UTF-8 or UTF-16 notes our search finds the words there
// too, where grep does not look for them: those notes are listed as extra.
#include "platform/cp949.h"
#include "store/foldersearch.h"
#include "store/pagepath.h"
#include "store/util.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>

#include <cstdio>
#include <memory>

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

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "bench_search: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// One note of about 5 KB: HTML head, paragraphs of Korean and Latin words, some font tags, and
// the planted texts at random places.
QByteArray NoteBytes(QRandomGenerator& rnd, const QList<QByteArray>& korean,
                     const QList<QByteArray>& latin, QList<QByteArray> planted)
{
    QByteArray html = "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                      "charset=euc-kr\">\r\n</HEAD>\r\n<BODY>\r\n";
    const int target = 3000 + static_cast<int>(rnd.bounded(4000));
    while (html.size() < target) {
        html += rnd.bounded(4) == 0 ? "<P><FONT face=돋움 size=2>" : "<P>";
        const int words = 8 + static_cast<int>(rnd.bounded(20));
        for (int w = 0; w < words; ++w) {
            html += rnd.bounded(3) == 0 ? latin[rnd.bounded(latin.size())]
                                        : korean[rnd.bounded(korean.size())];
            html += ' ';
        }
        if (!planted.isEmpty() && rnd.bounded(8) == 0)
            html += planted.takeFirst() + ' ';
        html += "</P>\r\n";
    }
    for (const QByteArray& p : planted)
        html += p + "\r\n";
    html += "</BODY></HTML>\r\n";
    return html;
}

// The planted forms of a word in one note: none mostly, else as it is, in capitals or with a
// capital first inside a tag, as r (0 to 99) falls.
QList<QByteArray> Planted(int r, const QString& word)
{
    const QByteArray lower = Cp(word.toLower());
    if (r == 0)
        return {lower};
    if (r == 1)
        return {Cp(word.toUpper())};
    if (r == 2)
        return {"<B>" + Cp(word.left(1).toUpper()) + Cp(word.mid(1).toLower()) + "</B>"};
    return {};
}

bool Generate(const QString& store, const QString& latinWord, const QString& koreanWord)
{
    std::printf("generating %d notes in %d folders below %s ...\n", FolderCount * NotesPerFolder,
                FolderCount, qPrintable(store));
    QRandomGenerator rnd(20240601);
    QList<QByteArray> korean, latin;
    for (const QString& w : KoreanWords)
        korean.append(Cp(w));
    for (const QString& w : LatinWords)
        latin.append(Cp(w));
    qint64 bytes = 0;
    for (int f = 0; f < FolderCount; ++f) {
        // Ten top folders of a hundred folders each, some with a dot in the name.
        const QString dir = store + u"/%1 %2/%3%4"_s.arg(KoreanWords[f % 10])
                                        .arg(f % 10)
                                        .arg(f % 7 == 0 ? u"v1."_s : u"폴더 "_s)
                                        .arg(f);
        if (!QDir().mkpath(dir) ||
            !Write(dir + u'/' + FolderNoteName, NoteBytes(rnd, korean, latin, {})))
            return false;
        for (int n = 0; n < NotesPerFolder; ++n) {
            const int id = f * NotesPerFolder + n;
            const QList<QByteArray> planted =
                Planted(static_cast<int>(rnd.bounded(100)), latinWord) +
                Planted(static_cast<int>(rnd.bounded(100)), koreanWord);
            QString name = u"%1 %2"_s.arg(KoreanWords[id % KoreanWords.size()]).arg(id);
            if (id % 333 == 0)
                name += u" "_s + latinWord;
            else if (id % 333 == 166)
                name += u" "_s + koreanWord;
            const QByteArray note = NoteBytes(rnd, korean, latin, planted);
            if (!Write(dir + u'/' + name + u".htm"_s, note))
                return false;
            bytes += note.size();
            if (id % 50 == 0) {
                // A file folder with an attachment page and a picture.
                const QString files = dir + u"/__"_s + QString(name).replace(u' ', u'_');
                if (!QDir().mkpath(files) ||
                    !Write(
                        files + u"/page.htm"_s,
                        NoteBytes(rnd, korean, latin, {Cp(latinWord.toLower()), Cp(koreanWord)})) ||
                    !Write(files + u"/pic.png"_s, QByteArray(2000, '\x89')))
                    return false;
            }
            // Never searched: the extension is not ".htm" exactly.
            if (id % 97 == 0 && !Write(dir + u"/Old "_s + latinWord + u".HTM"_s, note))
                return false;
            if (id % 97 == 1 && !Write(dir + u"/Old "_s + koreanWord + u".HTM"_s, note))
                return false;
        }
    }
    std::printf("generated %.1f MB of notes\n", double(bytes) / 1e6);
    return true;
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
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() > 1)
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                         p.readAllStandardError().constData());
        hits.clear();
        for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                hits.insert(QDir::cleanPath(QFile::decodeName(line)));
    }
    return best;
}

struct TBaseline {
    QString Label;
    double Ms = -1; // not run
    qsizetype Hits = 0;
};

struct TWordResult {
    QString Word;
    double Ours = 0;
    qsizetype OurHits = 0;
    QList<TBaseline> Baselines;
    bool Same = false;
};

// Our search for one word, best of reps warm runs after one that warms the cache.
double RunOurs(const QString& text, const QString& store, int reps, TSearchOutcome& outcome)
{
    double best = 1e18;
    for (int i = 0; i < reps + 1; ++i) {
        TFolderSearch search(text, store);
        QElapsedTimer t;
        t.start();
        outcome = search.Run();
        if (i > 0)
            best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

TWordResult MeasureWord(const QString& word, bool korean, const QString& store,
                        const QStringList& noteFiles, int reps)
{
    TWordResult r;
    r.Word = word;
    const QString text = FoldSearchText(word);
    TSearchOutcome outcome;
    r.Ours = RunOurs(text, store, reps, outcome);
    QSet<QString> ourHits;
    for (const TSearchHit& hit : outcome.Hits)
        ourHits.insert(hit.Path);
    r.OurHits = ourHits.size();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C"_s);
    const QString rg = QStandardPaths::findExecutable(u"rg"_s);
    QSet<QString> grepHits, hits;
    if (korean) {
        // Arguments are handed over as UTF-8 text, so the CP949 bytes reach grep through a
        // pattern file, and rg (which takes no pattern that is not UTF-8) as escapes.
        const QByteArray bytes = Cp(word);
        QTemporaryFile pattern;
        if (!pattern.open() || pattern.write(bytes + '\n') != bytes.size() + 1 || !pattern.flush())
            std::fprintf(stderr, "bench_search: cannot write the pattern file\n");
        QString escaped = u"(?-u)"_s;
        for (const char c : bytes)
            escaped += QString::asprintf("\\x%02X", static_cast<unsigned char>(c));
        TBaseline grep{u"LC_ALL=C grep -rFl -f (CP949 bytes)"_s};
        grep.Ms = RunTool(u"grep"_s,
                          {u"-rFl"_s, u"--include=*.htm"_s, u"-f"_s, pattern.fileName(), store},
                          reps, grepHits, env);
        grep.Hits = grepHits.size();
        r.Baselines.append(grep);
        TBaseline rgBytes{u"rg -l (?-u)\\x.. (CP949 bytes)"_s};
        TBaseline rgDecoding{u"rg -E euc-kr -F -l (UTF-8 word)"_s};
        if (!rg.isEmpty()) {
            rgBytes.Ms = RunTool(rg, {u"-l"_s, u"-g"_s, u"*.htm"_s, u"--"_s, escaped, store}, reps,
                                 hits, env);
            rgBytes.Hits = hits.size();
            rgDecoding.Ms = RunTool(
                rg,
                {u"-E"_s, u"euc-kr"_s, u"-F"_s, u"-l"_s, u"-g"_s, u"*.htm"_s, u"--"_s, word, store},
                reps, hits, env);
            rgDecoding.Hits = hits.size();
        }
        r.Baselines.append(rgBytes);
        r.Baselines.append(rgDecoding);
    } else {
        TBaseline grep{u"LC_ALL=C grep -rFil"_s};
        grep.Ms = RunTool(u"grep"_s, {u"-rFil"_s, u"--include=*.htm"_s, u"--"_s, word, store}, reps,
                          grepHits, env);
        grep.Hits = grepHits.size();
        r.Baselines.append(grep);
        TBaseline rgPlain{u"rg -F -i -l"_s};
        if (!rg.isEmpty()) {
            rgPlain.Ms =
                RunTool(rg, {u"-F"_s, u"-i"_s, u"-l"_s, u"-g"_s, u"*.htm"_s, u"--"_s, word, store},
                        reps, hits, env);
            rgPlain.Hits = hits.size();
        }
        r.Baselines.append(rgPlain);
    }

    // grep finds content; we find names too, and never list the root's own folder note.
    QSet<QString> expected = grepHits;
    for (const QString& file : noteFiles) {
        const QString name = ExtractFileName(file);
        if (!name.startsWith(u"__"_s) && FoldSearchText(name).contains(text))
            expected.insert(file);
    }
    expected.remove(store + u'/' + FolderNoteName);
    r.Same = ourHits == expected;
    std::printf("\"%s\": our hits %s grep's content hits plus the name hits (%lld)\n",
                qPrintable(word), r.Same ? "equal" : "DIFFER from",
                static_cast<long long>(expected.size()));
    if (!r.Same) {
        int shown = 0;
        for (const QString& p : expected - ourHits)
            if (shown++ < 10)
                std::printf("  missing: %s\n", qPrintable(p));
        for (const QString& p : ourHits - expected)
            if (shown++ < 20)
                std::printf("  extra:   %s\n", qPrintable(p));
    }
    return r;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: bench_search [--store DIR] [--latin WORD] [--korean WORD] [--reps N]\n");
    return 2;
}

bool HasLatinLetter(const QString& s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString store;
    QString latinWord = u"zebra"_s;
    QString koreanWord = u"얼룩말"_s;
    int reps = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size())
            return Usage();
        if (args[i] == u"--store"_s)
            store = args[++i];
        else if (args[i] == u"--latin"_s)
            latinWord = args[++i];
        else if (args[i] == u"--korean"_s)
            koreanWord = args[++i];
        else if (args[i] == u"--reps"_s)
            reps = std::max(1, args[++i].toInt());
        else
            return Usage();
    }
    bool lossless = false;
    cp949::FromUnicode(koreanWord, &lossless);
    if (FoldSearchText(koreanWord) != koreanWord || koreanWord.isEmpty() || !lossless ||
        HasLatinLetter(koreanWord)) {
        std::fprintf(stderr, "bench_search: the Korean word must be CP949 text without Latin "
                             "letters or outer spaces\n");
        return 2;
    }
    if (FoldSearchText(latinWord).isEmpty() ||
        FoldSearchText(latinWord).size() != latinWord.size() ||
        std::any_of(latinWord.begin(), latinWord.end(),
                    [](QChar c) { return c.unicode() > 0x7f; })) {
        std::fprintf(stderr, "bench_search: the Latin word must be ASCII without outer spaces\n");
        return 2;
    }

    // Only a directory made here and now is ever removed: the generated store's.
    std::unique_ptr<QTemporaryDir> generated;
    if (store.isEmpty()) {
        generated = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/bench_search-XXXXXX"_s);
        if (!generated->isValid()) {
            std::fprintf(stderr, "bench_search: cannot make a temporary directory: %s\n",
                         qPrintable(generated->errorString()));
            return 2;
        }
        store = generated->path() + u"/store"_s;
        if (!Generate(store, latinWord, koreanWord))
            return 2;
    } else {
        store = QDir::cleanPath(QDir(store).absolutePath());
        const QFileInfo info(store);
        if (!info.isDir() || !info.isReadable()) {
            std::fprintf(stderr, "bench_search: %s is not a readable directory\n",
                         qPrintable(store));
            return 2;
        }
    }

    QElapsedTimer walkTimer;
    walkTimer.start();
    const QStringList noteFiles = CollectNoteFiles(store);
    double walk = walkTimer.nsecsElapsed() / 1e6;
    for (int i = 0; i < reps; ++i) {
        walkTimer.restart();
        CollectNoteFiles(store);
        walk = std::min(walk, walkTimer.nsecsElapsed() / 1e6);
    }
    if (noteFiles.isEmpty()) {
        std::fprintf(stderr, "bench_search: %s holds no note files to search\n", qPrintable(store));
        return 2;
    }

    std::printf("\n");
    const QList<TWordResult> results{MeasureWord(latinWord, false, store, noteFiles, reps),
                                     MeasureWord(koreanWord, true, store, noteFiles, reps)};

    std::printf("\nstore %s: %lld note files, best of %d warm runs\n", qPrintable(store),
                static_cast<long long>(noteFiles.size()), reps);
    std::printf("walk alone (CollectNoteFiles, in the tree's order): %.1f ms\n\n", walk);
    std::printf("| word | search | ms | hits | ours / this |\n|---|---|---:|---:|---:|\n");
    bool same = true;
    for (const TWordResult& r : results) {
        same = same && r.Same;
        std::printf("| %s | ours (TFolderSearch, names and content) | %.1f | %lld | |\n",
                    qPrintable(r.Word), r.Ours, static_cast<long long>(r.OurHits));
        for (const TBaseline& b : r.Baselines) {
            if (b.Ms < 0)
                std::printf("| %s | %s | rg not installed | | |\n", qPrintable(r.Word),
                            qPrintable(b.Label));
            else
                std::printf("| %s | %s | %.1f | %lld | %.2f |\n", qPrintable(r.Word),
                            qPrintable(b.Label), b.Ms, static_cast<long long>(b.Hits),
                            r.Ours / b.Ms);
        }
    }
    return same ? 0 : 1;
}
