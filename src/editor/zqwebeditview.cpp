#include "editor/zqwebeditview.h"

#include "editor/clipboardhtml.h"
#include "editor/notecontent.h"
#include "editor/zqnotepage.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEngineFindTextResult>
#include <QWebEngineLoadingInfo>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// A script literal of a text: JSON's string form is one.
QString JsString(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// A colour as the document's commands take it. Integers hold red in the lowest byte, then
// green, then blue.
QString ColorValue(const QVariant& input)
{
    if (input.typeId() == QMetaType::QString)
        return input.toString();
    bool ok = false;
    const uint v = input.toUInt(&ok);
    if (!ok)
        return {};
    return u"#%1"_s.arg(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF), 6, 16, QChar(u'0'));
}

// The markup a clipboard HTML text stands for: the fragment of a header form ("Version:"
// lines with byte offsets), or the text itself when it has no header.
QString FragmentOfClipboardHtml(const QString& html)
{
    if (!html.startsWith(u"Version:"_s))
        return html;
    const std::optional<TzqClipboardHtml> parsed = ParseClipboardHtml(html.toUtf8());
    return parsed ? QString::fromUtf8(parsed->fragment) : html;
}

// The first declaration of a file, read as bytes: doctypes are ASCII in any code page.
QRegularExpressionMatch MatchDoctype(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression re(
        u"\\A(?:\\xEF\\xBB\\xBF)?\\s*<!(doctype)\\s+([^\\s>]+)[^>]*>([ \\t\\r\\n]*)"_s,
        QRegularExpression::CaseInsensitiveOption);
    return re.match(QString::fromLatin1(file.read(4096)));
}

