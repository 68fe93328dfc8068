// Editor benchmark: how long the main window takes to show its first note, how long a save of
// a 1 MB note takes in edit mode, how long the switches between browse and edit mode take,
// how much memory the program holds with that note open for editing, and how fast typed
// keys show with the editing toolbars following the caret. Every figure has a
// baseline measured in the same run; nothing here fails on a time.
//
//   bench_editor [--reps N] [--cold-reps N]
//
// Run it offscreen (bench/run-editor.sh sets the environment). The cold figures come from
// fresh processes of this program started with --cold-window or --cold-bare.

#include "generatedstore.h"

#include "app/zqprjinfo.h"
#include "editor/notecontent.h"
#include "editor/zqbrowseview.h"
#include "editor/zqedittoolbars.h"
#include "editor/zqnoteeditor.h"
#include "editor/zqnotepage.h"
#include "editor/zqnoteschemehandler.h"
#include "editor/zqwebeditview.h"
#include "mainwin/frmmainql.h"
#include "platform/cp949.h"
#include "platform/textfile.h"
#include "store/searchindex.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int LoadTimeoutMs = 60000;
constexpr qsizetype BigNoteBytes = 1 << 20;
const QString StartNote = u"시작하기.htm"_s;
const QString BigNote = u"큰 노트.htm"_s;

// ---- measuring --------------------------------------------------------------------------

struct TTimes {
    std::vector<double> Ms;
    bool Empty() const { return Ms.empty(); }
    double Median() const
    {
        if (Ms.empty())
            return 0;
        std::vector<double> v = Ms;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const { return Ms.empty() ? 0 : *std::min_element(Ms.begin(), Ms.end()); }
    double Percentile(double p) const
    {
        if (Ms.empty())
            return 0;
        std::vector<double> v = Ms;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
    }
};

double Ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

template <typename F> double TimeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return Ms(t);
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "bench_editor: %s\n", what);
    std::exit(2);
}

