#pragma once

#include <QString>

// Where the program finds what it ships and keeps what it writes.
//
// A build folder the user can write to is portable: the settings file, the default data
// directory "BookData", "temp", the notepad text and the search display file lie beside the
// program, as they always have. An installed program (its folder cannot be written) keeps them
// in the user's XDG folders instead and reads its templates, font aliases and help from
// <prefix>/share/zqquillet.
// The user's XDG base folders (config, data, cache).
struct TzqXdgHomes {
    QString Config, Data, Cache;
    static TzqXdgHomes Current();
};

struct TzqPlaces {
    QString ProgramDir;  // the program's folder
    QString ResourceDir; // "zqTemplate", "zqfonts.conf", "help"
    QString StateDir;    // "zqQuillet.ini", the notepad text, the search display file
    QString DataHome;    // where "BookData" and the user's own templates are made
    QString TempDir;     // the program's temporary folder
    bool Installed = false;

    // Everything beside the program (a portable build folder, the tests). Every path ends
    // in "/".
    static TzqPlaces Portable(const QString& programDir);
    // The places of the program in appDir: portable when that folder can be written and holds
    // the shipped files (or there are none in ../share/zqquillet), installed otherwise.
    static TzqPlaces ForProgram(const QString& appDir,
                                const TzqXdgHomes& homes = TzqXdgHomes::Current());
    // The shipped files of a program in appDir: beside it when they are there (a build or
    // portable folder), else in ../share/zqquillet.
    static QString ResourceDirOf(const QString& appDir);
};
