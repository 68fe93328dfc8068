#include "mainwin/travlist.h"

#include "platform/util.h"
#include "store/pagepath.h"

#include <QFileInfo>

#include <utility>

using namespace Qt::Literals::StringLiterals;

TTravList::TTravList(std::function<QString()> rootDir) : FRootDir(std::move(rootDir)) {}

int TTravList::Add(const QString& path)
{
    int result = -1;
    if (FRecordNext && !path.isEmpty()) {
        // The forward part goes; the cursor then stands just past the end, where the new
        // entry lands.
        ++FCursor;
        FEntries.erase(FEntries.begin() + FCursor, FEntries.end());
        FEntries.append(RelativePagePath(FRootDir(), path));
        result = Count() - 1;
        RemoveAdjacentDuplicates();
        while (Count() > MaxEntries)
            Delete(0);
        // The entry just added is always the last one, also after the removals above.
        result = Count() - 1;
    }
    FRecordNext = true;
    return result;
}

void TTravList::Clear()
{
    FEntries.clear();
    FCursor = -1;
}

void TTravList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FEntries.removeAt(index);
    if (index < FCursor)
        --FCursor;
    // Removing the current entry when it was the last leaves the cursor on the new last one.
    if (FCursor >= Count())
        FCursor = Count() - 1;
}

void TTravList::RemoveAdjacentDuplicates()
{
    int i = 0;
    while (i < Count() - 1) {
        if (FEntries[i] == FEntries[i + 1])
            Delete(i);
        else
            ++i;
    }
}

bool TTravList::CanGoBack() const
{
    return FCursor >= 1 && FCursor <= Count() - 1;
}

bool TTravList::CanGoForward() const
{
    return FCursor >= -1 && FCursor <= Count() - 2;
}

QString TTravList::Step(bool forward)
{
    // The commands are disabled where no step is possible; a stray call changes nothing.
    if (forward ? !CanGoForward() : !CanGoBack())
        return {};
    FCursor += forward ? 1 : -1;
    return FEntries[FCursor];
}

QString TTravList::JumpTo(int index)
{
    if (index < 0 || index >= Count())
        return {};
    FCursor = index;
    return FEntries[index];
}

bool TTravList::Travel(const QString& entry, const TShowEntry& show)
{
    if (entry.isEmpty())
        return false;
    FRecordNext = false;
    const bool shown = show(entry);
    FRecordNext = true;
    return shown;
}

bool TTravList::GoBack(const TShowEntry& show)
{
    if (!CanGoBack())
        return false;
    return Travel(Step(false), show);
}

bool TTravList::GoForward(const TShowEntry& show)
{
    if (!CanGoForward())
        return false;
    return Travel(Step(true), show);
}

bool TTravList::GoTo(int index, const TShowEntry& show)
{
    if (index < 0 || index >= Count())
        return false;
    return Travel(JumpTo(index), show);
}

QList<TTravMenuItem> TTravList::MenuItems(bool forward) const
{
    QList<TTravMenuItem> items;
    if (forward) {
        for (int i = FCursor + 1; i < Count() && items.size() < MaxMenuItems; ++i)
            items.append({MenuCaption(FEntries[i]), i});
    } else {
        for (int i = FCursor - 1; i >= 0 && items.size() < MaxMenuItems; --i)
            items.append({MenuCaption(FEntries[i]), i});
    }
    return items;
}

QString TTravList::MenuCaption(const QString& entry)
{
    if (entry.endsWith(u".htm"))
        return ExtractFileName(entry).chopped(4);
    return ExtractFileName(StripTrailingSeparator(entry));
}

void TTravList::RenameEntries(const QString& oldPath, const QString& newPath)
{
    const QString root = FRootDir();
    QString oldRel = RelativePagePath(root, oldPath);
    QString newRel = RelativePagePath(root, newPath);
    const QString oldName = ExtractFileName(oldPath);
    const bool isNote = oldName.endsWith(u".htm") && oldName != FolderNoteName;
    if (isNote) {
        for (QString& entry : FEntries) {
            if (entry == oldRel)
                entry = newRel;
        }
    } else {
        // A folder given by its directory has no trailing separator; its entries have one.
        if (!oldRel.isEmpty() && !oldRel.endsWith(u'\\'))
            oldRel += u'\\';
        if (!newRel.isEmpty() && !newRel.endsWith(u'\\'))
            newRel += u'\\';
        // The data directory itself is never renamed; an empty path would match every entry.
        if (oldRel.isEmpty() || newRel.isEmpty())
            return;
        for (QString& entry : FEntries) {
            if (entry.startsWith(oldRel))
                entry = newRel + entry.mid(oldRel.size());
        }
    }
    RemoveAdjacentDuplicates();
}

void TTravList::Validate()
{
    RemoveAdjacentDuplicates();
    const QString root = StripTrailingSeparator(FRootDir());
    int i = 0;
    while (i < Count() - 1) {
        const QString& entry = FEntries[i];
        QString onDisk = root + u'/' + entry;
        onDisk.replace(u'\\', u'/');
        const QFileInfo info(onDisk);
        const bool exists = entry.endsWith(u".htm") ? info.isFile() : info.isDir();
        if (exists)
            ++i;
        else
            Delete(i);
    }
    // A removal can bring two visits of the same page together.
    RemoveAdjacentDuplicates();
}
