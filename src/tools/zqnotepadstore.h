#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <optional>

class TzqPrjInfo;

// What the scratch notepad keeps between runs: its text in "tmpzqq.txt" beside the program
// and its place and size in the settings section named after its window class. The text is
// CP949 with no byte-order mark when every character fits, otherwise UTF-8 behind its mark;
// every line is followed by CR LF either way.
class TzqNotePadStore {
public:
    static inline const QString SectionName = QStringLiteral("TfrmNotePad");

    explicit TzqNotePadStore(TzqPrjInfo& prjInfo) : FPrjInfo(prjInfo) {}

    QString FileName() const;

    // The stored text, lines joined by line feeds; empty when there is no file yet. A file
    // with the UTF-8 mark is UTF-8; one without is CP949, unless only UTF-8 can read it.
    // Throws EzqError when the file exists but cannot be read.
    QString LoadText() const;

    // Replaces the file with the text, one line per line of the text, so that LoadText gives
    // it back exactly. An empty text gives an empty file. Throws EzqError when the file cannot
    // be written.
    void SaveText(const QString& text) const;

    // The stored place and size; none when the section does not exist (missing keys are 0).
    std::optional<QRect> LoadPlacement() const;

    // The text first, then the place and size; a text that cannot be written throws before
    // the placement is stored.
    void SaveState(const QString& text, const QRect& bounds) const;

    // The bounds to open with from a stored placement: a size that is not positive keeps the
    // default size, and a window that would lie on none of the screens moves to the top-left
    // corner of the first one, so the notepad is never lost out of sight.
    static QRect FitPlacement(const QRect& stored, const QSize& defaultSize,
                              const QList<QRect>& screens);

private:
    TzqPrjInfo& FPrjInfo;
};
