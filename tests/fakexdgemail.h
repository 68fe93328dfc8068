#pragma once

// A stand-in for xdg-email, put first in PATH for as long as it lives: it writes its arguments
// (each followed by a zero byte) to a record file, prints a line to its error output and ends
// with the status asked for.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TFakeXdgEmail {
public:
    explicit TFakeXdgEmail(int status = 0, bool present = true) : FOldPath(qgetenv("PATH"))
    {
        if (present) {
            QFile script(FDir.filePath(QStringLiteral("xdg-email")));
            script.open(QIODevice::WriteOnly);
            script.write("#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + Record().toUtf8() +
                         "'\necho 'no mail program here' >&2\nexit " + QByteArray::number(status) +
                         "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // Without the stand-in, only an empty folder is searched.
        qputenv("PATH", present ? FDir.path().toUtf8() + ':' + FOldPath : FDir.path().toUtf8());
    }
    ~TFakeXdgEmail() { qputenv("PATH", FOldPath); }
    TFakeXdgEmail(const TFakeXdgEmail&) = delete;
    TFakeXdgEmail& operator=(const TFakeXdgEmail&) = delete;

    QString Record() const { return FDir.filePath(QStringLiteral("arguments")); }
    bool Called() const { return QFile::exists(Record()); }
    // The arguments of the last call.
    QStringList Arguments() const
    {
        QFile f(Record());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList args;
        const QList<QByteArray> pieces = f.readAll().split('\0');
        for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
            args.append(QString::fromUtf8(pieces.at(i)));
        return args;
    }

private:
    QTemporaryDir FDir;
    QByteArray FOldPath;
};
