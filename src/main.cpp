// zqQuillet: start-up, the single-instance rule, the main window and the message loop.

#include "app/mappedhwnd.h"
#include "app/singleinstance.h"
#include "app/zqapplication.h"
#include "app/zqinstancelock.h"
#include "app/zqinstanceserver.h"
#include "app/zqprjinfo.h"
#include "editor/zqnoteschemehandler.h"
#include "mainwin/frmmainql.h"
#include "platform/zqerror.h"
#include "store/guistore.h"
#include "store/notestore.h"
#include "tools/mailnote.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt's own dialogs speak Korean too.
void InstallTranslations(QApplication& app)
{
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Korean), u"qtbase"_s, u"_"_s,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
}

// Notes and windows name Windows' Korean fonts; the configuration shipped with the program lets
// the Nanum fonts answer for them. It must be in place before the first font is looked up.
void UseProgramFontConfig(const char* argv0)
{
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE"))
        return;
    const QString dir = QFileInfo(QFile::decodeName(argv0)).absolutePath();
    const QString conf = TzqPlaces::ResourceDirOf(dir) + u"zqfonts.conf"_s;
    if (QFileInfo::exists(conf))
        qputenv("FONTCONFIG_FILE", QFile::encodeName(conf));
}

} // namespace

int main(int argc, char* argv[])
{
    UseProgramFontConfig(argv[0]);
    TzqNoteSchemeHandler::RegisterScheme();
    TzqApplication app(argc, argv);
    app.CloseOnTerminationSignals();
    QApplication::setApplicationName(u"zqQuillet"_s);
    QApplication::setApplicationVersion(TzqPrjInfo::VersionText());
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/quillet-%1.png"_s.arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    InstallTranslations(app);

    TzqPrjInfo prjInfo(TzqPlaces::ForProgram(QApplication::applicationDirPath()));
    PrjInfo = &prjInfo;
    SetHangulFontAvailable(HangulFontAvailable());

    const QStringList arguments = QApplication::arguments();
    const QString recordDir = InstanceRecordDir();
    TzqInstanceLock lock(recordDir);
    const bool first = recordDir.isEmpty() || lock.Acquire();
    if (!first)
        SignalRunningInstance(recordDir);
    if (DecideStart(first, prjInfo.ReadFlag(TzqPrjInfo::idDex), arguments) == TStartDecision::End)
        return 0;

    // Mail archives stay for the mail program after the hand-over; a day later they go.
    if (first)
        RemoveOldMailArchives(prjInfo.TempDir());

    int result = 0;
    try {
        auto window = std::make_unique<TfrmMainQL>(IsFurtherInstanceArgument(arguments));
        TzqInstanceServer server(recordDir);
        QObject::connect(&server, &TzqInstanceServer::WakeRequested, window.get(),
                         [w = window.get()] { w->WakeUp(); });
        if (!recordDir.isEmpty() && server.Listen())
            TMappedHwnd(recordDir).Set(server.ServerName());
        window->ShowAtStart(first);
        // Placement and the last page do not wait for the window manager's activation.
        window->FormActivate();
        result = QApplication::exec();
    } catch (const EzqError& e) {
        QMessageBox::critical(nullptr, TzqPrjInfo::TitleText(), e.Message());
        result = 1;
    }
    PrjInfo = nullptr;
    return result;
}
