// Tree listing benchmark: how long opening a large store and expanding large folders takes,
// against a bare readdir + sort of the same directories, and what a node costs in memory.
//
//   bench_treelisting [--profile] [store directory]
//
// With --profile only our own operations run, many times over, for a profiler to watch.
// Without an argument the store is generated in a temporary directory and removed at the end.
// A directory given on the command line is generated once and reused by later runs.

#include "platform/cp949.h"
#include "store/pagepath.h"
#include "store/zqtree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <dirent.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BigNotes = 100000;
constexpr int TopFolders = 20;
constexpr int MidFolders = 20;
constexpr int LeafFolders = 50;
constexpr int TenNotes = 6000;
constexpr int TenFolders = 4000;
constexpr const char* StampName = ".zqbench-store";
constexpr const char* StampText = "tree listing store 1\n";
constexpr const char* FolderNote = "___zq_quillet__folder.htm";

// ---- store generation -------------------------------------------------------------------

class TStoreWriter {
public:
    TStoreWriter()
    {
        const QString body =
            u"<html><head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
            u"charset=euc-kr\">\r\n</head><body>\r\n<p>회의 내용을 적습니다. Notes of the "
            u"meeting, 똠방각하 뷁.</p>\r\n</body></html>\r\n"_s;
        FNote = cp949::FromUnicode(body).toStdString();
        FFolderNote = cp949::FromUnicode(u"<html><head>\r\n<meta http-equiv=\"Content-Type\" "
                                         u"content=\"text/html; charset=euc-kr\">\r\n</head>"
                                         u"<body>\r\n<p>폴더</p>\r\n</body></html>\r\n"_s)
                          .toStdString();
    }

    void MakeDir(const std::string& path)
    {
        if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            Fail(path);
        ++FDirs;
    }
    void Note(const std::string& path) { Write(path, FNote); }
    void FolderNoteIn(const std::string& dir) { Write(dir + '/' + FolderNote, FFolderNote); }
    void Write(const std::string& path, const std::string& bytes)
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            Fail(path);
        close(fd);
        ++FFiles;
    }
    long Files() const { return FFiles; }
    long Dirs() const { return FDirs; }

private:
    [[noreturn]] static void Fail(const std::string& path)
    {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::exit(2);
    }

    std::string FNote;
    std::string FFolderNote;
    long FFiles = 0;
    long FDirs = 0;
};

std::string Numbered(const char* prefix, int n, int width)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%0*d", prefix, width, n);
    return buf;
}

// Korean and Latin names alternate, so the sort sees both scripts interleaved.
std::string MixedName(const char* korean, const char* latin, int n, int width)
{
    return Numbered(n % 2 ? korean : latin, n, width);
}

void GenerateStore(const std::string& root, TStoreWriter& w)
{
    w.FolderNoteIn(root);
    w.Note(root + "/시작하기.htm");
    w.Note(root + "/Readme.htm");
    w.MakeDir(root + "/__Readme");
    w.Write(root + "/__Readme/pic.png", "png");

    // One folder of 100,000 notes.
    const std::string big = root + "/Big";
    w.MakeDir(big);
    w.FolderNoteIn(big);
    for (int i = 1; i <= BigNotes; ++i)
        w.Note(big + '/' + MixedName("회의록 ", "Plan ", i, 6) + ".htm");

    // 20,000 folders three levels deep, each with its folder note and a note or two.
    for (int a = 1; a <= TopFolders; ++a) {
        const std::string top = root + '/' + MixedName("프로젝트 ", "Area ", a, 2);
        w.MakeDir(top);
        w.FolderNoteIn(top);
        w.Note(top + "/개요.htm");
        for (int b = 1; b <= MidFolders; ++b) {
            const std::string mid = top + '/' + MixedName("분기 ", "Topic ", b, 2);
            w.MakeDir(mid);
            w.FolderNoteIn(mid);
            w.Note(mid + "/Summary.htm");
            for (int c = 1; c <= LeafFolders; ++c) {
                const std::string leaf = mid + '/' + MixedName("항목 ", "Item ", c, 3);
                w.MakeDir(leaf);
                w.FolderNoteIn(leaf);
                w.Note(leaf + '/' + MixedName("메모 ", "Memo ", c, 3) + ".htm");
                if (c % 3 == 0)
                    w.Note(leaf + "/To do.htm");
            }
        }
    }

    // 10,000 listed entries, notes and folders mixed. Half the folders hold a note (the probe
    // stops at it), the other half only their folder note and a file folder (the probe reads
    // them to the end and finds nothing).
    const std::string ten = root + "/Ten";
    w.MakeDir(ten);
    w.FolderNoteIn(ten);
    for (int i = 1; i <= TenNotes; ++i)
        w.Note(ten + '/' + MixedName("일지 ", "Log ", i, 5) + ".htm");
    for (int i = 1; i <= TenFolders; ++i) {
        const std::string sub = ten + '/' + MixedName("보관함 ", "Box ", i, 5);
        w.MakeDir(sub);
        w.FolderNoteIn(sub);
        if (i % 2)
            w.Note(sub + "/Note.htm");
        else
            w.MakeDir(sub + "/__folder");
    }

    w.Write(root + '/' + StampName, StampText);
}