// Starts the clock, runs start and waits for the sender's signal; the time is taken when the
// signal is emitted, not when the wait returns. None on the time-out.
template <typename TSender, typename TSignal>
std::optional<double> TimeToSignal(const TSender* sender, TSignal signal,
                                   const std::function<void()>& start)
{
    QEventLoop loop;
    QElapsedTimer clock;
    std::optional<double> at;
    const QMetaObject::Connection c = QObject::connect(sender, signal, &loop, [&] {
        if (!at) {
            at = Ms(clock);
            loop.quit();
        }
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(LoadTimeoutMs);
    clock.start();
    start();
    // The signal may have come in a wait inside start already (a script answer's loop).
    if (!at)
        loop.exec();
    QObject::disconnect(c);
    return at;
}

// Lets queued work (deferred deletes, the engine's answers) run for a while.
void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- the store --------------------------------------------------------------------------

// Deterministic pseudo-random numbers, so every run edits the same text.
class TRandom {
public:
    quint32 Next()
    {
        FState = FState * 1664525u + 1013904223u;
        return FState >> 8;
    }
    int Below(int n) { return int(Next() % quint32(n)); }

private:
    quint32 FState = 12345;
};

// Korean prose of about `bytes` CP949 bytes in paragraphs: syllables from the whole Hangul
// block, so most of them are the ones only CP949 has, with a few Latin words and numbers.
QString KoreanParagraphs(qsizetype bytes)
{
    static const char16_t* const Words[] = {u"똠방각하", u"뷁",   u"햏햏", u"회의록", u"돋움",
                                            u"Plan",     u"2024", u"메모", u"■",      u"쀍"};
    TRandom rnd;
    QString text;
    qsizetype size = 0;
    int paragraph = 0;
    while (size < bytes) {
        QString p = u"<P>"_s;
        const int words = 20 + rnd.Below(40);
        for (int w = 0; w < words; ++w) {
            if (w)
                p += rnd.Below(12) ? u" "_s : u", "_s;
            if (rnd.Below(6) == 0) {
                p += QString::fromUtf16(Words[rnd.Below(int(std::size(Words)))]);
                continue;
            }
            const int len = 1 + rnd.Below(4);
            for (int s = 0; s < len; ++s)
                p += QChar(char16_t(0xAC00 + rnd.Below(11172)));
        }
        if (++paragraph % 7 == 0)
            p += u" <B>중요 "_s + QString::number(paragraph) + u"</B>"_s;
        p += u".</P>\r\n"_s;
        size += cp949::FromUnicode(p).size();
        text += p;
    }
    return text;
}

QString NoteHtml(const QString& body)
{
    return u"<HTML><HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
           u"charset=euc-kr\">\r\n</HEAD>\r\n<BODY>\r\n"_s +
           body + u"</BODY></HTML>\r\n"_s;
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    textfile::WriteAll(path, bytes);
}

// A program directory with its settings file and a small store: a start note, a few folders
// of short notes and the 1 MB note.
class TBenchStore {
public:
    TBenchStore()
    {
        if (!FProgram.isValid())
            Fail("cannot create a temporary directory");
        FStore = FProgram.filePath(u"노트"_s);
        const QByteArray small = cp949::FromUnicode(
            NoteHtml(u"<P>오늘 할 일: 똠방각하 뷁 회의 준비. Notes of the meeting.</P>\r\n"_s));
        WriteBytes(FStore + u'/' + StartNote, small);
        for (int f = 1; f <= 5; ++f) {
            const QString folder = FStore + u"/폴더 "_s + QString::number(f);
            for (int n = 1; n <= 4; ++n)
                WriteBytes(folder + u"/메모 "_s + QString::number(n) + u".htm"_s, small);
        }
        FBigText = KoreanParagraphs(BigNoteBytes);
        FBigBytes = cp949::FromUnicode(NoteHtml(FBigText));
        WriteBytes(BigPath(), FBigBytes);

        const QByteArray ini =
            "[PROGRAM]\r\nMyName=bench\r\nlstPage=" + cp949::FromUnicode(StartNote) +
            "\r\n[DataDir1]\r\nName=" + cp949::FromUnicode(u"내 노트"_s) +
            "\r\ndir=" + cp949::FromUnicode(FStore) + "\r\nIsShare=0\r\n";
        WriteBytes(FProgram.filePath(u"zqQuillet.ini"_s), ini);
    }

    QString ProgramDir() const { return FProgram.path(); }
    QString StartPath() const { return FStore + u'/' + StartNote; }
    QString BigPath() const { return FStore + u'/' + BigNote; }
    // The text of the 1 MB note's body, as generated.
    const QString& BigText() const { return FBigText; }
    qsizetype BigFileSize() const { return FBigBytes.size(); }

private:
    QTemporaryDir FProgram;
    QString FStore;
    QString FBigText;
    QByteArray FBigBytes;
};

// ---- what is measured -------------------------------------------------------------------

// Builds the main window as the start-up does and waits for its first note in the browse view.
// Returns the time from the start of the construction; the window stays in *window.
std::optional<double> StartWindow(std::unique_ptr<TfrmMainQL>* window)
{
    QElapsedTimer clock;
    clock.start();
    auto w = std::make_unique<TfrmMainQL>();
    bool ok = false;
    std::optional<double> at;
    QEventLoop loop;
    QObject::connect(w->DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished, &loop,
                     [&](bool loaded) {
                         if (!at) {
                             at = Ms(clock);
                             ok = loaded;
                             loop.quit();
                         }
                     });
    QTimer::singleShot(LoadTimeoutMs, &loop, &QEventLoop::quit);
    w->FormActivate();
    w->show();
    if (!at)
        loop.exec();
    *window = std::move(w);
    if (!ok)
        return std::nullopt;
    return at;
}

// The font families of the note views' pages, which a baseline view takes over: Korean text in
// a font without Hangul is laid out glyph by glyph through the font fallback, many times slower.
struct TFonts {
    std::vector<std::pair<QWebEngineSettings::FontFamily, QString>> Families;

    static TFonts OfNotePage()
    {
        TFonts fonts;
        const TzqNotePage page;
        for (auto f : {QWebEngineSettings::StandardFont, QWebEngineSettings::SansSerifFont,
                       QWebEngineSettings::SerifFont, QWebEngineSettings::FixedFont})
            fonts.Families.emplace_back(f, page.settings()->fontFamily(f));
        return fonts;
    }
    // The families of OfNotePage in the same order, as a parent process passed them on.
    static TFonts FromArguments(const QStringList& names)
    {
        TFonts fonts;
        const QWebEngineSettings::FontFamily order[] = {
            QWebEngineSettings::StandardFont, QWebEngineSettings::SansSerifFont,
            QWebEngineSettings::SerifFont, QWebEngineSettings::FixedFont};
        for (qsizetype i = 0; i < names.size() && i < qsizetype(std::size(order)); ++i)
            fonts.Families.emplace_back(order[i], names.at(i));
        return fonts;
    }
};

// A bare view on the default profile loading a note through the note scheme: the engine's own
// cost of showing that page. Returns the time from the view's construction to its load.
std::optional<double> BareLoad(const QString& path, const TFonts* fonts)
{
    QElapsedTimer clock;
    clock.start();
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    if (!profile->urlSchemeHandler(NoteScheme))
        profile->installUrlSchemeHandler(NoteScheme, new TzqNoteSchemeHandler(profile));
    QWebEngineView view;
    if (fonts) {
        for (const auto& [family, name] : fonts->Families)
            view.settings()->setFontFamily(family, name);
    }
    view.resize(700, 500);
    bool ok = false;
    std::optional<double> at;
    QEventLoop loop;
    QObject::connect(&view, &QWebEngineView::loadFinished, &loop, [&](bool loaded) {
        if (!at) {
            at = Ms(clock);
            ok = loaded;
            loop.quit();
        }
    });
    QTimer::singleShot(LoadTimeoutMs, &loop, &QEventLoop::quit);
    // The scheme serves the note's own folder, as it serves the open data directory.
    NoteScope().SetPlaces({QFileInfo(path).absolutePath()}, {});
    view.load(NoteUrl(path));
    view.show();
    if (!at)
        loop.exec();
    if (!ok)
        return std::nullopt;
    return at;
}

// ---- memory -----------------------------------------------------------------------------

std::string ReadProcFile(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

// The value in kB of a "Name:   1234 kB" line; -1 when there is none.
long FieldKb(const std::string& text, const char* name)
{
    const std::string key = std::string("\n") + name + ':';
    const std::string padded = '\n' + text;
    const size_t at = padded.find(key);
    if (at == std::string::npos)
        return -1;
    return std::strtol(padded.c_str() + at + key.size(), nullptr, 10);
}

struct TProcess {
    int Pid = 0;
    std::string Name;
    long RssKb = -1;
    long PssKb = -1;
};

// This process and every process whose parent chain leads to it (the browser engine's helper
// processes and the zygotes' children).
std::vector<TProcess> OurProcesses()
{
    std::map<int, int> parent;
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool numeric = false;
        const int pid = e.toInt(&numeric);
        if (!numeric)
            continue;
        const std::string stat = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2)
            parent[pid] = ppid;
    }
    const int self = int(getpid());
    std::vector<TProcess> ours;
    for (const auto& [pid, ppid] : parent) {
        int p = pid;
        for (int hops = 0; hops < 64 && p > 1 && p != self; ++hops) {
            const auto it = parent.find(p);
            p = it == parent.end() ? 0 : it->second;
        }
        if (p != self)
            continue;
        TProcess proc;
        proc.Pid = pid;
        const std::string dir = "/proc/" + std::to_string(pid);
        proc.RssKb = FieldKb(ReadProcFile(dir + "/status"), "VmRSS");
        proc.PssKb = FieldKb(ReadProcFile(dir + "/smaps_rollup"), "Pss");
        // The program's name and, for the engine's helpers, their --type.
        const std::string cmd = ReadProcFile(dir + "/cmdline");
        std::string argv0 = cmd.substr(0, cmd.find('\0'));
        proc.Name = argv0.substr(argv0.rfind('/') == std::string::npos ? 0 : argv0.rfind('/') + 1);
        const size_t type = cmd.find("--type=");
        if (type != std::string::npos)
            proc.Name += ' ' + cmd.substr(type + 7, cmd.find('\0', type) - type - 7);
        // A zygote's children keep its command line: they are the renderers.
        const std::string parentCmd = ReadProcFile("/proc/" + std::to_string(ppid) + "/cmdline");
        if (type != std::string::npos && parentCmd.find("--type=zygote") != std::string::npos)
            proc.Name += " (forked: renderer)";
        ours.push_back(proc);
    }
    return ours;
}

void PrintMemory(const char* title)
{
    const std::vector<TProcess> procs = OurProcesses();
    long rss = 0;
    long pss = 0;
    bool pssComplete = true;
    std::printf("\n%s\n  %-8s %-40s %10s %10s\n", title, "pid", "process", "RSS MB", "PSS MB");
    for (const TProcess& p : procs) {
        std::printf("  %-8d %-40s %10.1f %10s\n", p.Pid, p.Name.c_str(), double(p.RssKb) / 1024,
                    p.PssKb < 0 ? "-" : QByteArray::number(double(p.PssKb) / 1024, 'f', 1).data());
        rss += std::max(0L, p.RssKb);
        if (p.PssKb < 0)
            pssComplete = false;
        pss += std::max(0L, p.PssKb);
    }
    std::printf("  %-8s %-40s %10.1f %10s\n", "", "total", double(rss) / 1024,
                pssComplete ? QByteArray::number(double(pss) / 1024, 'f', 1).data() : "-");
}

// ---- the cold start, in a process of its own --------------------------------------------

// Runs one cold measurement in this process and prints it: the first window (or bare view)
// of the process, and the time since main() began.
int ColdChild(const QString& what, const QString& programDir, const TFonts& fonts,
              const QElapsedTimer& sinceMain)
{
    TzqPrjInfo prj(programDir);
    PrjInfo = &prj;
    std::optional<double> ms;
    std::unique_ptr<TfrmMainQL> window;
    if (what == u"window"_s) {
        ms = StartWindow(&window);
    } else {
        ms = BareLoad(programDir + u"/노트/"_s + StartNote, &fonts);
    }
    const double total = Ms(sinceMain);
    if (!ms) {
        std::printf("failed\n");
        std::fflush(stdout);
        return 1;
    }
    std::printf("cold %.3f %.3f\n", *ms, total);
    std::fflush(stdout);
    window.reset();
    PrjInfo = nullptr;
    return 0;
}

struct TColdRun {
    TTimes Construction; // from the window's construction
    TTimes FromMain;     // from the start of main()
    TTimes FromSpawn;    // from the start of the process, as the parent saw it
};

TColdRun ColdRuns(const QString& what, const QString& programDir, const TFonts& fonts, int reps)
{
    TColdRun run;
    for (int i = 0; i < reps; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {u"--cold-"_s + what, programDir});
        std::optional<double> spawn;
        QByteArray out;
        // The child prints its line as soon as its window is usable.
        while (!spawn && child.waitForReadyRead(LoadTimeoutMs)) {
            out += child.readAll();
            if (out.contains('\n'))
                spawn = Ms(clock);
        }
        child.waitForFinished(LoadTimeoutMs);
        double a = 0;
        double b = 0;
        if (!spawn || std::sscanf(out.constData(), "cold %lf %lf", &a, &b) != 2) {
            std::fprintf(stderr, "cold %s run failed: %s\n", qPrintable(what), out.constData());
            continue;
        }
        run.Construction.Ms.push_back(a);
        run.FromMain.Ms.push_back(b);
        run.FromSpawn.Ms.push_back(*spawn);
    }
    return run;
}

