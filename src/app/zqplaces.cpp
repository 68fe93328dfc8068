#include "app/zqplaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

QString WithSeparator(const QString& dir)
{
    const QString clean = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

} // namespace

TzqXdgHomes TzqXdgHomes::Current()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)};
}

TzqPlaces TzqPlaces::Portable(const QString& programDir)
{
    TzqPlaces places;
    places.ProgramDir = WithSeparator(programDir);
    places.ResourceDir = places.ProgramDir;
    places.StateDir = places.ProgramDir;
    places.DataHome = places.ProgramDir;
    places.TempDir = places.ProgramDir + u"temp/"_s;
    return places;
}

QString TzqPlaces::ResourceDirOf(const QString& appDir)
{
    const QString beside = WithSeparator(appDir);
    if (QFileInfo(beside + u"zqTemplate"_s).isDir())
        return beside;
    const QString shared = WithSeparator(beside + u"../share/zqquillet"_s);
    return QFileInfo(shared).isDir() ? shared : beside;
}

TzqPlaces TzqPlaces::ForProgram(const QString& appDir, const TzqXdgHomes& homes)
{
    // A program with its files beside it is portable when it may write there; one whose files
    // lie in ../share/zqquillet is installed, even for a user who could write to /usr/bin.
    const QString beside = WithSeparator(appDir);
    const bool writable = QFileInfo(beside).isWritable();
    const bool shipsBeside = QFileInfo(beside + u"zqTemplate"_s).isDir();
    const bool shipsShared = QFileInfo(beside + u"../share/zqquillet"_s).isDir();
    if (writable && (shipsBeside || !shipsShared))
        return Portable(appDir);
    TzqPlaces places;
    places.Installed = true;
    places.ProgramDir = WithSeparator(appDir);
    places.ResourceDir = ResourceDirOf(appDir);
    places.StateDir = WithSeparator(homes.Config + u"/zqQuillet"_s);
    places.DataHome = WithSeparator(homes.Data + u"/zqQuillet"_s);
    places.TempDir = WithSeparator(homes.Cache + u"/zqQuillet"_s) + u"temp/"_s;
    return places;
}
