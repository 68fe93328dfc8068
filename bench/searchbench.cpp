// Folder search benchmark: our search against grep and rg, for a Latin word and a Korean word in
// the same run, each warm, best of several runs; then the same searches through the search index.
//
//   bench_search [--store DIR] [--notes N] [--latin WORD] [--korean WORD] [--reps N]
//
// Without --store a store of N CP949 notes (20,000 by default, about 6.5 KB each, 50 to a
// folder; both words planted in some notes and names) is generated in a fresh temporary
// directory, which is removed at the end; nothing else is ever removed. A store given with
// --store is only read.
//
// Rows of one table, for each word:
//   ours (first search)   TFolderSearch::Run, names and content, no index.
//   LC_ALL=C grep         Latin: grep -rFil WORD. Korean: grep -rFl -f FILE, FILE holding the
//                         word's CP949 bytes (arguments reach a program as UTF-8).
//   rg (CP949 bytes)      Latin: rg -F -i -l WORD. Korean: rg -l '(?-u)\xHH...', the CP949
//                         bytes as escapes, which rg searches as the same literal.
//   rg -E euc-kr          rg -E euc-kr -F -l WORD (-i for the Latin word), decoding every note.
//   ours (index build)    Once: TSearchIndex::Open in a fresh cache folder until Ready; the
//                         hits column gives the index file's size against the notes' bytes.
//   ours (index)          Sync, Answer and the search of the notes it names, best of the runs.
//   ours (index, no notifications)  the same with an index that compares sizes and times, as
//                         on a network share (the index file built above, opened again).
//   ours (after changes)  Generated store only: 100 notes rewritten behind the index's back,
//                         some gaining the words and some losing them; once the notifications
//                         have arrived, one search through the index, checked against a fresh
//                         full scan.
// The baselines run under LC_ALL=C over the ".htm" files. The Korean word's baselines do not
// fold letter case: the second byte of a Korean character may be a letter, which grep -i would
// fold and our search never does. So the Korean word may hold no Latin letter, and the Latin
// word nothing but ASCII.
//
// Checks, for each word, that our first search's hits are grep's over the ".htm" files plus the
// notes found by name (the root's own folder note aside), and that every other row of ours finds
// the first search's hits in the same order; the exit status is 1 when they differ, 2 when the
// run cannot be made. In a store holding UTF-8 or UTF-16 notes our search finds the words there
// too, where grep does not look for them: those notes are listed as extra.
#include "platform/cp949.h"
#include "platform/util.h"
#include "store/foldersearch.h"
#include "store/indexdb.h"
#include "store/pagepath.h"
#include "store/searchindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int NotesPerFolder = 50;

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

