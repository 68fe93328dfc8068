#include "app/welcomenote.h"

#include "platform/cp949.h"
#include "platform/textfile.h"
#include "platform/zqerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Lines of the welcome note; every line gets CR LF.
const char16_t* const WelcomeLines[] = {
    u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">",
    u"<title>zqQuillet 안내</title></head>",
    u"<body style=\"font-family: 굴림; font-size: 10pt\">",
    u"<h3>zqQuillet에 오신 것을 환영합니다</h3>",
    u"<p>왼쪽 트리의 폴더와 노트는 이 데이터 폴더의 보통 폴더와 HTML 파일입니다. 노트의 그림과 "
    u"첨부 파일은 노트 옆의 \"__노트이름\" 폴더에 들어갑니다.</p>",
    u"<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" style=\"font-size: 10pt\">",
    u"<tr><td>F6 / F7 / F8</td><td>보기 / 편집 / HTML 소스 편집</td></tr>",
    u"<tr><td>Ctrl+S</td><td>노트 저장 (편집 중에는 몇 분마다 저절로 저장됩니다)</td></tr>",
    u"<tr><td>Ctrl+Insert</td><td>새 노트 만들기</td></tr>",
    u"<tr><td>Ctrl+Shift+Insert</td><td>새 폴더 만들기</td></tr>",
    u"<tr><td>F2</td><td>이름 바꾸기</td></tr>",
    u"<tr><td>Ctrl+F</td><td>노트 안에서 찾기</td></tr>",
    u"<tr><td>Ctrl+Shift+F</td><td>폴더 안에서 찾기</td></tr>",
    u"<tr><td>Alt+Q / Alt+W</td><td>뒤로 / 앞으로</td></tr>",
    u"<tr><td>Ctrl+D</td><td>날짜와 시간 넣기 (편집 중)</td></tr>",
    u"<tr><td>F12</td><td>메모장</td></tr>",
    u"</table>",
    u"<p>웹 페이지를 복사해 붙여 넣으면 그림도 노트 폴더에 저장됩니다. 트리에서 오른쪽 단추를 "
    u"누르면 zip 파일, mht 파일 만들기와 불필요 파일 삭제가 있습니다.</p>",
    u"<p>이 노트는 지워도 됩니다.</p>",
    u"</body></html>",
};

} // namespace

void WriteWelcomeNote(const QString& dataDir)
{
    QByteArray bytes;
    for (const char16_t* line : WelcomeLines)
        bytes += cp949::FromUnicode(QStringView(line)) + "\r\n";
    try {
        textfile::WriteAll(QDir(dataDir).filePath(QStringView(WelcomeNoteName).toString()), bytes);
    } catch (const EzqError&) {
        // A data directory that takes no files shows its own error when it is opened.
    }
}

void SeedUserTemplates(const QString& shippedDir, const QString& userDir)
{
    if (QFileInfo::exists(userDir) || !QDir().mkpath(userDir))
        return;
    const QDir shipped(shippedDir);
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), QDir(userDir).filePath(name));
}
