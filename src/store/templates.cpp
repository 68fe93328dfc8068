#include "store/templates.h"

#include <QCollator>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The tree's order: the system's collation (English where the system has only the C locale,
// which would compare code points), letter case ignored.
QCollator NameCollator()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator{locale};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

} // namespace

QList<TzqTemplate> ListTemplates(const QString& dir)
{
    const QDir folder(dir);
    const QStringList files = folder.entryList(QDir::Files | QDir::Readable, QDir::NoSort);
    QHash<QString, QString> icons; // lower-case base name -> picture file name
    for (const QString& file : files) {
        if (file.size() > 4 && file.endsWith(u".ico"_s, Qt::CaseInsensitive))
            icons.insert(file.chopped(4).toLower(), file);
    }

    QList<TzqTemplate> templates;
    for (const QString& file : files) {
        if (file.size() <= 4 || !file.endsWith(u".htm"_s, Qt::CaseInsensitive))
            continue;
        TzqTemplate t;
        t.Name = file.chopped(4);
        t.FileName = file;
        // The picture of exactly the same name first, then one that differs in letter case.
        const QString exact = t.Name + u".ico"_s;
        if (files.contains(exact))
            t.IconPath = folder.filePath(exact);
        else if (const auto it = icons.constFind(t.Name.toLower()); it != icons.cend())
            t.IconPath = folder.filePath(*it);
        templates.append(t);
    }

    const QCollator collator = NameCollator();
    std::sort(templates.begin(), templates.end(), [&](const TzqTemplate& a, const TzqTemplate& b) {
        const int c = collator.compare(a.Name, b.Name);
        return c != 0 ? c < 0 : a.FileName < b.FileName;
    });
    return templates;
}

QString NameDateText(const QDate& date)
{
    return u' ' + date.toString(u"yyyy-MM-dd"_s);
}

QString NameTimeText(const QTime& time)
{
    return u' ' + time.toString(u"HH.mm.ss"_s);
}
