#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

// The page templates a new note or folder is made from: every "*.htm" file of the template
// folder, with the ".ico" picture of the same name when there is one.

struct TzqTemplate {
    QString Name;     // the file name without ".htm": the list's caption
    QString FileName; // the file name in the template folder, "일기.htm"
    QString IconPath; // the full path of the picture; empty when there is none
};

// The templates in dir, sorted by name like the tree (letter case ignored, the system's
// collation), equal names by their file names; empty for a missing folder. The extensions
// ".htm" and ".ico" match in any letter case. Directory order is not used: it differs between
// file systems, and the remembered template index has to name the same template next time.
QList<TzqTemplate> ListTemplates(const QString& dir);

// What the name dialogs' date and time buttons put into the name box: a blank, then
// "yyyy-mm-dd" or the 24-hour "hh.nn.ss" (dots, as a name cannot hold colons).
QString NameDateText(const QDate& date);
QString NameTimeText(const QTime& time);