bool HasStamp(const std::string& root)
{
    const int fd = open((root + '/' + StampName).c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    char buf[64] = {};
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    return n > 0 && std::strcmp(buf, StampText) == 0;
}

bool IsEmptyDir(const std::string& path)
{
    DIR* d = opendir(path.c_str());
    if (!d)
        return false;
    bool empty = true;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) {
            empty = false;
            break;
        }
    }
    closedir(d);
    return empty;
}

// ---- the baseline -----------------------------------------------------------------------

bool IsDot(const char* n)
{
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

// Reads until the first entry other than "." and "..".
bool HasAnyEntry(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (dirent* e = readdir(d)) {
        if (!IsDot(e->d_name)) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

// Reads the directory into a sorted list of names; with probe, every subdirectory is opened
// and read until its first entry, as the tree does for the folders it lists.
size_t BareListing(const std::string& dir, bool probe)
{
    std::vector<std::string> names;
    std::vector<std::string> subdirs;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return 0;
    while (dirent* e = readdir(d)) {
        if (IsDot(e->d_name))
            continue;
        names.emplace_back(e->d_name);
        if (probe && e->d_type == DT_DIR)
            subdirs.emplace_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    size_t found = 0;
    for (const std::string& s : subdirs)
        found += HasAnyEntry(dir + '/' + s);
    return names.size() + found;
}

// ---- measuring --------------------------------------------------------------------------

struct TTimes {
    std::vector<double> Ms;
    double Median() const
    {
        std::vector<double> v = Ms;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const { return *std::min_element(Ms.begin(), Ms.end()); }
};

template <typename F> double TimeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

class TNullHost : public IzqTreeHost {
public:
    bool SaveFile(const QString&) override { return true; }
    void LoadCurrentNote() override {}
    void FocusLater() override {}
    int ViewMode() const override { return 0; }
    void SetViewMode(int) override {}
    void UpdateCaption(const QString&) override {}
    void ShowMsgBox(const QString&) override {}
    bool IsEnglishWindows() const override { return false; }
    QString MyName() const override { return u"bench"_s; }
    bool CtrlDrag() const override { return false; }
};

long ResidentBytes()
{
    long size = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

long HeapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return long(mi.uordblks + mi.hblkhd);
}

struct TRow {
    const char* Name;
    TTimes Ours;
    TTimes Base;
};

void PrintRow(const TRow& r)
{
    std::printf("%-26s %9.2f %9.2f %9.2f %9.2f %7.2f\n", r.Name, r.Ours.Median(), r.Ours.Min(),
                r.Base.Median(), r.Base.Min(), r.Ours.Median() / r.Base.Median());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();

    QStringList positional = args.mid(1);
    const bool profile = positional.removeAll(u"--profile"_s) > 0;

    QTemporaryDir temp;
    std::string root;
    if (!positional.isEmpty()) {
        root = QFile::encodeName(positional.first()).toStdString();
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        mkdir(root.c_str(), 0777);
    } else {
        if (!temp.isValid()) {
            std::fprintf(stderr, "cannot create a temporary directory\n");
            return 2;
        }
        root = QFile::encodeName(temp.path()).toStdString();
    }

    std::printf("store: %s\n", root.c_str());
    if (HasStamp(root)) {
        std::printf("generation: reusing the existing store\n");
    } else if (!IsEmptyDir(root)) {
        std::fprintf(stderr, "%s is neither empty nor a store made by this program\n",
                     root.c_str());
        return 2;
    } else {
        TStoreWriter writer;
        const double ms = TimeMs([&] { GenerateStore(root, writer); });
        std::printf("generation: %ld files, %ld folders in %.1f s\n", writer.Files(), writer.Dirs(),
                    ms / 1000);
    }

    const QString rootDir = QFile::decodeName(QByteArray::fromStdString(root));
    const std::string big = root + "/Big";
    const std::string ten = root + "/Ten";
    std::printf("collation locale: %s\n", qPrintable(QLocale::system().name()));

    TNullHost host;
    TzqTree tree(&host);
    TzqTreeModel* model = tree.Model();
    auto topNode = [&](const QString& name) {
        const QModelIndex i = model->FindChild({}, LowerAscii(name));
        if (!i.isValid() || !model->IsNotLoaded(i)) {
            std::fprintf(stderr, "the store has no unlisted folder %s\n", qPrintable(name));
            std::exit(2);
        }
        return i;
    };

    if (profile) {
        for (int rep = 0; rep < 20; ++rep) {
            tree.LoadRoot(rootDir);
            tree.LoadChildren(topNode(u"Big"_s));
            tree.LoadChildren(topNode(u"Ten"_s));
        }
        return 0;
    }

    // Warm the caches: every directory we time is read once beforehand.
    BareListing(root, true);
    BareListing(big, false);
    BareListing(ten, true);

    // Memory first, while the heap has not yet held a listing of the big folder.
    tree.LoadRoot(rootDir);
    const QModelIndex bigFirst = topNode(u"Big"_s);
    malloc_trim(0);
    const long rssBefore = ResidentBytes();
    const long heapBefore = HeapInUse();
    tree.LoadChildren(bigFirst);
    malloc_trim(0);
    const long rssAfter = ResidentBytes();
    const long heapAfter = HeapInUse();
    const qsizetype bigNodes = model->rowCount(bigFirst);

    const int reps = 9;
    TRow rows[] = {{"LoadRoot (top level)", {}, {}},
                   {"expand Big (100,000)", {}, {}},
                   {"expand Ten (10,000)", {}, {}},
                   {"LoadRoot, Big+Ten open", {}, {}}};
    qsizetype topCount = 0;
    qsizetype tenCount = 0;
    for (int rep = 0; rep < reps; ++rep) {
        // A tree holding only the top level, so that the time is the listing's.
        tree.LoadRoot(rootDir);
        rows[0].Base.Ms.push_back(TimeMs([&] { BareListing(root, true); }));
        rows[0].Ours.Ms.push_back(TimeMs([&] { tree.LoadRoot(rootDir); }));
        topCount = model->rowCount();

        rows[1].Base.Ms.push_back(TimeMs([&] { BareListing(big, false); }));
        const QModelIndex bigNode = topNode(u"Big"_s);
        rows[1].Ours.Ms.push_back(TimeMs([&] { tree.LoadChildren(bigNode); }));

        rows[2].Base.Ms.push_back(TimeMs([&] { BareListing(ten, true); }));
        const QModelIndex tenNode = topNode(u"Ten"_s);
        rows[2].Ours.Ms.push_back(TimeMs([&] { tree.LoadChildren(tenNode); }));
        tenCount = model->rowCount(tenNode);

        // As a refresh does: the open folders' nodes are freed before the top level is listed.
        rows[3].Base.Ms.push_back(TimeMs([&] { BareListing(root, true); }));
        rows[3].Ours.Ms.push_back(TimeMs([&] { tree.LoadRoot(rootDir); }));
    }

    std::printf("\n%d runs each, warm cache; top level %lld nodes, Ten %lld nodes, Big %lld "
                "nodes\n\n",
                reps, qlonglong(topCount), qlonglong(tenCount), qlonglong(bigNodes));
    std::printf("%-26s %9s %9s %9s %9s %7s\n", "operation", "ours ms", "(min)", "base ms", "(min)",
                "ratio");
    for (const TRow& r : rows)
        PrintRow(r);
    std::printf("\nmemory per node (Big): %.0f bytes resident, %.0f bytes of heap\n",
                double(rssAfter - rssBefore) / double(bigNodes),
                double(heapAfter - heapBefore) / double(bigNodes));
    std::printf("ratio = median ours / median baseline; the baseline is opendir/readdir into "
                "std::vector<std::string> + std::sort, with a first-entry probe of every "
                "subdirectory for the top level and Ten. The last row frees the 110,000 nodes of "
                "Big and Ten before it lists.\n");
    return 0;
}