// The program's editing helpers, installed into its own script world with every document.
// Toggle states follow the document's command states: 0 not supported, 1 disabled, 3 off,
// 7 on, 11 mixed.
const char16_t EditingLibrary[] = uR"JS((function () {
  if (window.zq) return;
  function status(n) {
    var d = document;
    try {
      if (!d.queryCommandSupported(n)) return 0;
      if (!d.queryCommandEnabled(n)) return 1;
      if (d.queryCommandIndeterm(n)) return 11;
      return d.queryCommandState(n) ? 7 : 3;
    } catch (e) { return 0; }
  }
  // As wanted only when the whole selection is: a mixed one is brought to the wanted state,
  // which may take the engine two steps (mixed becomes all on first).
  function setToggle(n, wanted) {
    var goal = wanted ? 7 : 3;
    for (var i = 0; i < 3; i++) {
      var s = status(n);
      if (s < 3) return false;
      if (s === goal) return true;
      document.execCommand(n, false, null);
    }
    return status(n) === goal;
  }
  function exec(n, v) { return status(n) >= 3 && document.execCommand(n, false, v); }
  function firstFamily(v) {
    v = String(v || '').split(',')[0].trim();
    return v.replace(/^["']|["']$/g, '');
  }
  function contains(r, node) {
    var nr = document.createRange();
    nr.selectNode(node);
    return r.compareBoundaryPoints(Range.START_TO_START, nr) <= 0 &&
           r.compareBoundaryPoints(Range.END_TO_END, nr) >= 0;
  }
  // Strike-through of every kind on the elements wholly inside the selection: <s> and
  // <strike> give way to their content, line-through leaves their styles.
  function unstrikeInside(r) {
    var root = r.commonAncestorContainer;
    if (root.nodeType !== 1) root = root.parentNode;
    var found = [], walk = document.createTreeWalker(root, NodeFilter.SHOW_ELEMENT);
    for (var n = walk.currentNode; n; n = walk.nextNode())
      if (n !== document.body && contains(r, n)) found.push(n);
    var sel = window.getSelection();
    var a = [sel.anchorNode, sel.anchorOffset, sel.focusNode, sel.focusOffset];
    found.forEach(function (e) {
      var line = e.style && e.style.textDecorationLine;
      if (line && line.indexOf('line-through') >= 0) {
        e.style.textDecorationLine = line.replace('line-through', '').trim();
        if (!e.getAttribute('style')) e.removeAttribute('style');
      }
      if (/^(s|strike)$/i.test(e.localName) && e.parentNode) {
        while (e.firstChild) e.parentNode.insertBefore(e.firstChild, e);
        e.parentNode.removeChild(e);
      }
    });
    if (a[0] && a[0].isConnected && a[2] && a[2].isConnected)
      try { sel.setBaseAndExtent(a[0], a[1], a[2], a[3]); } catch (e) {}
  }
  var details = null;
  window.zq = {
    states: function (names) {
      var r = names.map(status);
      var size = parseInt(document.queryCommandValue('fontSize'), 10);
      return [r, firstFamily(document.queryCommandValue('fontName')), size > 0 ? size : 0];
    },
    status: status,
    setToggle: setToggle,
    strike: function (on) {
      var sel = window.getSelection();
      if (!sel.rangeCount) return false;
      if (on) return setToggle('strikeThrough', true);
      // Our own walk first: the engine's removal drops a whole text-decoration, underline
      // included. It is left what reaches beyond the selection.
      if (!sel.isCollapsed) unstrikeInside(sel.getRangeAt(0));
      setToggle('strikeThrough', false);
      if (sel.rangeCount && !sel.isCollapsed) {
        var r = sel.getRangeAt(0), root = r.commonAncestorContainer;
        if (root.nodeType !== 1) root = root.parentNode;
        root.querySelectorAll('[style=""]').forEach(function (e) {
          if (r.intersectsNode(e)) e.removeAttribute('style');
        });
      }
      return true;
    },
    format: function (f) {
      if (f.fore) exec('foreColor', f.fore);
      if (f.back) exec('hiliteColor', f.back);
      setToggle('bold', f.bold);
      setToggle('italic', f.italic);
      setToggle('underline', f.under);
      exec(f.align, null);
      if (f.font) exec('fontName', f.font);
      if (f.size) exec('fontSize', String(f.size));
      return true;
    },
    details: function (show) {
      if (!details) {
        var tags = ['p', 'div', 'span', 'font', 'b', 'strong', 'i', 'em', 'u', 's', 'strike',
                    'a', 'table', 'tr', 'td', 'th', 'ul', 'ol', 'li', 'h1', 'h2', 'h3', 'h4',
                    'h5', 'h6', 'blockquote', 'pre', 'center'];
        var css = tags.join(',') + '{outline:1px dotted #9aa7b8;}';
        tags.forEach(function (t) {
          css += t + '::before{content:"<' + t + '>";font:9px sans-serif;color:#5a6b80;' +
                 'background:#fff7d6;}';
        });
        details = new CSSStyleSheet();
        details.replaceSync(css);
      }
      var list = document.adoptedStyleSheets.filter(function (x) { return x !== details; });
      if (show) list.push(details);
      document.adoptedStyleSheets = list;
      return true;
    }
  };
})();)JS";

// A colour as the document's commands take it; empty for none.
QString CssColor(const QColor& color)
{
    return color.isValid() ? color.name(QColor::HexRgb) : QString();
}

} // namespace

TzqWebEditView::TzqWebEditView(QWidget* parent) : QWebEngineView(parent)
{
    setObjectName(u"dhtml"_s);
    FPage = new TzqNotePage(this);
    // Nothing leaves the note being edited: dropped files and refreshes of the note's own
    // making would replace the document.
    FPage->SetNavigationCheck([](const QUrl&, bool) { return false; });
    setPage(FPage);
    // Drops may reach the view itself rather than its input widget.
    installEventFilter(this);
    connect(FPage, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (FUrlPath.isEmpty() || NotePathFromUrl(info.url()) != FUrlPath)
                    return;
                if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                    PageLoadFinished(true);
                else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                         info.errorCode() != -3) // not a load replaced by the next one
                    PageLoadFinished(false);
            });
    connect(this, &QWebEngineView::printFinished, this, [this](bool) { FPrinter.reset(); });
    // Now and then the engine never ends a load (seen after quick page and mode changes): the
    // note is asked for once more rather than leaving an editor that takes no keys.
    FLoadWatch = new QTimer(this);
    FLoadWatch->setSingleShot(true);
    FLoadWatch->setInterval(5000);
    connect(FLoadWatch, &QTimer::timeout, this, [this] {
        if (FReady || FUrlPath.isEmpty() || std::exchange(FLoadRetried, true))
            return;
        FPage->triggerAction(QWebEnginePage::Stop);
        FPage->NavigateOwn(NoteUrl(FUrlPath));
    });
    FAskText = [this](const QString& label, const QString& initial) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, u"zqQuillet"_s, label, QLineEdit::Normal, initial, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    };
}

