// File operation benchmark: moving and copying a folder of 1,000 notes with their pictures
// through the file operation service and the tree's move and copy commands, against mv and
// cp -a run on the same folder in the same run; with the progress calls made and the memory
// each operation needed at its peak.
//
//   bench_fileops [--reps N] [--profile move|copy|cross] [work directory]
//
// The store is generated in a temporary directory, removed at the end, or in the empty work
// directory given, left behind. Moves are undone with rename(2) between runs, copies removed. A
// move across file systems goes to /dev/shm and back when /dev/shm is a file system of its own.
// With --profile only our own operation of that kind runs, N times (20 unless given), for a
// profiler.

#include "platform/cp949.h"
#include "platform/fileoperation.h"
#include "store/izqtreecommandhost.h"
#include "store/pagepath.h"
#include "store/zqtree.h"
#include "store/zqtreecommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int Notes = 1000;
constexpr int PicturesPerNote = 2;
constexpr int MinPicture = 20 * 1024;
constexpr int MaxPicture = 200 * 1024;
constexpr const char* FolderNote = "___zq_quillet__folder.htm";

// Ends the run; the temporary directories are removed on the way out.
[[noreturn]] void Die(const std::string& what)
{
    throw std::runtime_error(what);
}

// ---- store generation -------------------------------------------------------------------

struct TTreeSize {
    long Files = 0;
    long Dirs = 0;
    long long Bytes = 0;
    bool operator==(const TTreeSize&) const = default;
};

class TStoreWriter {
public:
    TStoreWriter() : FRandom(20240607)
    {
        FPool.resize(2 * MaxPicture);
        for (char& c : FPool)
            c = char(FRandom());
        FFolderNote = cp949::FromUnicode(u"<html><head>\r\n<meta http-equiv=\"Content-Type\" "
                                         u"content=\"text/html; charset=euc-kr\">\r\n</head>"
                                         u"<body>\r\n<p>폴더</p>\r\n</body></html>\r\n"_s)
                          .toStdString();
    }

    void MakeDir(const std::string& path)
    {
        if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            Die("cannot create " + path + ": " + std::strerror(errno));
        ++FSize.Dirs;
    }
    void FolderNoteIn(const std::string& dir) { Write(dir + '/' + FolderNote, FFolderNote); }

    // A note whose page shows its two pictures from its file folder.
    void Note(const std::string& dir, const QString& name)
    {
        const QString folder = u"__"_s + QString(name).replace(u' ', u'_');
        QString body = u"<html><head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
                       u"charset=euc-kr\">\r\n</head><body>\r\n<p>회의 내용과 사진입니다. "
                       u"Minutes with pictures.</p>\r\n"_s;
        const std::string folderPath = dir + '/' + Encode(folder);
        MakeDir(folderPath);
        for (int p = 1; p <= PicturesPerNote; ++p) {
            const QString picture = u"사진 %1.png"_s.arg(p);
            body += u"<p><img src=\"%1\\%2\"></p>\r\n"_s.arg(folder, picture);
            Write(folderPath + '/' + Encode(picture), Picture());
        }
        body += u"</body></html>\r\n"_s;
        Write(dir + '/' + Encode(name + u".htm"_s), cp949::FromUnicode(body).toStdString());
    }

    const TTreeSize& Size() const { return FSize; }

private:
    static std::string Encode(const QString& name) { return QFile::encodeName(name).toStdString(); }

    // Random bytes behind a PNG signature, 20 to 200 KB.
    std::string Picture()
    {
        const size_t size = MinPicture + FRandom() % (MaxPicture - MinPicture + 1);
        const size_t offset = FRandom() % (FPool.size() - size);
        std::string bytes = FPool.substr(offset, size);
        bytes.replace(0, 8, "\x89PNG\r\n\x1a\n", 8);
        return bytes;
    }

    void Write(const std::string& path, const std::string& bytes)
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            Die("cannot write " + path + ": " + std::strerror(errno));
        close(fd);
        ++FSize.Files;
        FSize.Bytes += qint64(bytes.size());
    }

    std::mt19937 FRandom;
    std::string FPool;
    std::string FFolderNote;
    TTreeSize FSize;
};

