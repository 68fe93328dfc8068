#include "editor/attachedfiles.h"

#include "platform/fileoperation.h"
#include "store/zqtreemodel.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

QStringList ListAttachedFiles(const QString& fileFolder)
{
    if (fileFolder.isEmpty())
        return {};
    const QDir dir(fileFolder);
    if (!dir.exists())
        return {};
    // Without QDir::Hidden names beginning with a dot stay out; QDir::Files leaves folders out.
    const QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList sorted;
    sorted.reserve(names.size());
    for (const quint32 at : OrderLikeTree(names))
        sorted.append(names.at(qsizetype(at)));
    return sorted;
}

QSize FitPictureSize(const QSize& pictureSize, const QSize& panelSize)
{
    const qint64 w = pictureSize.width();
    const qint64 h = pictureSize.height();
    const qint64 W = panelSize.width();
    const qint64 H = panelSize.height();
    if (w <= 0 || h <= 0)
        return {};
    if (W <= 0 || H <= 0)
        return {0, 0};
    if (w < W && h < H)
        return pictureSize;
    const auto scaled = [](qint64 a, qint64 b, qint64 c) {
        return qint64(std::llround(double(a) * double(b) / double(c)));
    };
    const qint64 h2 = scaled(h, W, w);
    if (h2 < H)
        return QSize(int(std::min(W, w)), int(std::clamp<qint64>(h2, 1, h)));
    const qint64 w2 = scaled(w, H, h);
    return QSize(int(std::clamp<qint64>(w2, 1, w)), int(std::min(H, h)));
}

QString AttachedFileReference(const QString& folderName, const QString& fileName)
{
    return folderName + u'\\' + fileName;
}

QStringList SelectedFilePaths(const QString& fileFolder, const QStringList& items,
                              QList<int> selectedRows)
{
    std::sort(selectedRows.begin(), selectedRows.end(), std::greater<>());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    QStringList paths;
    for (const int row : std::as_const(selectedRows)) {
        if (row >= 0 && row < items.size())
            paths.append(QDir(fileFolder).filePath(items.at(row)));
    }
    return paths;
}

QStringList AttachedNames(const QStringList& listed, const QStringList& chosen)
{
    QSet<QString> names;
    for (const QString& path : chosen)
        names.insert(QFileInfo(path).fileName());
    QStringList result;
    for (const QString& name : listed) {
        if (names.contains(name))
            result.append(name);
    }
    return result;
}
