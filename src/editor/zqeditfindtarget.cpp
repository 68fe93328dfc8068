#include "editor/zqeditfindtarget.h"

#include "editor/izqviews.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

// A script literal of a text: JSON's string form is one.
QString JsString(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString JsBool(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

} // namespace

TzqEditFindTarget::TzqEditFindTarget(QWebEngineView* view) : QObject(view), FView(view) {}

QString TzqEditFindTarget::SelectedText() const
{
    return FView ? FView->selectedText() : QString();
}

QString TzqEditFindTarget::FindScript(const QString& text, int options)
{
    // window.find(text, caseSensitive, backwards, wrapAround, wholeWord, inFrames, dialog)
    // searches from the selection: forward from its end, backward from its start. Without a
    // match the selection stays where it was.
    return u"window.find(%1, %2, %3, false, %4, false, false)"_s.arg(
        JsString(text), JsBool(options & zqFindMatchCase), JsBool(options & zqFindBackward),
        JsBool(options & zqFindWholeWord));
}

void TzqEditFindTarget::FindNext(const QString& text, int options)
{
    if (!FView || text.isEmpty()) {
        Q_EMIT FindFinished(false);
        return;
    }
    const QPointer<TzqEditFindTarget> self(this);
    FView->page()->runJavaScript(FindScript(text, options), QWebEngineScript::ApplicationWorld,
                                 [self](const QVariant& found) {
                                     if (self)
                                         Q_EMIT self->FindFinished(found.toBool());
                                 });
}