// Korean and Latin note names alternate.
QString NoteName(int n)
{
    return (n % 2 ? u"회의록 %1"_s : u"Plan %1"_s).arg(n, 4, 10, QChar(u'0'));
}

TTreeSize GenerateBig(const std::string& dir)
{
    TStoreWriter w;
    w.MakeDir(dir);
    w.FolderNoteIn(dir);
    for (int i = 1; i <= Notes; ++i)
        w.Note(dir, NoteName(i));
    return w.Size();
}

// What lies below dir, dir itself not counted; reading it also warms the caches.
TTreeSize Measure(const std::string& dir)
{
    TTreeSize size;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
        if (entry.is_directory()) {
            ++size.Dirs;
        } else {
            ++size.Files;
            size.Bytes += qint64(entry.file_size());
        }
    }
    return size;
}

// ---- the baselines ----------------------------------------------------------------------

// Runs a command to its end.
void RunCommand(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        Die("cannot run " + command[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Die(command[0] + " failed");
}

// The peak resident memory of a command in bytes, through GNU time: the resource usage of a
// child of ours would include our own memory, which the child shares until it starts the
// command. -1 without /usr/bin/time.
long CommandPeak(const std::vector<std::string>& command, const std::string& scratch)
{
    if (access("/usr/bin/time", X_OK) != 0)
        return -1;
    const std::string report = scratch + "/peak.txt";
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
    timed.insert(timed.end(), command.begin(), command.end());
    RunCommand(timed);
    long kb = -1;
    if (FILE* f = std::fopen(report.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &kb) != 1)
            kb = -1;
        std::fclose(f);
    }
    std::remove(report.c_str());
    return kb < 0 ? -1 : kb * 1024;
}

void RenameOrDie(const std::string& from, const std::string& to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        Die("cannot rename " + from + ": " + std::strerror(errno));
}

void RemoveTree(const std::string& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec || fs::exists(path))
        Die("cannot remove " + path);
}

// ---- our side -------------------------------------------------------------------------------

// Nothing collides, so nothing is asked; anything asked all the same is counted and cancelled.
class TBenchUi : public IzqFileOpUi {
public:
    TzqReplaceAnswer AskReplace(const QString&, bool) override
    {
        ++Questions;
        return TzqReplaceAnswer::Cancel;
    }
    TzqDeleteAnswer AskDeleteForGood(const QString&, bool, bool) override
    {
        ++Questions;
        return TzqDeleteAnswer::Cancel;
    }
    bool Progress(int done, int total, const QString&) override
    {
        ++Calls;
        LastDone = done;
        Total = total;
        return true;
    }
    void ProgressDone() override {}
    void ShowError(const QString& text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        ++Errors;
    }

    void Reset() { *this = TBenchUi(); }

    int Calls = 0;
    int LastDone = 0;
    int Total = 0;
    int Questions = 0;
    int Errors = 0;
};

// The window around the tree as its commands see it: browse mode, never editing, no dialogs.
class TBenchHost : public IzqTreeHost, public IzqTreeCommandHost {
public:
    explicit TBenchHost(IzqFileOpUi* ui) : FUi(ui) {}

    bool SaveFile(const QString&) override { return true; }
    void LoadCurrentNote() override {}
    int ViewMode() const override { return 0; }
    void SetViewMode(int) override {}
    void UpdateCaption(const QString&) override {}
    void ShowMsgBox(const QString& text) override { Complain(text); }
    bool IsEnglishWindows() const override { return false; }
    QString MyName() const override { return u"bench"_s; }
    void FocusLater() override {}
    bool CtrlDrag() const override { return false; }
    bool SaveIfEditing() override { return true; }
    bool TreeMode() const override { return true; }
    bool Browse() override { return true; }
    void SetTreeEnabled(bool) override {}
    void RenameEntries(const QString&, const QString&) override {}
    void Validate() override {}
    void ShowMessage(const QString& text) override { Complain(text); }
    bool Confirm(const QString& text) override
    {
        Complain(text);
        return false;
    }
    std::optional<TzqNewNameAnswer> AskNewName(TzqItemKind, const QString&) override
    {
        Complain(u"new name"_s);
        return std::nullopt;
    }
    std::optional<QString> AskUserFileName(TzqItemKind, const QString&, const QString&,
                                           const QString& caption) override
    {
        Complain(caption);
        return std::nullopt;
    }
    IzqFileOpUi* FileOpUi() override { return FUi; }
    bool OpenWithShell(const QString&) override { return false; }
    void ShowInFileManager(const QString&) override {}
    QString TemplateDir() const override { return {}; }

private:
    static void Complain(const QString& text)
    {
        Die("the tree asked or showed: " + text.toStdString());
    }

