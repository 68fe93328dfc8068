#include "tools/mailnote.h"

#include "tools/exporttarget.h"

#include "platform/util.h"
#include "store/pagepath.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString MailFolderName = u"mail"_s;

// What the program writes into the mail folder: archives, and the temporary file an archive is
// written through before it takes its name (left behind only when the program was killed).
bool IsMailArchiveName(const QString& name)
{
    static const QRegularExpression own(uR"(\.mht(\.[A-Za-z0-9]{6})?$)"_s);
    return own.match(name).hasMatch();
}

} // namespace

QString MailSubject(const QString& archivePath)
{
    return u"zqQuillet-"_s + FileBaseName(archivePath);
}

QStringList MailArguments(const QString& archivePath)
{
    // Qt hands arguments over as UTF-8 whatever the locale says; --utf8 tells xdg-email so.
    return {u"--utf8"_s,
            u"--subject"_s,
            MailSubject(archivePath),
            u"--body"_s,
            QStringView(MailBodyText).toString(),
            u"--attach"_s,
            QFileInfo(archivePath).absoluteFilePath()};
}

QString MailArchiveDir(const QString& tempDir)
{
    const QString dir = QDir(tempDir).filePath(MailFolderName);
    if (!QDir().mkpath(dir))
        return {};
    return dir + u'/';
}

QString MailArchivePath(const QString& notePath, const QString& tempDir)
{
    QString name = ExportBaseName(notePath);
    if (name.isEmpty())
        name = u"note"_s;
    return QDir(tempDir).filePath(MailFolderName) + u'/' + name + u".mht"_s;
}

bool MailWebArchive(const QString& archivePath, QObject* context, TMailDone done, QString* error)
{
    const QString program = QStandardPaths::findExecutable(u"xdg-email"_s);
    if (program.isEmpty()) {
        if (error)
            *error = u"메일 프로그램을 부를 수 없습니다: xdg-email이 설치되어 있지 않습니다."_s;
        return false;
    }
    auto* process = new QProcess(context);
    process->setProgram(program);
    process->setArguments(MailArguments(archivePath));
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    auto finish = [process, done](const QString& text) {
        // Either signal may come first; the wait ends once.
        if (process->property("zqDone").toBool())
            return;
        process->setProperty("zqDone", true);
        process->deleteLater();
        if (done)
            done(text);
    };
    QObject::connect(
        process, &QProcess::finished, process,
        [process, finish, archivePath](int code, QProcess::ExitStatus status) {
            if (status == QProcess::NormalExit && code == 0) {
                finish({});
                return;
            }
            QString text;
            if (status != QProcess::NormalExit)
                text = u"메일 프로그램에 파일을 넘기는 중에 xdg-email이 멈추었습니다."_s;
            else if (code == 3)
                text = u"메일 프로그램을 찾지 못했습니다. 데스크톱의 기본 메일 프로그램을 "
                       u"정해 주세요."_s;
            else if (code == 4)
                text = u"메일 프로그램을 열지 못했습니다."_s;
            else
                text =
                    u"메일 프로그램에 파일을 넘기지 못했습니다 (xdg-email 끝 코드 %1)."_s.arg(code);
            // The last thing xdg-email said tells the most; its earlier lines are its tries.
            const QStringList said = QString::fromLocal8Bit(process->readAllStandardError())
                                         .split(u'\n', Qt::SkipEmptyParts);
            if (!said.isEmpty())
                text += u'\n' + said.last().trimmed().left(300);
            // The archive stays for a day: it can be attached by hand.
            text += u"\n\n보관 파일: "_s + QDir::toNativeSeparators(archivePath);
            finish(text);
        });
    QObject::connect(
        process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finish(u"메일 프로그램을 부르지 못했습니다: %1"_s.arg(process->errorString()));
        });
    process->start(QIODevice::ReadOnly);
    return true;
}

namespace {

// The private folder of an archive run that never ended (the program was killed): the engine's
// raw archive is the only thing the program writes there.
int RemoveOldWorkFolders(const QDir& temp, const QDateTime& limit)
{
    static const QRegularExpression own(uR"(^zqmht-[A-Za-z0-9]{6}$)"_s);
    int removed = 0;
    const QFileInfoList folders =
        temp.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        if (folder.isSymLink() || !own.match(folder.fileName()).hasMatch())
            continue;
        QDir work(folder.filePath());
        const QFileInfoList entries = work.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
        const bool onlyOwn = std::all_of(entries.begin(), entries.end(), [](const QFileInfo& e) {
            return !e.isSymLink() && e.isFile() && e.fileName().startsWith(u"raw.mht"_s);
        });
        // Old when its files are (or, while empty, the folder itself).
        const bool old = entries.isEmpty()
                             ? folder.lastModified() < limit
                             : std::all_of(entries.begin(), entries.end(), [&](const QFileInfo& e) {
                                   return e.lastModified() < limit;
                               });
        if (!onlyOwn || !old)
            continue;
        for (const QFileInfo& entry : entries)
            QFile::remove(entry.filePath());
        if (temp.rmdir(folder.fileName()))
            ++removed;
    }
    return removed;
}

} // namespace

int RemoveOldMailArchives(const QString& tempDir, const QDateTime& now)
{
    const QDateTime limit = now.addDays(-1);
    int removed = RemoveOldWorkFolders(QDir(tempDir), limit);
    const QDir dir(QDir(tempDir).filePath(MailFolderName));
    if (!dir.exists())
        return removed;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !entry.isFile() || !IsMailArchiveName(entry.fileName()))
            continue;
        if (entry.lastModified() >= limit)
            continue;
        if (QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}
