#pragma once

#include "platform/cp949.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <random>

// A store of generated CP949 notes for the benchmarks: fifty notes to a folder, about 6.5 KB
// each of Korean and Latin words in paragraphs, CR LF. The same count gives the same store.
inline void GenerateNotes(const QString& root, int notes)
{
    const QStringList korean =
        QStringLiteral("회의 계획 일정 보고서 프로젝트 똠방각하 뷁 데이터 노트 "
                       "검색 문서 자료 정리 오늘 내일 읽기 쓰기 사진 첨부 "
                       "폴더 메모 학교 회사 가족 여행 음식 날씨")
            .split(u' ');
    const QStringList latin =
        QStringLiteral("plan Meeting NOTES design review Budget server release Summary draft todo")
            .split(u' ');
    std::mt19937 random(notes);
    QByteArray folder;
    for (int i = 0; i < notes; ++i) {
        if (i % 50 == 0) {
            folder = QFile::encodeName(root) + "/folder " + QByteArray::number(i / 50);
            QDir().mkpath(QFile::decodeName(folder));
        }
        QByteArray bytes = "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; "
                           "charset=euc-kr\">\r\n</HEAD>\r\n<BODY>\r\n";
        const std::size_t target = 1500 + random() % 10000;
        while (std::size_t(bytes.size()) < target) {
            QString line = QStringLiteral("<P>");
            for (unsigned w = 8 + random() % 20; w > 0; --w) {
                line += random() % 3 == 0 ? latin[qsizetype(random() % latin.size())]
                                          : korean[qsizetype(random() % korean.size())];
                line += u' ';
            }
            bytes += cp949::FromUnicode(line) + "</P>\r\n";
        }
        bytes += "</BODY></HTML>\r\n";
        QFile file(QFile::decodeName(folder + "/note " + QByteArray::number(i) + ".htm"));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}
