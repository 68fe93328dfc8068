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
    TzqServedFile served = ServeFile(NotePathFromUrl(job->requestUrl()));
    if (!served.Found) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The job reads the device after this returns, from another thread; it lives as long as
    // the job.
    QIODevice* device = served.Device.release();
    if (!device) {
        auto* buffer = new QBuffer;
        buffer->setData(served.Body);
        buffer->open(QIODevice::ReadOnly);
        device = buffer;
    }
    device->setParent(job);
    job->reply(served.MimeType, device);
}
