#include "editor/zqnoteschemehandler.h"

#include "editor/notecontent.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void TzqNoteSchemeHandler::RegisterScheme()
{
    QWebEngineUrlScheme scheme(NoteScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                    QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void TzqNoteSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const TzqServedFile served = ServeFile(NotePathFromUrl(job->requestUrl()));
    if (!served.Found) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The job reads the buffer after this returns; the job owns it from here.
    auto* buffer = new QBuffer(job);
    buffer->setData(served.Body);
    buffer->open(QIODevice::ReadOnly);
    job->reply(served.MimeType, buffer);
}
