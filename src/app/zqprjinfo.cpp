#include "app/zqprjinfo.h"

#include "app/welcomenote.h"

#include "app/pagedefaults.h"
#include "platform/util.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

TzqPrjInfo* PrjInfo = nullptr;

namespace {

struct TSetting {
    int Id;
    const char16_t* Key;
    int Default;
};

constexpr TSetting IntSettings[] = {
    {TzqPrjInfo::idTemplate, u"template", 0}, {TzqPrjInfo::idFolderTemplate, u"fld_temp", 0},
    {TzqPrjInfo::idAutoSave, u"tmAuto", 1},   {TzqPrjInfo::idLayerBorderWidth, u"LBW", 1},
    {TzqPrjInfo::idLayerMargin, u"LMW", 1},
};

constexpr TSetting FlagSettings[] = {
    {TzqPrjInfo::idConfirmExit, u"ConfirmExit", 0},
    {TzqPrjInfo::idMiniTray, u"MiniTray", 0},
    {TzqPrjInfo::idLayerBorderColor, u"LBC", 1},
    {TzqPrjInfo::idLayerFillColor, u"LFC", 1},
    {TzqPrjInfo::idDex, u"DEX", 0},
    {TzqPrjInfo::idCharGrid, u"CGRD", 0},
    {TzqPrjInfo::idFilePanel, u"FPanel", 1},
    {TzqPrjInfo::idCtrlDrag, u"CDrag", 0},
    {TzqPrjInfo::idChangeMsg, u"CMsg", 1},
    {TzqPrjInfo::idFindRootOption, u"FindRootOption", 0},
    {TzqPrjInfo::idInsertNoteAppend, u"InsertNoteAppend", 1},
    {TzqPrjInfo::idViewHangulMark, u"ViewHangulMark", 1},
};

template <size_t N> const TSetting* FindSetting(const TSetting (&table)[N], int id)
{
    for (const TSetting& s : table) {
        if (s.Id == id)
            return &s;
    }
    return nullptr;
}

} // namespace

TzqPrjInfo::TzqPrjInfo(const QString& programDir) : TzqPrjInfo(TzqPlaces::Portable(programDir)) {}

TzqPrjInfo::TzqPrjInfo(const TzqPlaces& places)
    : FPlaces(places), FProgramDir(places.ProgramDir), FIni(places.StateDir + u"zqQuillet.ini"_s),
      FFolderNoteDefault(::FolderNoteDefault())
{
    if (FPlaces.Installed) {
        QDir().mkpath(FPlaces.StateDir);
        SeedUserTemplates(FPlaces.ResourceDir + u"zqTemplate"_s, TemplateDir());
    }
    ReadMyName();
    FSplitterHidden = FIni.ReadBool(ProgramSection, u"NoSplitter"_s, false);
    FTextEditor = FIni.ReadString(ProgramSection, u"TextEditor"_s);
    FCharSet = FIni.ReadString(ProgramSection, u"CharSet"_s, u"ksc5601"_s);
    if (!FTextEditor.isEmpty() && !QFileInfo(FTextEditor).isFile())
        FTextEditor.clear();
}

QString TzqPrjInfo::IniFileName() const
{
    return FIni.FileName();
}

void TzqPrjInfo::ReadMyName()
{
    FMyName = FIni.ReadString(ProgramSection, u"MyName"_s);
    if (FMyName.isEmpty())
        FMyName = ComputerNameOrDefault();
}

int TzqPrjInfo::ReadIntSetting(int id) const
{
    const TSetting* s = FindSetting(IntSettings, id);
    return s ? FIni.ReadInteger(ProgramSection, QString::fromUtf16(s->Key), s->Default) : 0;
}

void TzqPrjInfo::WriteIntSetting(int id, int value)
{
    if (const TSetting* s = FindSetting(IntSettings, id))
        FIni.WriteInteger(ProgramSection, QString::fromUtf16(s->Key), value);
}

bool TzqPrjInfo::ReadFlag(int id) const
{
    const TSetting* s = FindSetting(FlagSettings, id);
    return s && FIni.ReadBool(ProgramSection, QString::fromUtf16(s->Key), s->Default != 0);
}

void TzqPrjInfo::WriteFlag(int id, bool value)
{
    if (const TSetting* s = FindSetting(FlagSettings, id))
        FIni.WriteBool(ProgramSection, QString::fromUtf16(s->Key), value);
}

int TzqPrjInfo::GetBootMode() const
{
    return FIni.ReadInteger(ProgramSection, u"BootMode"_s, 0);
}

void TzqPrjInfo::SetBootMode(int value)
{
    FIni.WriteInteger(ProgramSection, u"BootMode"_s, value);
}

