#include "tools/configvalues.h"

#include "app/zqprjinfo.h"
#include "platform/cp949.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The stored bytes while the text still reads as them, else the text in CP949.
QByteArray TextBytes(const QString& text, const QByteArray& stored)
{
    if (!stored.isEmpty() && cp949::ToUnicode(stored) == text)
        return stored;
    return cp949::FromUnicode(text);
}

// Characters of an entered text that the file cannot hold; none for a text read from the file.
QString Unwritable(const QString& text, const QByteArray& stored)
{
    if (!stored.isEmpty() && cp949::ToUnicode(stored) == text)
        return {};
    return cp949::UnencodableChars(text);
}

} // namespace

TzqConfigValues TzqConfigValues::Load(const TzqPrjInfo& prj)
{
    const TzqIniFile& ini = prj.Ini();
    TzqConfigValues v;
    v.StoredMyName = ini.ReadBytes(ProgramSection, u"MyName"_s, {});
    v.MyName = cp949::ToUnicode(v.StoredMyName);
    v.BootMode = prj.GetBootMode();
    v.Dex = prj.ReadFlag(TzqPrjInfo::idDex);
    v.MiniTray = prj.ReadFlag(TzqPrjInfo::idMiniTray);
    v.CharsGrid = prj.ReadFlag(TzqPrjInfo::idCharGrid);
    v.FindRootOption = prj.ReadFlag(TzqPrjInfo::idFindRootOption);
    v.AutoInterval = prj.ReadIntSetting(TzqPrjInfo::idAutoSave);
    v.StoredDateFormat = ini.ReadBytes(ProgramSection, u"DateFormat"_s, {});
    v.DateFormat = prj.ReadDateFormat();
    v.TextEditor = prj.TextEditor();
    v.StoredCharSet = ini.ReadBytes(ProgramSection, u"CharSet"_s, {});
    v.CharSet = prj.CharSet();
    v.FilesPanel = prj.ReadFlag(TzqPrjInfo::idFilePanel);
    v.CtrlDrag = prj.ReadFlag(TzqPrjInfo::idCtrlDrag);
    v.ChangeMsg = prj.ReadFlag(TzqPrjInfo::idChangeMsg);
    v.NoSplitter = prj.SplitterHidden();
    v.InsertNoteAppend = prj.ReadFlag(TzqPrjInfo::idInsertNoteAppend);
    v.ViewHangulMark = prj.ReadFlag(TzqPrjInfo::idViewHangulMark);
    v.DataDirs = TzqDataDirRows::Load(ini);
    for (int n = 1; n <= 9; ++n)
        v.Presets[n - 1] = ReadFormatPreset(ini, n);
    return v;
}

TzqConfigRefusal TzqConfigValues::Validate() const
{
    const auto refuse = [](TzqConfigRefusal::TField field, const QString& what,
                           const QString& chars) {
        return TzqConfigRefusal{
            field, u"%1에 설정 파일에 저장할 수 없는 문자가 있습니다: %2"_s.arg(what, chars)};
    };
    if (const QString bad = Unwritable(MyName.trimmed(), StoredMyName); !bad.isEmpty())
        return refuse(TzqConfigRefusal::MyName, u"나의 별명"_s, bad);
    if (const QString bad = Unwritable(DateFormat, StoredDateFormat); !bad.isEmpty())
        return refuse(TzqConfigRefusal::DateFormat, u"날짜 시간 형식"_s, bad);
    if (const QString bad = cp949::UnencodableChars(TextEditor); !bad.isEmpty())
        return refuse(TzqConfigRefusal::TextEditor, u"텍스트 에디터의 경로"_s, bad);
    if (const QString bad = Unwritable(CharSet.trimmed(), StoredCharSet); !bad.isEmpty())
        return refuse(TzqConfigRefusal::CharSet, u"charset"_s, bad);
    return {};
}

QString TzqConfigValues::CheckTextEditor(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return u"파일을 찾을 수 없습니다: %1"_s.arg(path);
    if (!info.isExecutable())
        return u"실행할 수 있는 파일이 아닙니다: %1"_s.arg(path);
    if (const QString bad = cp949::UnencodableChars(path); !bad.isEmpty())
        return u"텍스트 에디터의 경로에 설정 파일에 저장할 수 없는 문자가 있습니다: %1"_s.arg(bad);
    return {};
}

void TzqConfigValues::Save(TzqPrjInfo& prj) const
{
    prj.WriteTogether([this, &prj] {
        TzqIniFile& ini = prj.Ini();
        prj.WriteFlag(TzqPrjInfo::idMiniTray, MiniTray);
        prj.WriteFlag(TzqPrjInfo::idDex, Dex);
        prj.WriteFlag(TzqPrjInfo::idFilePanel, FilesPanel);
        prj.SetBootMode(BootMode);
        prj.WriteFlag(TzqPrjInfo::idCharGrid, CharsGrid);
        prj.WriteIntSetting(TzqPrjInfo::idAutoSave, std::clamp(AutoInterval, 0, MaxAutoInterval));
        ini.WriteBytes(ProgramSection, u"DateFormat"_s, TextBytes(DateFormat, StoredDateFormat));
        prj.SetTextEditor(TextEditor);
        prj.WriteFlag(TzqPrjInfo::idCtrlDrag, CtrlDrag);
        prj.WriteFlag(TzqPrjInfo::idChangeMsg, ChangeMsg);
        prj.SetNoSplitter(NoSplitter);
        prj.WriteFlag(TzqPrjInfo::idInsertNoteAppend, InsertNoteAppend);
        prj.WriteFlag(TzqPrjInfo::idViewHangulMark, ViewHangulMark);
        prj.WriteFlag(TzqPrjInfo::idFindRootOption, FindRootOption);
        // The cache takes the text; the file keeps its own bytes when the text is unchanged.
        const QString charSet = CharSet.trimmed();
        prj.SetCharSet(charSet);
        ini.WriteBytes(ProgramSection, u"CharSet"_s, TextBytes(charSet, StoredCharSet));
        ini.WriteBytes(ProgramSection, u"MyName"_s, TextBytes(MyName.trimmed(), StoredMyName));
        DataDirs.Save(ini);
        for (int n = 1; n <= 9; ++n)
            WriteFormatPreset(ini, n, Presets[n - 1]);
    });
}
