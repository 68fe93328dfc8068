#include "mainwin/caption.h"

#include "platform/util.h"
#include "store/pagepath.h"

TzqCaption CaptionForPage(const QString& pagePath, const QString& lockHolder)
{
    QString shown = pagePath;
    const QString folderNote = QString::fromUtf16(FolderNoteName);
    if (ExtractFileName(shown) == folderNote)
        shown.chop(folderNote.size() + 1); // the separator and the folder note's name
    else
        shown.chop(4); // ".htm"
    TzqCaption caption;
    caption.TaskBar = ExtractFileName(shown);
    const qsizetype dot = caption.TaskBar.lastIndexOf(u'.');
    if (dot >= 0)
        caption.TaskBar.truncate(dot);
    shown.replace(u'\\', u'/');
    caption.Window = lockHolder.isEmpty() ? shown : u'-' + lockHolder + shown;
    return caption;
}