TzqWebEditView::~TzqWebEditView() = default;

void TzqWebEditView::LoadDocument(const QString& path)
{
    ++FLoadSerial;
    FReady = false;
    FUrlPath = path;
    const QRegularExpressionMatch doctype = MatchDoctype(path);
    FDoctypeKeyword = doctype.hasMatch() ? doctype.captured(1) : u"DOCTYPE"_s;
    FDoctypeName = doctype.hasMatch() ? doctype.captured(2) : QString();
    // The parser drops the line break after the doctype, and reads CR LF as LF.
    FDoctypeTrail = doctype.hasMatch() ? doctype.captured(3) : QString();
    FDoctypeTrail.remove(u'\r');
    FLoadRetried = false;
    FLoadWatch->start();
    FPage->NavigateOwn(NoteUrl(path));
}

void TzqWebEditView::PageLoadFinished(bool ok)
{
    FLoadWatch->stop();
    if (!ok) {
        Q_EMIT DocumentFailed();
        return;
    }
    const int serial = FLoadSerial;
    QPointer<TzqWebEditView> self(this);
    // Every change of the document from here on counts: typing, commands, inserts, drops.
    FPage->runJavaScript(QString::fromUtf16(EditingLibrary) +
                             (FShowDetails ? u"window.zq.details(true);"_s : QString()) +
                             u"document.designMode = 'on';"
                             "if (window.zqEdits === undefined) {"
                             "  window.zqEdits = 0;"
                             "  new MutationObserver(function () { window.zqEdits++; }).observe("
                             "    document, { subtree: true, childList: true, attributes: true,"
                             "                characterData: true });"
                             "}"
                             "document.designMode"_s,
                         TzqNotePage::ScriptWorld(), [self, serial](const QVariant& v) {
                             if (!self || serial != self->FLoadSerial || self->FReady)
                                 return;
                             if (v.toString() != u"on"_s) {
                                 Q_EMIT self->DocumentFailed();
                                 return;
                             }
                             self->FReady = true;
                             Q_EMIT self->DocumentComplete();
                         });
}

