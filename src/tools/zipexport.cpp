#include "tools/zipexport.h"

#include "tools/exporttarget.h"
#include "tools/ziparchive.h"

#include "store/notestore.h"
#include "store/zqtreemodel.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

class TCollector {
public:
    TCollector(const QString& base, const QString& skip)
        : FBase(QDir(base)), FSkip(skip.isEmpty() ? QString() : QFileInfo(skip).absoluteFilePath())
    {
    }

    void AddFile(const QFileInfo& info)
    {
        const QString path = info.absoluteFilePath();
        if (!FSkip.isEmpty() && path == FSkip)
            return;
        Items.append({path, FBase.relativeFilePath(path), info.size()});
    }

    // Files and folders of dir in the tree's order, folders descended in place.
    void AddFolder(const QString& dir)
    {
        const QDir folder(dir);
        const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden |
                                                               QDir::System | QDir::NoDotAndDotDot,
                                                           QDir::NoSort);
        QStringList names;
        names.reserve(entries.size());
        for (const QFileInfo& e : entries)
            names.append(e.fileName());
        for (const quint32 at : OrderLikeTree(names)) {
            const QFileInfo& e = entries.at(qsizetype(at));
            if (e.isDir()) {
                if (e.isSymLink() || e.fileName().startsWith(u'.'))
                    continue;
                AddFolder(e.absoluteFilePath());
            } else if (e.isFile()) {
                AddFile(e);
            }
        }
    }

    QList<TzqZipItem> Items;

private:
    QDir FBase;
    QString FSkip;
};

} // namespace

QList<TzqZipItem> CollectZipItems(const QString& pageFile, const QString& skip)
{
    const QFileInfo page(pageFile);
    const QString base = page.absolutePath();
    TCollector collector(base, skip);
    if (IsWholeFolderExport(pageFile)) {
        collector.AddFolder(base);
        return collector.Items;
    }
    if (page.isFile())
        collector.AddFile(page);
    // The note's own file folder is followed even when it is a link; the older form that kept
    // the spaces of the name goes in too.
    const QString folder = NoteFileFolder(pageFile);
    const QString legacy = LegacyNoteFileFolder(pageFile);
    if (QFileInfo(folder).isDir())
        collector.AddFolder(folder);
    if (legacy != folder && QFileInfo(legacy).isDir())
        collector.AddFolder(legacy);
    return collector.Items;
}

bool TzqZipExport::Run(const QList<TzqZipItem>& items, const QString& target)
{
    qint64 total = 0;
    for (const TzqZipItem& item : items)
        total += item.Size;
    TZipArchive zip;
    zip.SetLevel(FLevel);
    qint64 before = 0; // bytes of the items already added
    QString entry;
    zip.SetProgress([&](qint64 done) {
        if (FCancel)
            zip.RequestCancel();
        if (FProgress)
            FProgress(done, total, entry);
    });
    if (FCancel)
        return false;
    zip.Open(target);
    for (const TzqZipItem& item : items) {
        entry = item.Entry;
        if (FProgress)
            FProgress(before, total, entry);
        if (FCancel)
            zip.RequestCancel();
        zip.AddFile(item.Path, item.Entry);
        if (zip.Cancelled())
            return false;
        before += item.Size;
    }
    if (FCancel) {
        zip.Cancel();
        return false;
    }
    zip.Commit();
    if (FProgress)
        FProgress(total, total, QString());
    return true;
}