    IzqFileOpUi* FUi;
};

// ---- measuring --------------------------------------------------------------------------

struct TTimes {
    std::vector<double> Ms;
    double Median() const
    {
        std::vector<double> v = Ms;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const { return Ms.empty() ? 0 : *std::min_element(Ms.begin(), Ms.end()); }
};

template <typename F> double TimeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

long StatusValue(const char* key)
{
    long kb = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t len = std::strlen(key);
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, key, len) == 0) {
                kb = std::atol(line + len);
                break;
            }
        }
        std::fclose(f);
    }
    return kb * 1024;
}

// Starts a new peak: the kernel sets the high-water mark back to the resident size.
void ResetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// Runs f, returning how far the resident memory rose above where it stood at the start.
template <typename F> long PeakRise(F&& f)
{
    ResetPeak();
    const long before = StatusValue("VmRSS:");
    f();
    return std::max(0L, StatusValue("VmHWM:") - before);
}

struct TRow {
    std::string Name;
    std::string BaseName;
    TTimes Ours;
    TTimes Base;
    int Progress = -1; // progress calls of our last run; -1: none asked for
    int ProgressTotal = 0;
    long OurPeak = 0;
    long BasePeak = 0;
};

double Mb(long bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

int Run(const QStringList& arguments)
{
    QStringList positional = arguments.mid(1);
    int reps = 0;
    QString profile;
    for (qsizetype i = 0; i + 1 < positional.size();) {
        if (positional[i] == u"--reps"_s) {
            reps = std::max(1, positional[i + 1].toInt());
        } else if (positional[i] == u"--profile"_s) {
            profile = positional[i + 1];
        } else {
            ++i;
            continue;
        }
        positional.remove(i, 2);
    }

    QTemporaryDir temp;
    std::string root;
    if (!positional.isEmpty()) {
        root = QFile::encodeName(positional.first()).toStdString();
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        std::error_code ec;
        fs::create_directories(root, ec);
        if (!fs::is_empty(root, ec))
            Die(root + " is not an empty directory");
    } else {
        if (!temp.isValid())
            Die("cannot create a temporary directory");
        root = QFile::encodeName(temp.path()).toStdString();
    }

    // The store: data/Big with 1,000 notes and data/Dest, the target of moves and copies.
    const std::string data = root + "/data";
    const std::string big = data + "/Big";
    const std::string dest = data + "/Dest";
    TStoreWriter top;
    top.MakeDir(data);
    top.FolderNoteIn(data);
    top.MakeDir(dest);
    top.FolderNoteIn(dest);
    TTreeSize generated;
    const double genMs = TimeMs([&] { generated = GenerateBig(big); });
    std::printf("store: %s\ngeneration: %ld files, %ld folders, %.1f MB in %.1f s\n", data.c_str(),
                generated.Files, generated.Dirs, double(generated.Bytes) / 1e6, genMs / 1000);
    const TTreeSize bigSize = Measure(big);

    // A second file system for the move across: /dev/shm unless it is the same as ours.
    QTemporaryDir shmTemp(u"/dev/shm/zqbench-XXXXXX"_s);
    std::string shm;
    struct stat dataStat {};
    struct stat shmStat {};
    if (shmTemp.isValid() && stat(data.c_str(), &dataStat) == 0 &&
        stat(QFile::encodeName(shmTemp.path()).constData(), &shmStat) == 0 &&
        dataStat.st_dev != shmStat.st_dev)
        shm = QFile::encodeName(shmTemp.path()).toStdString();

    const QString qData = QFile::decodeName(QByteArray::fromStdString(data));
    const QString qBig = QFile::decodeName(QByteArray::fromStdString(big));
    const QString qDest = QFile::decodeName(QByteArray::fromStdString(dest));
    const QString qShm = QFile::decodeName(QByteArray::fromStdString(shm));
    const std::string movedBig = dest + "/Big";
    const std::string shmBig = shm + "/Big";

    TBenchUi ui;
    TBenchHost host(&ui);
    TzqTree tree(static_cast<IzqTreeHost*>(&host));
    TzqTreeCommands commands(&tree, &host);
    auto node = [&](const QModelIndex& parent, const QString& name) {
        const QModelIndex i = tree.Model()->FindChild(parent, LowerAscii(name));
        if (!i.isValid())
            Die("the tree has no node " + name.toStdString());
        return i;
    };
    auto expectBig = [&](const std::string& dir, const char* what) {
        if (Measure(dir) != bigSize)
            Die(std::string(what) + " did not leave the whole of Big at " + dir);
    };
    auto shellOp = [&](const QString& from, const QString& to, TzqFileOp op, const char* what) {
        ui.Reset();
        if (!ShellFileOp({from}, to, op, 0, &ui) || ui.Questions || ui.Errors)
            Die(std::string(what) + " failed");
    };

    // Every operation of a row, and how its result is undone before the next run.
    auto ourMove = [&] { shellOp(qBig, qDest, TzqFileOp::Move, "ShellFileOp move"); };
    auto nodeMove = [&] {
        ui.Reset();
        commands.MoveNode(node({}, u"Dest"_s), node({}, u"Big"_s));
    };
    auto ourCopy = [&] { shellOp(qBig, qDest, TzqFileOp::Copy, "ShellFileOp copy"); };
    auto nodeCopy = [&] {
        ui.Reset();
        commands.CopyNode(node({}, u"Dest"_s), node({}, u"Big"_s));
    };
    auto ourToShm = [&] { shellOp(qBig, qShm, TzqFileOp::Move, "ShellFileOp move across"); };
    auto ourFromShm = [&] {
        shellOp(QFile::decodeName(QByteArray::fromStdString(shmBig)), qData, TzqFileOp::Move,
                "ShellFileOp move back");
    };

    if (reps == 0)
        reps = profile.isEmpty() ? 5 : 20;
    if (!profile.isEmpty()) {
        for (int rep = 0; rep < reps; ++rep) {
            if (profile == u"move"_s) {
                ourMove();
                RenameOrDie(movedBig, big);
            } else if (profile == u"copy"_s) {
                ourCopy();
                RemoveTree(movedBig);
            } else if (profile == u"cross"_s && !shm.empty()) {
                ourToShm();
                ourFromShm();
            } else {
                Die("--profile takes move, copy or cross (with /dev/shm on a file system of "
                    "its own)");
            }
        }
        return 0;
    }

    std::vector<TRow> rows;
    rows.push_back({"move, ShellFileOp", "mv", {}, {}});
    rows.push_back({"move, MoveNode", "mv", {}, {}});
    rows.push_back({"move, rename(2)", "mv", {}, {}});
    rows.push_back({"copy, ShellFileOp", "cp -a", {}, {}});
    rows.push_back({"copy, CopyNode", "cp -a", {}, {}});
    if (!shm.empty()) {
        rows.push_back({"move to /dev/shm", "mv", {}, {}});
        rows.push_back({"move back from /dev/shm", "mv", {}, {}});
    }

    // Ours and the baseline alternate within every run, so that both meet the same state of the
    // caches and of the disk's write-back.
    auto record = [&](TRow& row, auto&& ours, auto&& undo) {
        if (int(row.Ours.Ms.size()) == reps)
            return;
        sync();
        ui.Reset();
        long peak = 0;
        row.Ours.Ms.push_back(TimeMs([&] { peak = PeakRise(ours); }));
        row.OurPeak = std::max(row.OurPeak, peak);
        if (ui.Calls) {
            row.Progress = ui.Calls;
            row.ProgressTotal = ui.Total;
        }
        undo();
    };
    // The baseline's peak memory is taken in one more run after the timed ones, as GNU time
    // adds a process of its own.
    auto baseline = [&](TRow& row, const std::vector<std::string>& command, auto&& undo) {
        sync();
        if (int(row.Base.Ms.size()) < reps) {
            row.Base.Ms.push_back(TimeMs([&] { RunCommand(command); }));
        } else {
            row.BasePeak = CommandPeak(command, root);
        }
        undo();
    };
    auto moveBack = [&] { RenameOrDie(movedBig, big); };
    auto removeCopy = [&] {
        expectBig(movedBig, "the copy");
        RemoveTree(movedBig);
    };

    for (int rep = 0; rep <= reps; ++rep) {
        if (rep < reps)
            std::fprintf(stderr, "run %d of %d\r", rep + 1, reps);
        else
            std::fprintf(stderr, "memory of the baselines\r");
        // 1. Within the file system.
        record(rows[0], ourMove, [&] {
            expectBig(movedBig, "the move");
            moveBack();
        });
        baseline(rows[0], {"mv", big, dest + '/'}, moveBack);
        tree.LoadRoot(qData);
        record(rows[1], nodeMove, [&] {
            expectBig(movedBig, "MoveNode");
            moveBack();
            tree.LoadRoot(qData);
        });
        baseline(rows[1], {"mv", big, dest + '/'}, moveBack);
        record(
            rows[2], [&] { RenameOrDie(big, movedBig); }, moveBack);
        baseline(rows[2], {"mv", big, dest + '/'}, moveBack);

        // 2. Copies into the other folder.
        record(rows[3], ourCopy, removeCopy);
        baseline(rows[3], {"cp", "-a", big, dest + '/'}, removeCopy);
        tree.LoadRoot(qData);
        record(rows[4], nodeCopy, [&] {
            removeCopy();
            tree.LoadRoot(qData);
        });
        baseline(rows[4], {"cp", "-a", big, dest + '/'}, removeCopy);

        // 3. To the other file system and back.
        if (!shm.empty()) {
            record(rows[5], ourToShm, [&] { expectBig(shmBig, "the move across"); });
            record(rows[6], ourFromShm, [&] { expectBig(big, "the move back"); });
            baseline(rows[5], {"mv", big, shm + '/'}, [] {});
            baseline(rows[6], {"mv", shmBig, data + '/'}, [] {});
        }
    }
    std::fprintf(stderr, "%*s\r", 30, "");

    std::printf("\n%d runs each, medians; Big: %ld files, %ld folders, %.1f MB\n", reps,
                bigSize.Files, bigSize.Dirs, double(bigSize.Bytes) / 1e6);
    if (shm.empty())
        std::printf("no second file system: /dev/shm is missing or on the same one\n");
    std::printf("\n%-26s %9s %9s %-6s %9s %9s %7s\n", "operation", "ours ms", "(min)", "base",
                "base ms", "(min)", "ratio");
    for (const TRow& r : rows)
        std::printf("%-26s %9.1f %9.1f %-6s %9.1f %9.1f %7.2f\n", r.Name.c_str(), r.Ours.Median(),
                    r.Ours.Min(), r.BaseName.c_str(), r.Base.Median(), r.Base.Min(),
                    r.Ours.Median() / r.Base.Median());

    std::printf("\n%-26s %14s %14s %14s\n", "operation", "progress calls", "ours peak MB",
                "base peak MB");
    for (const TRow& r : rows) {
        char calls[32] = "-";
        if (r.Progress >= 0)
            std::snprintf(calls, sizeof calls, "%d (of %d)", r.Progress, r.ProgressTotal);
        char basePeak[32] = "-";
        if (r.BasePeak >= 0)
            std::snprintf(basePeak, sizeof basePeak, "%.1f", Mb(r.BasePeak));
        std::printf("%-26s %14s %14.1f %14s\n", r.Name.c_str(), calls, Mb(r.OurPeak), basePeak);
    }
    std::printf("\nratio = median ours / median baseline; the baselines run as child processes, "
                "their start included; the rename(2) row is the bare system call, a floor for "
                "any move. Ours peak = how far our resident memory rose during the operation; "
                "base peak = the command's whole resident peak (GNU time). Progress calls: the "
                "last run's, with the file total they reported.\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        return Run(app.arguments());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
}
