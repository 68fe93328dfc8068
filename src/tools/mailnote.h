#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// Handing a note's web archive to the user's mail program, and the names around it.
//
// The mail program may read the attachment after xdg-email has returned, so mail archives are
// not deleted when the hand-over ends; they live in a folder of their own inside the program's
// temporary folder, and RemoveOldMailArchives clears those older than a day at start-up.

inline constexpr auto MailBodyText = u"저의 자료입니다.";

// "zqQuillet-" + the archive's file name without extension.
QString MailSubject(const QString& archivePath);

// The arguments of xdg-email for the archive, in order.
QStringList MailArguments(const QString& archivePath);

// The folder of mail archives inside the temporary folder, with a trailing "/"; created when
// missing (empty when it cannot be).
QString MailArchiveDir(const QString& tempDir);

// Where the mail archive of a note is written: the mail folder + the note's ExportBaseName +
// ".mht".
QString MailArchivePath(const QString& notePath, const QString& tempDir);

// Called once when xdg-email has ended: an empty text when the mail program took the
// archive, otherwise a Korean message for the user.
using TMailDone = std::function<void(const QString& error)>;

// Starts xdg-email for the archive without waiting for it: the mail program it starts may stay
// in the foreground for as long as the user writes. `done` runs when it ends, in the thread of
// `context`; destroying `context` ends the wait (and xdg-email). Returns false with a Korean
// message in *error, and without calling `done`, when xdg-email cannot be found.
bool MailWebArchive(const QString& archivePath, QObject* context, TMailDone done, QString* error);

// Deletes the mail archives (and their unfinished temporary files) in the mail folder whose
// last change is more than a day before `now`, and the private work folders of archive runs
// that never ended ("zqmht-" + six characters, holding only the engine's raw archive) older
// than that. Nothing else is touched: other files, folders and links stay. Returns how many
// files and folders were deleted.
int RemoveOldMailArchives(const QString& tempDir,
                          const QDateTime& now = QDateTime::currentDateTime());
