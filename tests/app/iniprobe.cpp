// A stand-in for another instance of the program writing its settings: writes numbered keys
// into a settings file through TzqIniFile, one write per key, as the program does on closing.
//
//   iniprobe <settings file> <section> <key prefix> <count>
//
// Prints "ready" and waits for a line on standard input, so several probes can be released at
// the same moment; then writes <prefix>0 .. <prefix><count - 1>, the value of each being "값"
// followed by its key name, and prints "done" (exit code 0), or the error (exit code 1).
#include "app/zqinifile.h"
#include "platform/zqerror.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool countOk = false;
    const int count = args.size() == 5 ? args.at(4).toInt(&countOk) : 0;
    if (!countOk) {
        std::fputs("usage: iniprobe <settings file> <section> <key prefix> <count>\n", stderr);
        return 2;
    }
    TzqIniFile ini(args.at(1));
    const QString& section = args.at(2);
    const QString& prefix = args.at(3);

    std::puts("ready");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;

    try {
        for (int i = 0; i < count; ++i) {
            const QString key = prefix + QString::number(i);
            ini.WriteString(section, key, u"값"_s + key);
        }
    } catch (const EzqError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    std::puts("done");
    return 0;
}
