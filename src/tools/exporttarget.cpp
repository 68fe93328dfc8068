#include "tools/exporttarget.h"

#include "store/pagepath.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

bool IsWholeFolderExport(const QString& pageFile)
{
    return QFileInfo(pageFile).fileName() == FolderNoteName;
}

QString ExportBaseName(const QString& pageFile)
{
    const QFileInfo info(pageFile);
    if (IsWholeFolderExport(pageFile))
        return info.absoluteDir().dirName();
    return info.completeBaseName();
}

QString WithExportSuffix(const QString& chosen, const QString& suffix, bool* appended)
{
    const bool add = !chosen.endsWith(suffix, Qt::CaseInsensitive);
    if (appended)
        *appended = add;
    return add ? chosen + suffix : chosen;
}

std::optional<QString> ChooseExportTarget(IzqExportUi& ui, const QString& caption,
                                          const QString& page, const QString& suffix,
                                          const QString& dir)
{
    const QString folder = dir.isEmpty() ? QDir::homePath() : dir;
    const QString suggested = QDir(folder).filePath(ExportBaseName(page) + suffix);
    const QString chosen = ui.AskSaveFileName(caption, suggested, u'*' + suffix);
    if (chosen.isEmpty())
        return std::nullopt;
    bool appended = false;
    const QString target = WithExportSuffix(chosen, suffix, &appended);
    if (appended && QFileInfo::exists(target) &&
        !ui.Confirm(u"'"_s + QDir::toNativeSeparators(target) +
                    u"' 파일이 이미 있습니다.\n바꾸시겠습니까?"_s))
        return std::nullopt;
    return target;
}