// ---- report -----------------------------------------------------------------------------

void PrintHeader()
{
    std::printf("%-42s %9s %9s %9s %9s %7s %8s\n", "operation", "ours ms", "(min)", "base ms",
                "(min)", "ratio", "goal ms");
}

void PrintRow(const char* name, const TTimes& ours, const TTimes& base, double goal = 0)
{
    std::printf("%-42s %9.1f %9.1f", name, ours.Median(), ours.Min());
    if (base.Empty())
        std::printf(" %9s %9s %7s", "", "", "");
    else
        std::printf(" %9.1f %9.1f %7.2f", base.Median(), base.Min(), ours.Median() / base.Median());
    if (goal > 0)
        std::printf(" %8.0f %s", goal, ours.Median() <= goal ? "met" : "MISSED");
    std::printf("\n");
}

void Record(TTimes& times, const std::optional<double>& ms, const char* what)
{
    if (!ms)
        Fail(what);
    times.Ms.push_back(*ms);
}

void PrintPercentile95(const char* name, const TTimes& ours, const TTimes& base)
{
    const double a = ours.Percentile(0.95);
    const double b = base.Percentile(0.95);
    std::printf("%-42s %9.1f %9s %9.1f %9s %7.2f\n", name, a, "", b, "", b > 0 ? a / b : 0.0);
}

