#pragma once

// Points HOME and XDG_DATA_HOME at a temporary folder for as long as it lives, so that what a
// test moves to the Trash lands in a Trash of its own and the user's is never touched.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TPrivateHome {
public:
    TPrivateHome() : FOldHome(qgetenv("HOME")), FOldDataHome(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("HOME", QFile::encodeName(FDir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(FDir.filePath(QStringLiteral("share"))));
    }
    ~TPrivateHome()
    {
        qputenv("HOME", FOldHome);
        if (FOldDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", FOldDataHome);
    }
    TPrivateHome(const TPrivateHome&) = delete;
    TPrivateHome& operator=(const TPrivateHome&) = delete;

    QString path() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
    QByteArray FOldHome;
    QByteArray FOldDataHome;
};

// A test suite that runs with a private home from its first test to its last: what it moves
// to the Trash lands in a Trash of its own.
class TPrivateHomeSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Home = new TPrivateHome; }
    static void TearDownTestSuite()
    {
        delete Home;
        Home = nullptr;
    }

    static inline TPrivateHome* Home = nullptr;
};