// One note of about 6.5 KB: HTML head, paragraphs of Korean and Latin words, some font tags, and
// the planted texts at random places.
QByteArray NoteBytes(QRandomGenerator& rnd, const QList<QByteArray>& korean,
                     const QList<QByteArray>& latin, QList<QByteArray> planted)
{
    QByteArray html = "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                      "charset=euc-kr\">\r\n</HEAD>\r\n<BODY>\r\n";
    const int target = 4000 + static_cast<int>(rnd.bounded(5000));
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

bool Generate(const QString& store, int noteCount, const QString& latinWord,
              const QString& koreanWord)
{
    const int folderCount = (noteCount + NotesPerFolder - 1) / NotesPerFolder;
    std::printf("generating %d notes in %d folders below %s ...\n", noteCount, folderCount,
                qPrintable(store));
    QRandomGenerator rnd(20240601);
    QList<QByteArray> korean, latin;
    for (const QString& w : KoreanWords)
        korean.append(Cp(w));
    for (const QString& w : LatinWords)
        latin.append(Cp(w));
    qint64 bytes = 0;
    for (int f = 0; f < folderCount; ++f) {
        // Ten top folders of the folders of notes, some with a dot in the name.
        const QString dir = store + u"/%1 %2/%3%4"_s.arg(KoreanWords[f % 10])
                                        .arg(f % 10)
                                        .arg(f % 7 == 0 ? u"v1."_s : u"폴더 "_s)
                                        .arg(f);
        if (!QDir().mkpath(dir) ||
            !Write(dir + u'/' + FolderNoteName, NoteBytes(rnd, korean, latin, {})))
            return false;
        for (int n = 0; n < NotesPerFolder && f * NotesPerFolder + n < noteCount; ++n) {
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

// One row of the table.
struct TRow {
    TRow(QString word, QString label, double ms = -1, QString hits = {}, bool ours = true,
         QString remark = {})
        : Word(std::move(word)), Label(std::move(label)), Ms(ms), Hits(std::move(hits)), Ours(ours),
          Remark(std::move(remark))
    {
    }
    QString Word;
    QString Label;
    double Ms = -1;   // not run
    QString Hits;     // the number of hits, or what the row shows instead
    bool Ours = true; // ours: compared with rg; a baseline: our first search compared with it
    QString Remark;   // shown instead of the time when not run
};

// What every row of one word is measured against.
struct TWord {
    TWord(QString word, QString text, bool korean)
        : Word(std::move(word)), Text(std::move(text)), Korean(korean)
    {
    }
    QString Word;
    QString Text; // as FoldSearchText gives it
    bool Korean = false;
    QStringList FirstHits; // our first search's hit paths, in the tree's order
    double FirstMs = 0;
    double RgMs = -1;
};

class TBench {
public:
    TBench(QString store, int reps) : FStore(std::move(store)), FReps(reps) {}

    // Adds a row of ours: search gives the hit paths in order, timed as the best of the runs
    // after one that warms; its hits must be the first search's (or expected when given).
    double Ours(TWord& w, const QString& label, const std::function<QStringList()>& search,
                int reps = -1, const QStringList* expected = nullptr)
    {
        reps = reps < 0 ? FReps : reps;
        double best = 1e18;
        QStringList hits;
        for (int i = 0; i < (reps > 1 ? reps + 1 : reps); ++i) {
            QElapsedTimer t;
            t.start();
            hits = search();
            if (i > 0 || reps == 1)
                best = std::min(best, t.nsecsElapsed() / 1e6);
        }
        Check(w, label, hits, expected ? *expected : w.FirstHits);
        FRows.append({w.Word, label, best, QString::number(hits.size())});
        return best;
    }
    void Row(TRow row) { FRows.append(std::move(row)); }
    bool Same() const { return FSame; }

    void Print(const QList<TWord>& words) const
    {
        std::printf("| word | search | ms | hits | ours / this; this / rg |\n"
                    "|---|---|---:|---:|---:|\n");
        for (const TRow& r : FRows) {
            const auto w = std::find_if(words.begin(), words.end(),
                                        [&](const TWord& x) { return x.Word == r.Word; });
            QString ratio;
            if (w != words.end() && r.Ms > 0 && r.Label != FirstLabel) {
                if (!r.Ours)
                    ratio = QString::asprintf("%.2f", w->FirstMs / r.Ms);
                else if (w->RgMs > 0)
                    ratio = QString::asprintf("%.2f", r.Ms / w->RgMs);
            }
            const QString ms = r.Ms < 0 ? r.Remark : QString::asprintf("%.1f", r.Ms);
            std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(r.Word), qPrintable(r.Label),
                        qPrintable(ms), qPrintable(r.Hits), qPrintable(ratio));
        }
    }

    static inline const QString FirstLabel = u"ours (first search)"_s;

private:
    void Check(const TWord& w, const QString& label, const QStringList& hits,
               const QStringList& expected)
    {
        if (hits == expected)
            return;
        FSame = false;
        std::printf("\"%s\", %s: hits DIFFER from the full scan's (%lld against %lld)\n",
                    qPrintable(w.Word), qPrintable(label), static_cast<long long>(hits.size()),
                    static_cast<long long>(expected.size()));
        const QSet<QString> a(hits.begin(), hits.end()), b(expected.begin(), expected.end());
        int shown = 0;
        for (const QString& p : b - a)
            if (shown++ < 10)
                std::printf("  missing: %s\n", qPrintable(p));
        for (const QString& p : a - b)
            if (shown++ < 20)
                std::printf("  extra:   %s\n", qPrintable(p));
        if (a == b)
            std::printf("  the same hits in another order\n");
    }

    QString FStore;
    int FReps;
    QList<TRow> FRows;
    bool FSame = true;
};

QStringList PathsOf(const QList<TSearchHit>& hits)
{
    QStringList paths;
    for (const TSearchHit& hit : hits)
        paths.append(hit.Path);
    return paths;
}

QStringList FullScan(const QString& text, const QString& store)
{
    TFolderSearch search(text, store);
    return PathsOf(search.Run().Hits);
}

// The first search and the baselines of one word.
void MeasureWord(TBench& bench, TWord& w, const QString& store, const QStringList& noteFiles,
                 int reps)
{
    w.FirstHits = FullScan(w.Text, store);
    w.FirstMs = bench.Ours(w, TBench::FirstLabel, [&] { return FullScan(w.Text, store); });

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C"_s);
    const QString rg = QStandardPaths::findExecutable(u"rg"_s);
    QSet<QString> grepHits, hits;
    const auto baseline = [&](const QString& label, const QString& program, const QStringList& args,
                              QSet<QString>& found) {
        TRow row{w.Word, label};
        row.Ours = false;
        if (program.isEmpty()) {
            row.Remark = u"rg not installed"_s;
        } else {
            row.Ms = RunTool(program, args, reps, found, env);
            row.Hits = QString::number(found.size());
        }
        bench.Row(row);
        return row.Ms;
    };
    const QStringList glob{u"-g"_s, u"*.htm"_s};
    if (w.Korean) {
        // Arguments are handed over as UTF-8 text, so the CP949 bytes reach grep through a
        // pattern file, and rg (which takes no pattern that is not UTF-8) as escapes.
        const QByteArray bytes = Cp(w.Word);
        QTemporaryFile pattern;
        if (!pattern.open() || pattern.write(bytes + '\n') != bytes.size() + 1 || !pattern.flush())
            std::fprintf(stderr, "bench_search: cannot write the pattern file\n");
        QString escaped = u"(?-u)"_s;
        for (const char c : bytes)
            escaped += QString::asprintf("\\x%02X", static_cast<unsigned char>(c));
        baseline(u"LC_ALL=C grep"_s, u"grep"_s,
                 {u"-rFl"_s, u"--include=*.htm"_s, u"-f"_s, pattern.fileName(), store}, grepHits);
        w.RgMs = baseline(u"rg (CP949 bytes)"_s, rg,
                          QStringList{u"-l"_s} + glob + QStringList{u"--"_s, escaped, store}, hits);
        baseline(u"rg -E euc-kr"_s, rg,
                 QStringList{u"-E"_s, u"euc-kr"_s, u"-F"_s, u"-l"_s} + glob +
                     QStringList{u"--"_s, w.Word, store},
                 hits);
    } else {
        baseline(u"LC_ALL=C grep"_s, u"grep"_s,
                 {u"-rFil"_s, u"--include=*.htm"_s, u"--"_s, w.Word, store}, grepHits);
        w.RgMs = baseline(u"rg (CP949 bytes)"_s, rg,
                          QStringList{u"-F"_s, u"-i"_s, u"-l"_s} + glob +
                              QStringList{u"--"_s, w.Word, store},
                          hits);
        baseline(u"rg -E euc-kr"_s, rg,
                 QStringList{u"-E"_s, u"euc-kr"_s, u"-F"_s, u"-i"_s, u"-l"_s} + glob +
                     QStringList{u"--"_s, w.Word, store},
                 hits);
    }

    // grep finds content; we find names too, and never list the root's own folder note.
    QSet<QString> expected = grepHits;
    for (const QString& file : noteFiles) {
        const QString name = ExtractFileName(file);
        if (!name.startsWith(u"__"_s) && FoldSearchText(name).contains(w.Text))
            expected.insert(file);
    }
    expected.remove(store + u'/' + FolderNoteName);
    const QSet<QString> ours(w.FirstHits.begin(), w.FirstHits.end());
    const bool same = ours == expected;
    std::printf("\"%s\": our hits %s grep's content hits plus the name hits (%lld)\n",
                qPrintable(w.Word), same ? "equal" : "DIFFER from",
                static_cast<long long>(expected.size()));
    if (!same) {
        int shown = 0;
        for (const QString& p : expected - ours)
            if (shown++ < 10)
                std::printf("  missing: %s\n", qPrintable(p));
        for (const QString& p : ours - expected)
            if (shown++ < 20)
                std::printf("  extra:   %s\n", qPrintable(p));
    }
}

// The hits of one search through the index, in the tree's order; empty when it cannot answer.
QStringList IndexSearch(TSearchIndex& index, const QString& text, const QString& store)
{
    index.Sync();
    const std::optional<TIndexAnswer> answer = index.Answer(store, text);
    if (!answer)
        return {};
    TFolderSearch search(text, store);
    search.SetCandidates(answer->Candidates());
    return PathsOf(search.Run().Hits);
}

std::unique_ptr<TSearchIndex> OpenIndex(const QString& cache, const QString& store, bool watch,
                                        double& ms)
{
    auto index = std::make_unique<TSearchIndex>(cache);
    index->SetWatchChanges(watch);
    QElapsedTimer t;
    t.start();
    index->Open(store);
    if (!QTest::qWaitFor([&] { return index->Ready(); }, 30 * 60 * 1000)) {
        std::fprintf(stderr, "bench_search: the index did not become ready\n");
        return nullptr;
    }
    ms = t.nsecsElapsed() / 1e6;
    return index;
}

long PeakMemoryKb()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Rewrites count notes behind the index's back: half of them lose both words, half gain them.
bool RewriteNotes(const QString& store, const QStringList& noteFiles, const TWord& latin,
                  const TWord& korean, int count)
{
    QRandomGenerator rnd(77);
    QList<QByteArray> kw, lw;
    for (const QString& w : KoreanWords)
        kw.append(Cp(w));
    for (const QString& w : LatinWords)
        lw.append(Cp(w));
    const QSet<QString> hit(latin.FirstHits.begin(), latin.FirstHits.end());
    int losing = 0, gaining = 0;
    for (const QString& file : noteFiles) {
        if (losing + gaining >= count)
            break;
        const QString name = ExtractFileName(file);
        if (name == QStringView(FolderNoteName) || file.contains(u"/__"_s) ||
            FoldSearchText(name).contains(latin.Text) || name.contains(korean.Text) ||
            rnd.bounded(10) != 0)
            continue;
        const bool had = hit.contains(file);
        if (had ? losing >= count / 2 : gaining >= count - count / 2)
            continue;
        const QList<QByteArray> planted =
            had ? QList<QByteArray>{} : QList<QByteArray>{Cp(latin.Word), Cp(korean.Word)};
        QSaveFile f(file);
        const QByteArray bytes = NoteBytes(rnd, kw, lw, planted);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            std::fprintf(stderr, "bench_search: cannot rewrite %s\n", qPrintable(file));
            return false;
        }
        ++(had ? losing : gaining);
    }
    std::printf("rewrote %d notes: %d lost the words, %d gained them\n", losing + gaining, losing,
                gaining);
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: bench_search [--store DIR] [--notes N] [--latin WORD] [--korean "
                         "WORD] [--reps N]\n");
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
    int notes = 20000;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size())
            return Usage();
        if (args[i] == u"--store"_s)
            store = args[++i];
        else if (args[i] == u"--notes"_s)
            notes = std::max(1, args[++i].toInt());
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

    // Only directories made here and now are ever removed: the generated store's and the
    // index's cache.
    std::unique_ptr<QTemporaryDir> generated;
    if (store.isEmpty()) {
        generated = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/bench_search-XXXXXX"_s);
        if (!generated->isValid()) {
            std::fprintf(stderr, "bench_search: cannot make a temporary directory: %s\n",
                         qPrintable(generated->errorString()));
            return 2;
        }
        store = generated->path() + u"/store"_s;
        if (!Generate(store, notes, latinWord, koreanWord))
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
    qint64 noteBytes = 0;
    for (const QString& f : noteFiles)
        noteBytes += QFileInfo(f).size();

    std::printf("\n");
    TBench bench(store, reps);
    TWord latin{latinWord, FoldSearchText(latinWord), false};
    TWord korean{koreanWord, koreanWord, true};
    MeasureWord(bench, latin, store, noteFiles, reps);
    MeasureWord(bench, korean, store, noteFiles, reps);
    bool same = bench.Same();

    // The index: built once in a cache folder of its own, then searched.
    QTemporaryDir cache(QDir::tempPath() + u"/bench_search-cache-XXXXXX"_s);
    double buildMs = 0;
    std::unique_ptr<TSearchIndex> index =
        cache.isValid() ? OpenIndex(cache.path(), store, true, buildMs) : nullptr;
    if (index) {
        const qint64 size = TIndexDb::FileBytes(index->FileFor(store));
        bench.Row(
            {u"—"_s, u"ours (index build)"_s, buildMs,
             QString::asprintf("%lld bytes, %.1f%% of the notes", static_cast<long long>(size),
                               100.0 * double(size) / double(std::max<qint64>(1, noteBytes)))});
        std::printf("peak memory after the index build: %.1f MB\n", PeakMemoryKb() / 1024.0);
        for (TWord* w : {&latin, &korean})
            bench.Ours(*w, u"ours (index)"_s, [&] { return IndexSearch(*index, w->Text, store); });
        index.reset();
        double ms = 0;
        if (auto plain = OpenIndex(cache.path(), store, false, ms)) {
            for (TWord* w : {&latin, &korean})
                bench.Ours(*w, u"ours (index, no notifications)"_s,
                           [&] { return IndexSearch(*plain, w->Text, store); });
        }
        if (generated && (index = OpenIndex(cache.path(), store, true, ms)) &&
            RewriteNotes(store, noteFiles, latin, korean, 100)) {
            // The notifications come through the event loop.
            QTest::qWait(200);
            for (TWord* w : {&latin, &korean}) {
                const QStringList scan = FullScan(w->Text, store);
                bench.Ours(
                    *w, u"ours (after changes)"_s,
                    [&] { return IndexSearch(*index, w->Text, store); }, 1, &scan);
            }
        } else if (!generated) {
            for (const TWord* w : {&latin, &korean})
                bench.Row({w->Word,
                           u"ours (after changes)"_s,
                           -1,
                           {},
                           true,
                           u"not run: the store given is only read"_s});
        }
        index.reset();
    } else {
        std::fprintf(stderr, "bench_search: no index could be built\n");
    }
    same = same && bench.Same();

    std::printf("\nstore %s: %lld note files, %.1f MB, best of %d warm runs\n", qPrintable(store),
                static_cast<long long>(noteFiles.size()), double(noteBytes) / 1e6, reps);
    std::printf("walk alone (CollectNoteFiles, in the tree's order): %.1f ms\n", walk);
    std::printf("ratio: for a baseline, our first search's time over its time; for a row of "
                "ours, its time over rg's on the CP949 bytes\n\n");
    bench.Print({latin, korean});
    return same ? 0 : 1;
}
