#pragma once

// A web archive as an independent reader sees it: Python's email package, through
// tests/tools/readmhtml.py (its path is MHTML_READER, set by the test's CMake target).

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

inline QJsonObject ReadArchive(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QString::fromUtf8(MHTML_READER), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "the reader failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