QString TzqPrjInfo::ReadDateFormat() const
{
    return FIni.ReadString(ProgramSection, u"DateFormat"_s, u"yyyy-mm-dd hh:nn:ss dddd"_s);
}

void TzqPrjInfo::WriteDateFormat(const QString& text)
{
    FIni.WriteString(ProgramSection, u"DateFormat"_s, text);
}

void TzqPrjInfo::SetTextEditor(const QString& path)
{
    if (path == FTextEditor)
        return;
    FTextEditor = path;
    FIni.WriteString(ProgramSection, u"TextEditor"_s, path);
    if (!QFileInfo(path).isFile())
        FTextEditor.clear();
}

void TzqPrjInfo::OpenWithTextEditor(const QString& filePath) const
{
    if (!FTextEditor.isEmpty() && QFileInfo(FTextEditor).isFile())
        QProcess::startDetached(FTextEditor, {filePath});
}

void TzqPrjInfo::SetNoSplitter(bool hidden)
{
    FSplitterHidden = hidden;
    FIni.WriteBool(ProgramSection, u"NoSplitter"_s, hidden);
}

void TzqPrjInfo::SetCharSet(const QString& text)
{
    FCharSet = text;
    FIni.WriteString(ProgramSection, u"CharSet"_s, text);
}

void TzqPrjInfo::WriteTogether(const std::function<void()>& writes)
{
    const QString textEditor = FTextEditor;
    const bool splitterHidden = FSplitterHidden;
    const QString charSet = FCharSet;
    try {
        TzqIniFile::TUpdate update(FIni);
        writes();
        update.Commit();
    } catch (...) {
        FTextEditor = textEditor;
        FSplitterHidden = splitterHidden;
        FCharSet = charSet;
        throw;
    }
}

QString TzqPrjInfo::VersionText()
{
    return u"%1.%2 release %3"_s.arg(QUILLET_VERSION_MAJOR)
        .arg(QUILLET_VERSION_MINOR)
        .arg(QUILLET_VERSION_PATCH);
}

QString TzqPrjInfo::TitleText()
{
    return u"zqQuillet "_s + VersionText();
}

QString TzqPrjInfo::DefaultDataDir() const
{
    const QString dir =
        FIni.ReadString(ProgramSection, u"DirData"_s, FPlaces.DataHome + u"BookData"_s);
    if (!QFileInfo::exists(dir) && QDir().mkpath(dir))
        WriteWelcomeNote(dir);
    return dir;
}

QString TzqPrjInfo::TempDir() const
{
    QDir().mkpath(FPlaces.TempDir);
    return FPlaces.TempDir;
}

QString TzqPrjInfo::TemplateDir() const
{
    // An installed program's templates are the user's own copy, so new ones can be added.
    return (FPlaces.Installed ? FPlaces.DataHome : FProgramDir) + u"zqTemplate/"_s;
}

QString TzqPrjInfo::HelpFileName() const
{
    return FPlaces.ResourceDir + u"help/index.html"_s;
}

QString TzqPrjInfo::CharsFileName() const
{
    return FPlaces.StateDir + u"zqqchars.txt"_s;
}

QString TzqPrjInfo::NotePadFileName() const
{
    return FPlaces.StateDir + u"tmpzqq.txt"_s;
}

QString TzqPrjInfo::SearchTempFileName() const
{
    return FPlaces.StateDir + u"zqtmp.zq"_s;
}

bool TzqPrjInfo::FindDataDir(const QString& name, QString& dir, bool& shared) const
{
    bool found = false;
    for (int n = 1; n <= 50; ++n) {
        const QString section = u"DataDir"_s + QString::number(n);
        if (FIni.ReadString(section, u"Name"_s) != name)
            continue;
        shared = FIni.ReadBool(section, u"IsShare"_s, true);
        dir = FIni.ReadString(section, u"dir"_s);
        found = true;
    }
    return found;
}

std::optional<QRect> TzqPrjInfo::LoadFormPlacement(const QString& className) const
{
    if (!FIni.SectionExists(className))
        return std::nullopt;
    return QRect(
        FIni.ReadInteger(className, u"Left"_s, 0), FIni.ReadInteger(className, u"Top"_s, 0),
        FIni.ReadInteger(className, u"Width"_s, 0), FIni.ReadInteger(className, u"Height"_s, 0));
}

void TzqPrjInfo::SaveFormPlacement(const QString& className, const QRect& bounds)
{
    FIni.WriteInteger(className, u"Left"_s, bounds.left());
    FIni.WriteInteger(className, u"Top"_s, bounds.top());
    FIni.WriteInteger(className, u"Width"_s, bounds.width());
    FIni.WriteInteger(className, u"Height"_s, bounds.height());
}