std::optional<QString> TzqWebEditView::DocumentHTML()
{
    if (!FReady)
        return std::nullopt;
    // Comments before and after the root element are the document's too.
    const std::optional<QVariant> v =
        FPage->RunScript(u"(function () {"
                         "  var t = document.doctype, e = document.documentElement;"
                         "  if (!e) return null;"
                         "  var before = [], after = [], seen = false;"
                         "  for (var n = document.firstChild; n; n = n.nextSibling) {"
                         "    if (n === e) seen = true;"
                         "    else if (n.nodeType === Node.COMMENT_NODE)"
                         "      (seen ? after : before).push('<!--' + n.data + '-->');"
                         "  }"
                         "  return [!!t, t ? t.name : '', t ? t.publicId : '',"
                         "          t ? t.systemId : '', before.join('\\n'), e.outerHTML,"
                         "          after.join('\\n')];"
                         "})()"_s);
    if (!v || v->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList parts = v->toList();
    if (parts.size() != 7)
        return std::nullopt;
    QString html;
    if (parts.at(0).toBool()) {
        const QString name = parts.at(1).toString();
        const QString pub = parts.at(2).toString();
        const QString sys = parts.at(3).toString();
        html = u"<!"_s + FDoctypeKeyword + u' ' +
               (FDoctypeName.compare(name, Qt::CaseInsensitive) == 0 ? FDoctypeName : name);
        if (!pub.isEmpty())
            html += u" PUBLIC \""_s + pub + u'"';
        else if (!sys.isEmpty())
            html += u" SYSTEM"_s;
        if (!sys.isEmpty())
            html += u" \""_s + sys + u'"';
        html += u'>' + FDoctypeTrail;
    }
    const QString before = parts.at(4).toString();
    const QString after = parts.at(6).toString();
    if (!before.isEmpty())
        html += before + u'\n';
    html += parts.at(5).toString();
    if (!after.isEmpty())
        html += u'\n' + after;
    return html;
}

void TzqWebEditView::FocusDocument()
{
    setFocus();
    if (!FReady)
        return;
    FPage->runJavaScript(u"(function () { var s = window.getSelection();"
                         " if (s.rangeCount === 0 && document.body) s.collapse(document.body, 0);"
                         "})()"_s,
                         TzqNotePage::ScriptWorld(),
                         [self = QPointer<TzqWebEditView>(this)](const QVariant&) {
                             // The caret may be a new one: its formatting is another.
                             if (self)
                                 Q_EMIT self->CaretMayHaveMoved();
                         });
}

std::optional<int> TzqWebEditView::EditCount()
{
    if (!FReady)
        return std::nullopt;
    const std::optional<QVariant> v = FPage->RunScript(u"window.zqEdits"_s);
    bool ok = false;
    const int count = v ? v->toInt(&ok) : 0;
    return ok ? std::optional<int>(count) : std::nullopt;
}

QString TzqWebEditView::CommandName(int id)
{
    switch (id) {
    case DECMD_BOLD:
        return u"bold"_s;
    case DECMD_HYPERLINK:
        return u"createLink"_s;
    case DECMD_IMAGE:
        return u"insertImage"_s;
    case DECMD_INDENT:
        return u"indent"_s;
    case DECMD_ITALIC:
        return u"italic"_s;
    case DECMD_JUSTIFYCENTER:
        return u"justifyCenter"_s;
    case DECMD_JUSTIFYLEFT:
        return u"justifyLeft"_s;
    case DECMD_JUSTIFYRIGHT:
        return u"justifyRight"_s;
    case DECMD_ORDERLIST:
        return u"insertOrderedList"_s;
    case DECMD_OUTDENT:
        return u"outdent"_s;
    case DECMD_REDO:
        return u"redo"_s;
    case DECMD_SETBACKCOLOR:
        return u"hiliteColor"_s;
    case DECMD_SETFONTNAME:
        return u"fontName"_s;
    case DECMD_SETFONTSIZE:
        return u"fontSize"_s;
    case DECMD_SETFORECOLOR:
        return u"foreColor"_s;
    case DECMD_UNDERLINE:
        return u"underline"_s;
    case DECMD_UNDO:
        return u"undo"_s;
    case DECMD_UNORDERLIST:
        return u"insertUnorderedList"_s;
    default:
        return {};
    }
}

bool TzqWebEditView::RunCommand(const QString& name, const QString& value)
{
    const std::optional<QVariant> done = FPage->RunScript(
        u"document.execCommand("_s + JsString(name) + u", false, "_s + JsString(value) + u')');
    return done && done->toBool();
}

std::optional<QString> TzqWebEditView::AskText(const QString& label, const QString& initial)
{
    return FAskText ? FAskText(label, initial) : std::nullopt;
}

bool TzqWebEditView::ExecCommand(int id, int option, const QVariant& input)
{
    if (!FReady)
        return false;
    switch (id) {
    case DECMD_COPY:
        FPage->triggerAction(QWebEnginePage::Copy);
        return true;
    case DECMD_CUT:
        FPage->triggerAction(QWebEnginePage::Cut);
        return true;
    case DECMD_PASTE:
        return Paste();
    default:
        break;
    }
    const QString name = CommandName(id);
    if (name.isEmpty())
        return false;
    QString value;
    switch (id) {
    case DECMD_HYPERLINK:
    case DECMD_IMAGE: {
        value = input.toString();
        if (value.isEmpty() && option == OLECMDEXECOPT_PROMPTUSER) {
            const std::optional<QString> asked =
                AskText(id == DECMD_HYPERLINK ? u"링크 주소:"_s : u"그림 주소:"_s,
                        id == DECMD_HYPERLINK ? u"http://"_s : QString());
            if (!asked)
                return false;
            value = asked->trimmed();
        }
        if (value.isEmpty() || (id == DECMD_HYPERLINK && value == u"http://"_s))
            return false;
        break;
    }
    case DECMD_SETBACKCOLOR:
    case DECMD_SETFORECOLOR:
        value = ColorValue(input);
        if (value.isEmpty())
            return false;
        break;
    case DECMD_SETFONTNAME:
    case DECMD_SETFONTSIZE:
        value = input.toString();
        if (value.isEmpty())
            return false;
        break;
    default:
        break;
    }
    return RunCommand(name, value);
}

void TzqWebEditView::InsertText(const QString& text)
{
    if (FReady && !text.isEmpty())
        RunCommand(u"insertText"_s, text);
}

bool TzqWebEditView::Paste()
{
    if (FPasteHandler) {
        FPasteHandler(QApplication::clipboard()->mimeData(QClipboard::Clipboard));
        return true;
    }
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return false;
    if (data->hasHtml()) {
        InsertHtml(FragmentOfClipboardHtml(data->html()));
        return true;
    }
    if (data->hasText())
        return RunCommand(u"insertText"_s, data->text());
    return false;
}

int TzqWebEditView::QueryStatus(int id)
{
    const QString name = CommandName(id);
    const bool known = !name.isEmpty() || id == DECMD_COPY || id == DECMD_CUT || id == DECMD_PASTE;
    if (!known)
        return DECMDF_NOTSUPPORTED;
    if (!FReady)
        return DECMDF_DISABLED;
    switch (id) {
    case DECMD_COPY:
    case DECMD_CUT: {
        // The document's own answer for these depends on script clipboard rights, not on the
        // selection.
        const std::optional<QVariant> v =
            FPage->RunScript(u"(function () { var s = window.getSelection();"
                             " return !!s && s.rangeCount > 0 && !s.isCollapsed; })()"_s);
        return v && v->toBool() ? DECMDF_ENABLED : DECMDF_DISABLED;
    }
    case DECMD_PASTE: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        return data && (data->hasHtml() || data->hasText()) ? DECMDF_ENABLED : DECMDF_DISABLED;
    }
    default:
        break;
    }
    const std::optional<QVariant> v =
        FPage->RunScript(u"window.zq.status("_s + JsString(name) + u')');
    return v ? v->toInt() : DECMDF_DISABLED;
}

