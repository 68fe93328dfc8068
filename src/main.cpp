// zqQuillet: start-up, the single-instance rule, the main window and the message loop.

#include "app/mappedhwnd.h"
#include "app/singleinstance.h"
#include "app/zqinstancelock.h"
#include "app/zqinstanceserver.h"
#include "app/zqprjinfo.h"
#include "editor/zqnoteschemehandler.h"
#include "mainwin/frmmainql.h"
#include "platform/zqerror.h"
#include "store/guistore.h"
#include "store/notestore.h"

#include <QApplication>
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

} // namespace

int main(int argc, char* argv[])
{
    TzqNoteSchemeHandler::RegisterScheme();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"zqQuillet"_s);
    QApplication::setApplicationDisplayName(u"zqQuillet"_s);
    QApplication::setApplicationVersion(TzqPrjInfo::VersionText());
    QApplication::setWindowIcon(QIcon(u":/icons/zqquillet.png"_s));
    InstallTranslations(app);

    TzqPrjInfo prjInfo(QApplication::applicationDirPath());
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

    int result = 0;
    try {
        auto window = std::make_unique<TfrmMainQL>(IsFurtherInstanceArgument(arguments));
        TzqInstanceServer server(recordDir);
        QObject::connect(&server, &TzqInstanceServer::WakeRequested, window.get(),
                         [w = window.get()] { w->BringToForeground(); });
        if (!recordDir.isEmpty() && server.Listen())
            TMappedHwnd(recordDir).Set(server.ServerName());
        window->show();
        result = QApplication::exec();
    } catch (const EzqError& e) {
        QMessageBox::critical(nullptr, TzqPrjInfo::TitleText(), e.Message());
        result = 1;
    }
    PrjInfo = nullptr;
    return result;
}