int ArgValue(const QStringList& args, const QString& name, int fallback)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? std::max(1, args.at(i + 1).toInt()) : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QStandardPaths::setTestModeEnabled(true);
    // The note scheme must be known before the application object exists.
    TzqNoteSchemeHandler::RegisterScheme();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1).startsWith(u"--cold-"_s))
        return ColdChild(args.at(1).mid(7), args.at(2), TFonts::FromArguments(args.mid(3)),
                         sinceMain);

    const int reps = ArgValue(args, u"--reps"_s, 7);
    const int coldReps = ArgValue(args, u"--cold-reps"_s, 5);
    const int indexNotes = ArgValue(args, u"--index-notes"_s, 20000);

    const TBenchStore store;
    std::printf("store: %s; 1 MB note: %lld bytes, %lld characters of text\n",
                qPrintable(store.ProgramDir()), qlonglong(store.BigFileSize()),
                qlonglong(store.BigText().size()));

    TzqPrjInfo prj(store.ProgramDir());
    PrjInfo = &prj;

    // ---- 1. start to a usable window, warm ----
    TTimes firstWindow;
    TTimes warmWindow;
    TTimes warmBare;
    {
        std::unique_ptr<TfrmMainQL> w;
        Record(firstWindow, StartWindow(&w), "the first window showed no note");
        w.reset();
        Settle(300);
    }
    const TFonts fonts = TFonts::OfNotePage();

    // Cold: each run a fresh process whose first window (or bare view) is timed.
    const TColdRun coldWindow = ColdRuns(u"window"_s, store.ProgramDir(), fonts, coldReps);
    const TColdRun coldBare = ColdRuns(u"bare"_s, store.ProgramDir(), fonts, coldReps);
    for (int i = 0; i < reps; ++i) {
        std::unique_ptr<TfrmMainQL> w;
        Record(warmWindow, StartWindow(&w), "a window showed no note");
        if (w->Tree()->CurrentPage() != store.StartPath())
            Fail("the window started on another note");
        w.reset();
        Settle(200);
        Record(warmBare, BareLoad(store.StartPath(), &fonts), "the bare view did not load");
        Settle(200);
    }

    // ---- 3. browse and edit on the 1 MB note ----
    std::unique_ptr<TfrmMainQL> w;
    if (!StartWindow(&w))
        Fail("the window showed no note");
    Settle(500);
    PrintMemory("memory, small note in browse mode:");

    TTimes browseBig;
    TTimes bareBig;
    TTimes bareBigDefault;
    TTimes toEdit;
    TTimes toBrowse;
    TfrmDhtmlEditor* editor = w->DhtmlEditor();
    TzqWebEditView* editView = editor->EditView();
    for (int i = 0; i < reps; ++i) {
        // From the small note to the big one in the browse view, as a click in the tree.
        Record(browseBig,
               TimeToSignal(editor, &TfrmDhtmlEditor::BrowseLoadFinished,
                            [&] { w->Tree()->SelectByRelativePath(BigNote); }),
               "the 1 MB note did not load in the browse view");
        Record(toEdit,
               TimeToSignal(editView, &TzqWebEditView::DocumentComplete,
                            [&] { w->tbiBrowseClick(TzqNoteEditor::vmEdit); }),
               "edit mode did not come up");
        if (w->ViewMode() != TzqNoteEditor::vmEdit || !editView->DocumentReady())
            Fail("the switch to edit mode did not take");
        Record(toBrowse,
               TimeToSignal(editor, &TfrmDhtmlEditor::BrowseLoadFinished,
                            [&] { w->tbiBrowseClick(TzqNoteEditor::vmBrowse); }),
               "browse mode did not come back");
        if (!TimeToSignal(editor, &TfrmDhtmlEditor::BrowseLoadFinished,
                          [&] { w->Tree()->SelectByRelativePath(StartNote); }))
            Fail("the small note did not load");
        Settle(100);
        Record(bareBig, BareLoad(store.BigPath(), &fonts),
               "the bare view did not load the 1 MB note");
        Settle(200);
        Record(bareBigDefault, BareLoad(store.BigPath(), nullptr),
               "the bare view did not load the 1 MB note");
        Settle(200);
    }

    // ---- 2. save in edit mode ----
    if (!TimeToSignal(editor, &TfrmDhtmlEditor::BrowseLoadFinished,
                      [&] { w->Tree()->SelectByRelativePath(BigNote); }) ||
        !TimeToSignal(editView, &TzqWebEditView::DocumentComplete,
                      [&] { w->tbiBrowseClick(TzqNoteEditor::vmEdit); }))
        Fail("the 1 MB note did not open in edit mode");
    Settle(300);

    TTimes save;
    TTimes partHtml;
    TTimes partConvert;
    TTimes partLabel;
    TTimes partWrite;
    TTimes scriptEcho;
    TTimes scriptSerialize;
    TTimes baseWrite;
    TTimes baseConvert;
    qsizetype savedSize = 0;
    qsizetype htmlSize = 0;
    const QString scratch = store.ProgramDir() + u"/scratch.htm"_s;
    const QString charSet = w->CharSet().trimmed();
    TTimes unchanged;
    for (int i = 0; i < reps; ++i) {
        // One change per round, as typing would make: an unchanged note is never written.
        if (!editView->NotePage()->RunScript(
                u"document.body.setAttribute('data-round', '%1'); true"_s.arg(i)))
            Fail("the edit view took no change");
        const QDateTime before = QFileInfo(store.BigPath()).lastModified();
        save.Ms.push_back(TimeMs([&] { w->SaveIfEditing(); }));
        // Saving again without a change: the auto-save's usual case.
        unchanged.Ms.push_back(TimeMs([&] { w->SaveIfEditing(); }));
        const QByteArray saved = textfile::ReadAll(store.BigPath());
        savedSize = saved.size();
        // The engine's markup is in lower case and its line ends are LF alone, so the note
        // comes back a little shorter than it was generated.
        if (QFileInfo(store.BigPath()).lastModified() == before || !saved.startsWith("<html>") ||
            savedSize < BigNoteBytes * 99 / 100 || !saved.contains("\x8C\x63") ||
            saved.contains('?')) {
            std::fprintf(stderr, "saved %lld bytes, %s\n", qlonglong(savedSize),
                         saved.left(300).constData());
            Fail("the save did not write the whole note");
        }

        // The parts of the save, one by one.
        std::optional<QString> html;
        partHtml.Ms.push_back(TimeMs([&] { html = editView->DocumentHTML(); }));
        if (!html)
            Fail("the edit view gave no document");
        htmlSize = html->size();
        QByteArray bytes;
        partConvert.Ms.push_back(TimeMs([&] { bytes = cp949::FromUnicodeWithCharRefs(*html); }));
        partLabel.Ms.push_back(TimeMs([&] {
            if (!charSet.isEmpty() && charSet != u"unicode"_s)
                bytes = TzqNoteEditor::FixCharsetLabel(bytes, charSet);
        }));
        partWrite.Ms.push_back(TimeMs([&] { textfile::WriteAll(scratch, bytes); }));

        // Inside the script round trip: an empty answer, and the serialization without its
        // transfer.
        scriptEcho.Ms.push_back(TimeMs([&] { (void)editView->NotePage()->RunScript(u"1"_s); }));
        scriptSerialize.Ms.push_back(TimeMs([&] {
            (void)editView->NotePage()->RunScript(u"document.documentElement.outerHTML.length"_s);
        }));

        // Baselines: the same number of bytes written, the note's own text converted.
        const QByteArray same(bytes.size(), 'x');
        baseWrite.Ms.push_back(TimeMs([&] { textfile::WriteAll(scratch, same); }));
        QByteArray converted;
        baseConvert.Ms.push_back(TimeMs([&] { converted = cp949::FromUnicode(store.BigText()); }));
        if (converted.size() < BigNoteBytes - 4096)
            Fail("the conversion lost text");
    }

    // ---- 4. typing with the editing toolbars live, and without them ----
    TTimes typeLive;
    TTimes typeOff;
    TTimes typeIndexing;
    TTimes typeQuiet;
    TTimes indexBuilds;
    TTimes stateTrip;
    int stateTrips = 0;
    int typed = 0;
    {
        TzqEditToolbars* bars = editor->EditToolbars();
        // A key counts as shown two animation frames after the document took it.
        if (!editView->NotePage()->RunScript(
                u"window.zqTyped = 0; window.zqInputs = 0;"
                "document.addEventListener('input', function () {"
                "  var n = ++window.zqInputs;"
                "  requestAnimationFrame(function () {"
                "    requestAnimationFrame(function () { window.zqTyped = n; }); });"
                "});"
                "true"_s))
            Fail("the edit view took no typing hook");
        w->activateWindow();
        editView->FocusDocument();
        Settle(300);
        QWidget* keys = editView->focusProxy() ? editView->focusProxy() : editView;
        for (int i = 0; i < 100 && QApplication::focusWidget() != keys; ++i)
            Settle(20);
        if (QApplication::focusWidget() != keys)
            Fail("the edit view did not take the keyboard");
        // One key first, not timed: the engine settles its input after the focus came.
        QTest::keyClicks(QApplication::focusWidget(), u"Z"_s);
        Settle(500);
        const std::optional<QVariant> first = editView->NotePage()->RunScript(u"window.zqTyped"_s);
        typed = first ? first->toInt() : 0;
        if (typed < 1)
            Fail("the first typed key never showed");
        auto typeOne = [&](TTimes& into) {
            ++typed;
            QElapsedTimer t;
            t.start();
            QTest::keyClicks(QApplication::focusWidget(), u"Z"_s);
            // Asked without holding back input, as the window's own loop runs.
            int shown = 0;
            while (shown < typed) {
                bool answered = false;
                editView->NotePage()->runJavaScript(
                    u"window.zqTyped"_s, TzqNotePage::ScriptWorld(),
                    [&](const QVariant& v) { shown = v.toInt(), answered = true; });
                while (!answered && t.elapsed() < 5000)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                if (t.elapsed() > 5000) {
                    std::fprintf(stderr, "key %d of %d\n", typed, shown);
                    Fail("a typed key never showed");
                }
            }
            into.Ms.push_back(Ms(t));
            // A brisk typist: the next key about 60 ms later.
            Settle(60);
        };
        const int keysPerRound = 40;
        for (int round = 0; round < 3; ++round) {
            bars->setVisible(true);
            Settle(100);
            for (int k = 0; k < keysPerRound; ++k)
                typeOne(typeLive);
            bars->setVisible(false);
            Settle(100);
            for (int k = 0; k < keysPerRound; ++k)
                typeOne(typeOff);
        }
        // The same while the search index of a big store is built (each round from nothing),
        // against rounds in between without it.
        bars->setVisible(true);
        const QTemporaryDir bigStore;
        GenerateNotes(bigStore.path(), indexNotes);
        // Written out first: the rounds measure the build, not the kernel writing the store.
        ::sync();
        for (int round = 0; round < 3; ++round) {
            const QTemporaryDir cache;
            TSearchIndex index(cache.path());
            index.Open(bigStore.path());
            QElapsedTimer built;
            built.start();
            for (int k = 0; k < keysPerRound && !index.Ready(); ++k)
                typeOne(typeIndexing);
            while (!index.Ready() && built.elapsed() < 600000)
                Settle(50);
            indexBuilds.Ms.push_back(Ms(built));
            index.Close();
            Settle(100);
            for (int k = 0; k < keysPerRound; ++k)
                typeOne(typeQuiet);
        }
        for (int i = 0; i < reps * 3; ++i) {
            const int before = bars->StateAnswers();
            QElapsedTimer t;
            t.start();
            bars->UpdateToolbarState();
            while (bars->StateAnswers() == before && t.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (bars->StateAnswers() == before)
                Fail("the toolbar states never came");
            stateTrip.Ms.push_back(Ms(t));
            stateTrips += bars->StateAnswers() - before;
        }
    }

    Settle(500);
    PrintMemory("memory, 1 MB note in edit mode:");

    // Back to browse mode before the window goes, so its edit state ends properly.
    TimeToSignal(editor, &TfrmDhtmlEditor::BrowseLoadFinished,
                 [&] { w->tbiBrowseClick(TzqNoteEditor::vmBrowse); });
    w.reset();
    PrjInfo = nullptr;

    std::printf("\n%d runs each (cold: %d fresh processes), medians; the 1 MB note is %lld "
                "bytes on disk, its document %lld characters, %lld bytes when saved\n\n",
                reps, coldReps, qlonglong(store.BigFileSize()), qlonglong(htmlSize),
                qlonglong(savedSize));
    PrintHeader();
    PrintRow("1. usable window, warm", warmWindow, warmBare, 1500);
    PrintRow("   first window of this process", firstWindow, {});
    PrintRow("   cold, from construction", coldWindow.Construction, coldBare.Construction);
    PrintRow("   cold, from main()", coldWindow.FromMain, coldBare.FromMain);
    PrintRow("   cold, from process start", coldWindow.FromSpawn, coldBare.FromSpawn);
    PrintRow("2. save in edit mode, 1 MB", save, {}, 100);
    PrintRow("   the same, nothing changed since", unchanged, scriptEcho);
    PrintRow("   DocumentHTML (script round trip)", partHtml, {});
    PrintRow("     empty script answer", scriptEcho, {});
    PrintRow("     outerHTML, length only", scriptSerialize, {});
    PrintRow("   FromUnicodeWithCharRefs of the HTML", partConvert, baseConvert);
    PrintRow("   FixCharsetLabel", partLabel, {});
    PrintRow("   WriteAll of the bytes", partWrite, baseWrite);
    PrintRow("4. key to shown, toolbars live", typeLive, typeOff);
    PrintPercentile95("   the same, 95th percentile", typeLive, typeOff);
    PrintRow("   while the search index builds", typeIndexing, typeQuiet);
    PrintPercentile95("   the same, 95th percentile", typeIndexing, typeQuiet);
    PrintRow("   (the index build itself)", indexBuilds, {});
    PrintRow("   UpdateToolbarState round trip", stateTrip, scriptEcho);
    std::printf("   (%d keys each way, %d state answers for %d requests; %d keys while the "
                "index of %d generated notes was built from nothing, %d between the builds)\n",
                int(typeLive.Ms.size()), stateTrips, int(stateTrip.Ms.size()),
                int(typeIndexing.Ms.size()), indexNotes, int(typeQuiet.Ms.size()));
    PrintRow("3. browse -> edit, 1 MB note", toEdit, bareBig);
    PrintRow("   edit -> browse, 1 MB note", toBrowse, bareBig);
    PrintRow("   tree selects the 1 MB note (browse)", browseBig, bareBig);
    PrintRow("   bare view, 1 MB note, default fonts", bareBigDefault, bareBig);
    std::printf(
        "\nbaselines: a bare QWebEngineView on the default profile loading the same note "
        "through the note scheme with the note views' font families, from its construction to "
        "loadFinished (row 1: the small "
        "start note, rows 3: the 1 MB note); for the conversion cp949::FromUnicode of the "
        "note's generated text, for the write textfile::WriteAll of as many bytes. Ratio = "
        "median ours / median baseline. Row 4: a key sent to the edit view of the 1 MB note until "
        "two animation frames after the document took it, with the editing toolbars following "
        "the caret against the same view with the toolbars hidden (their states never asked "
        "for); a key every 60 ms. Memory: VmRSS and PSS (smaps_rollup) of this process "
        "and every process whose parent chain leads to it.\n");
    return 0;
}
