#pragma once

#include "app/zqinifile.h"
#include "app/zqplaces.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

// The configuration store: where the program lives, every fixed path derived from that, the
// settings of section PROGRAM through typed accessors, and the few cached values read on hot
// paths. One instance, PrjInfo, lives from the start of the program to its end.
class TzqPrjInfo {
public:
    // Setting ids of the typed accessors.
    enum : int {
        idConfirmExit = 1000,
        idMiniTray = 1001,
        idTemplate = 1002,
        idFolderTemplate = 1003,
        idAutoSave = 1004,
        idLayerBorderColor = 1010,
        idLayerFillColor = 1011,
        idLayerBorderWidth = 1012,
        idLayerMargin = 1013,
        idDex = 1020,
        idCharGrid = 1032,
        idDateFormat = 1033,
        idFilePanel = 1034,
        idCtrlDrag = 1035,
        idChangeMsg = 1036,
        idFindRootOption = 1037,
        idInsertNoteAppend = 1038,
        idViewHangulMark = 1039,
    };

    // programDir: the directory of the program file (a trailing separator is added); everything
    // the program writes lies beside it.
    explicit TzqPrjInfo(const QString& programDir);
    explicit TzqPrjInfo(const TzqPlaces& places);

    const QString& ProgramDir() const { return FProgramDir; }
    const TzqPlaces& Places() const { return FPlaces; }
    QString IniFileName() const;
    TzqIniFile& Ini() { return FIni; }
    const TzqIniFile& Ini() const { return FIni; }

    void ReadMyName();
    const QString& MyName() const { return FMyName; }

    int ReadIntSetting(int id) const;
    void WriteIntSetting(int id, int value);
    bool ReadFlag(int id) const;
    void WriteFlag(int id, bool value);
    int GetBootMode() const;
    void SetBootMode(int value);
    QString ReadDateFormat() const;
    void WriteDateFormat(const QString& text);

    const QString& TextEditor() const { return FTextEditor; }
    void SetTextEditor(const QString& path);
    // Starts the configured text editor on a file; nothing when it does not exist.
    void OpenWithTextEditor(const QString& filePath) const;

    bool SplitterHidden() const { return FSplitterHidden; }
    void SetNoSplitter(bool hidden);
    const QString& CharSet() const { return FCharSet; }
    void SetCharSet(const QString& text);

    // Runs writes (through this object's setters and writers, or Ini()) as one change of the
    // settings file: one read-modify-write under its lock. When that fails, the file and the
    // cached values stay as they were and the EzqError is passed on.
    void WriteTogether(const std::function<void()>& writes);

    static QString VersionText();
    static QString TitleText();

    // The default data directory; made with a welcome note when it does not exist yet.
    QString DefaultDataDir() const;
    QString TempDir() const;
    QString TemplateDir() const;
    // The help page shipped with the program.
    QString HelpFileName() const;
    QString CharsFileName() const;
    QString NotePadFileName() const;
    QString SearchTempFileName() const;

    // The record of a data directory by its display name; the last of several records with
    // the same name wins. False (and dir, shared untouched) when no record has the name.
    bool FindDataDir(const QString& name, QString& dir, bool& shared) const;

    // The placement stored in the window class's own section; none when it does not exist.
    std::optional<QRect> LoadFormPlacement(const QString& className) const;
    void SaveFormPlacement(const QString& className, const QRect& bounds);

    // The document written for a missing folder note, as CP949 lines.
    const QList<QByteArray>& FolderNoteDefault() const { return FFolderNoteDefault; }

private:
    TzqPlaces FPlaces;
    QString FProgramDir;
    TzqIniFile FIni;
    QString FMyName;
    QString FTextEditor;
    bool FSplitterHidden = false;
    QString FCharSet;
    QList<QByteArray> FFolderNoteDefault;
};

// The process-wide configuration; set by the program's start-up, null in most tests.
extern TzqPrjInfo* PrjInfo;

inline const QString ProgramSection = QStringLiteral("PROGRAM");
