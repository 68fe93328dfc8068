#pragma once

// The main window on a small store with the real browser engine, offscreen: a note with Korean
// text that CP949 alone has, a second note, a second data directory, and the user "alpha".

#include "app/zqprjinfo.h"
#include "editor/zqwebeditview.h"
#include "mainwin/frmmainql.h"
#include "platform/cp949.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

inline QByteArray PngBytes(const QColor& color)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class TEditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Store = Program.filePath(u"store"_s);
        Note = Store + u"/메모.htm"_s;
        // The label says "unicode", which the save replaces by the configured charset.
        Original = cp949::FromUnicode(
            u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
            u"charset=unicode\"></head><body><p id=\"w\">alpha beta gamma</p>"
            u"<p>한글 똠방각하 ■ 돋움 뷁</p></body></html>"_s);
        testutil::WriteFile(Note, Original);
        testutil::WriteFile(Store + u"/다른.htm"_s, "x");
        Second = Program.filePath(u"second"_s);
        testutil::WriteFile(Second + u"/x.htm"_s, "x");
        testutil::WriteFile(Program.filePath(u"zqQuillet.ini"_s),
                            QByteArray("[PROGRAM]\r\nMyName=alpha\r\n[DataDir1]\r\nName=S\r\ndir=" +
                                       Store.toUtf8() + "\r\n[DataDir2]\r\nName=T\r\ndir=" +
                                       Second.toUtf8() + "\r\n"));
        Prj = std::make_unique<TzqPrjInfo>(Program.path());
        PrjInfo = Prj.get();
    }
    void TearDown() override { PrjInfo = nullptr; }

    std::unique_ptr<TfrmMainQL> OpenOnNote()
    {
        auto w = std::make_unique<TfrmMainQL>();
        w->FormActivate();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QSignalSpy loaded(w->DhtmlEditor(), &TfrmDhtmlEditor::BrowseLoadFinished);
        EXPECT_TRUE(w->Tree()->SelectByRelativePath(u"메모.htm"_s));
        EXPECT_TRUE(loaded.wait(20000));
        return w;
    }

    static bool EnterMode(TfrmMainQL& w, int mode)
    {
        if (mode != 1) {
            w.Modes()->tbiBrowseClick(mode);
            return w.ViewMode() == mode;
        }
        QSignalSpy ready(w.DhtmlEditor()->EditView(), &TzqWebEditView::DocumentComplete);
        w.Modes()->tbiBrowseClick(mode);
        return w.ViewMode() == 1 && ready.wait(20000);
    }

    // The edit view's input widget, once it has the keyboard.
    static QWidget* EditInput(TfrmMainQL& w)
    {
        QWidget* input = w.DhtmlEditor()->EditView()->focusProxy();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == input; }, 20000));
        return input;
    }

    QTemporaryDir Program;
    QString Store;
    QString Second;
    QString Note;
    QByteArray Original;
    std::unique_ptr<TzqPrjInfo> Prj;
};

// Answers the next modal message boxes with a button, counting them; any other dialog is
// cancelled and counted apart.
class TBoxAnswerer : public QObject {
public:
    // buttonText: the caption of a button of the box's own to press instead.
    explicit TBoxAnswerer(QMessageBox::StandardButton answer, const QString& buttonText = {})
        : FAnswer(answer)
    {
        connect(&FTimer, &QTimer::timeout, this, [this, buttonText] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                ++Count;
                Texts.append(box->text());
                for (QAbstractButton* b : box->buttons()) {
                    if (!buttonText.isEmpty() && b->text() == buttonText) {
                        b->click();
                        return;
                    }
                }
                box->button(FAnswer) ? box->button(FAnswer)->click() : box->reject();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                ++Dialogs;
                dialog->reject();
            }
        });
        FTimer.start(50);
    }
    int Count = 0;
    int Dialogs = 0;
    QStringList Texts;

private:
    QMessageBox::StandardButton FAnswer;
    QTimer FTimer;
};