int TzqWebEditView::ScrollTop()
{
    if (!FReady)
        return -1;
    return FPage->ScrollTop();
}

void TzqWebEditView::ScrollTo(int y)
{
    FPage->ScrollTo(y);
}

void TzqWebEditView::PrintDocument()
{
    if (FPrinter || !FReady)
        return; // one print job at a time
    auto printer = std::make_unique<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The engine prints after this returns; the printer lives until it is done.
    FPrinter = std::move(printer);
    print(FPrinter.get());
}

void TzqWebEditView::InsertHtml(const QString& html)
{
    if (!FReady)
        return;
    RunCommand(u"insertHTML"_s, html);
}

void TzqWebEditView::QueryFormatState(const QList<int>& ids, TFormatStateAnswer answer)
{
    if (!FReady)
        return;
    QStringList names;
    for (int id : ids)
        names.append(JsString(CommandName(id)));
    const int serial = FLoadSerial;
    QPointer<TzqWebEditView> self(this);
    FPage->runJavaScript(u"window.zq.states(["_s + names.join(u',') + u"])"_s,
                         TzqNotePage::ScriptWorld(),
                         [self, serial, count = ids.size(), answer](const QVariant& v) {
                             if (!self || serial != self->FLoadSerial || !self->FReady)
                                 return;
                             const QVariantList parts = v.toList();
                             if (parts.size() != 3)
                                 return;
                             TFormatState state;
                             for (const QVariant& s : parts.at(0).toList())
                                 state.Status.append(s.toInt());
                             if (state.Status.size() != count)
                                 return;
                             state.FontName = parts.at(1).toString();
                             state.FontSize = parts.at(2).toInt();
                             answer(state);
                         });
}

bool TzqWebEditView::SetToggle(int id, bool wanted)
{
    const QString name = CommandName(id);
    if (!FReady || name.isEmpty())
        return false;
    const std::optional<QVariant> done =
        FPage->RunScript(u"window.zq.setToggle("_s + JsString(name) + u", "_s +
                         (wanted ? u"true"_s : u"false"_s) + u')');
    return done && done->toBool();
}

bool TzqWebEditView::SetStrike(bool on)
{
    if (!FReady)
        return false;
    const std::optional<QVariant> done =
        FPage->RunScript(on ? u"window.zq.strike(true)"_s : u"window.zq.strike(false)"_s);
    return done && done->toBool();
}

bool TzqWebEditView::ApplyFormat(const TFormat& format)
{
    if (!FReady)
        return false;
    const QString align = CommandName(format.Align);
    QJsonObject f{{u"fore"_s, CssColor(format.FontColor)},
                  {u"back"_s, CssColor(format.BackColor)},
                  {u"bold"_s, format.Bold},
                  {u"italic"_s, format.Italic},
                  {u"under"_s, format.Underline},
                  {u"align"_s, align.isEmpty() ? u"justifyLeft"_s : align},
                  {u"font"_s, format.FontName},
                  {u"size"_s, format.FontSize >= 1 && format.FontSize <= 7 ? format.FontSize : 0}};
    const std::optional<QVariant> done =
        FPage->RunScript(u"window.zq.format("_s +
                         QString::fromUtf8(QJsonDocument(f).toJson(QJsonDocument::Compact)) + u')');
    return done && done->toBool();
}

void TzqWebEditView::SetShowDetails(bool show)
{
    FShowDetails = show;
    if (FReady)
        FPage->runJavaScript(show ? u"window.zq.details(true)"_s : u"window.zq.details(false)"_s,
                             TzqNotePage::ScriptWorld());
}

bool TzqWebEditView::event(QEvent* event)
{
    // The engine's input widget is a child made later (and again after a renderer restart):
    // its keys and clicks tell when the formatting at the caret may have changed.
    if (event->type() == QEvent::ChildPolished) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            child->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool TzqWebEditView::eventFilter(QObject* watched, QEvent* event)
{
    if (FPasteHandler && FReady) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste) ||
                key->keyCombination() == QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert)) {
                // The engine acts on the override already: it never sees these keys.
                if (event->type() == QEvent::KeyPress)
                    FPasteHandler(QApplication::clipboard()->mimeData(QClipboard::Clipboard));
                event->accept();
                return true;
            }
        }
        // The middle button pastes the selection where it is pressed: the caret goes there
        // first, as a left click puts it.
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::MiddleButton &&
                QApplication::clipboard()->supportsSelection()) {
                if (event->type() == QEvent::MouseButtonRelease) {
                    auto* target = qobject_cast<QWidget*>(watched);
                    QMouseEvent press(QEvent::MouseButtonPress, mouse->position(),
                                      mouse->globalPosition(), Qt::LeftButton, Qt::LeftButton,
                                      Qt::NoModifier);
                    QMouseEvent release(QEvent::MouseButtonRelease, mouse->position(),
                                        mouse->globalPosition(), Qt::LeftButton, Qt::NoButton,
                                        Qt::NoModifier);
                    if (target) {
                        QApplication::sendEvent(target, &press);
                        QApplication::sendEvent(target, &release);
                    }
                    FPasteHandler(QApplication::clipboard()->mimeData(QClipboard::Selection));
                }
                return true;
            }
        }
        // A drop from another program is pasted where it falls; a move inside the note stays
        // the engine's.
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            if (!drop->source() && data &&
                (data->hasHtml() || (data->hasImage() && !data->hasText()))) {
                QWidget* target = focusProxy() ? focusProxy() : qobject_cast<QWidget*>(watched);
                QPointF at = drop->position();
                if (target && watched != target)
                    at = target->mapFrom(qobject_cast<QWidget*>(watched), at.toPoint());
                QMouseEvent press(QEvent::MouseButtonPress, at,
                                  target ? target->mapToGlobal(at) : at, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QMouseEvent release(QEvent::MouseButtonRelease, at,
                                    target ? target->mapToGlobal(at) : at, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier);
                if (target) {
                    QApplication::sendEvent(target, &press);
                    QApplication::sendEvent(target, &release);
                }
                drop->acceptProposedAction();
                FPasteHandler(data);
                return true;
            }
        }
    }
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        Q_EMIT CaretMayHaveMoved();
        break;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

void TzqWebEditView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    // The engine's request is answered first: the menu asks the document for the commands'
    // states, which the engine cannot answer while the request is still being handled.
    const QPoint at = event->globalPos();
    QMetaObject::invokeMethod(
        this, [this, at] { Q_EMIT ShowContextMenu(at); }, Qt::QueuedConnection);
}
