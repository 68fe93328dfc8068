// Fuzzes the settings file store. The input is a file content followed by a few operations
// (reads, writes, section queries) run against that file in a temporary folder; after every
// write the untouched lines must still be there byte for byte, and a value written under
// plain names must read back unchanged.
#include "app/zqinifile.h"
#include "platform/cp949.h"
#include "platform/zqerror.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what)
{
    if (!ok)
        Fail(what);
}

QByteArray Bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct TLine {
    QByteArray Text;
    QByteArray End;
    bool operator==(const TLine&) const = default;
};

// Lines with their line ends (CR, LF or CR LF), as the store splits them.
std::vector<TLine> Lines(const QByteArray& bytes)
{
    std::vector<TLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype i = start;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        qsizetype end = 0;
        if (i < bytes.size())
            end = (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        lines.push_back({bytes.mid(start, i - start), bytes.mid(i, end)});
        start = i + end;
    }
    return lines;
}

// A write replaces one line, or adds one or two lines (key, or header and key) after a line
// that keeps its text but may gain the line end it lacked. Nothing else changes.
void CheckOtherLinesKept(const QByteArray& before, const QByteArray& after)
{
    const std::vector<TLine> o = Lines(before);
    const std::vector<TLine> n = Lines(after);
    size_t p = 0;
    while (p < o.size() && p < n.size() && o[p] == n[p])
        ++p;
    size_t s = 0;
    while (s < o.size() - p && s < n.size() - p && o[o.size() - 1 - s] == n[n.size() - 1 - s])
        ++s;
    const size_t oMid = o.size() - p - s;
    const size_t nMid = n.size() - p - s;
    Check(oMid <= 1, "more than one old line changed");
    Check(nMid >= oMid && nMid <= oMid + 2, "unexpected number of new lines");
    for (size_t i = p; i < p + nMid; ++i)
        Check(n[i].End == "\r\n", "a written line does not end in CR LF");
    if (oMid == 1 && nMid > 1) {
        // The old line stays and gains a line end; the new lines follow it.
        Check(o[p].End.isEmpty() && n[p].Text == o[p].Text, "line before the insertion changed");
    }
}

bool IsPlainName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 32)
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

bool IsPlainValue(const QByteArray& value)
{
    if (value.size() > 2047)
        return false;
    for (const char c : value) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    if (!value.isEmpty() && (value.front() == ' ' || value.back() == ' '))
        return false;
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !quoted;
}

// Decimal and hex forms checked against the C library.
void CheckParseInteger(const QByteArray& text)
{
    int value = 0x5A5A5A5A;
    const bool ok = TzqIniFile::ParseInteger(text, value);
    if (!ok) {
        Check(value == 0x5A5A5A5A, "failed parse changed the value");
    } else {
        int again = 0;
        Check(TzqIniFile::ParseInteger(QByteArray::number(value), again) && again == value,
              "decimal text of a parsed value does not parse back");
    }

    const std::string s = text.toStdString();
    if (s.find('\0') != std::string::npos || s.empty())
        return;
    const bool hex0x = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const bool hexDollar = s[0] == '$';
    const std::string digits = hex0x ? s.substr(2) : hexDollar ? s.substr(1) : s;
    const bool hex = hex0x || hexDollar;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    size_t first = 0;
    if (!hex && !digits.empty() && (digits[0] == '+' || digits[0] == '-'))
        first = 1;
    const bool wellFormed =
        digits.size() > first && digits.find_first_not_of(allowed, first) == std::string::npos;
    if (!wellFormed) {
        Check(!ok, "malformed integer accepted");
        return;
    }
    errno = 0;
    if (hex) {
        const unsigned long long v = std::strtoull(digits.c_str(), nullptr, 16);
        const bool fits = errno == 0 && v <= 0xFFFFFFFFull;
        Check(ok == fits, "hex range");
        if (fits)
            Check(value == static_cast<int>(static_cast<unsigned>(v)), "hex value");
    } else {
        const long long v = std::strtoll(digits.c_str(), nullptr, 10);
        const bool fits = errno == 0 && v >= INT_MIN && v <= INT_MAX;
        Check(ok == fits, "decimal range");
        if (fits)
            Check(value == v, "decimal value");
    }
}

const QString& IniPath()
{
    // Every write syncs the file to disk; in memory the fuzzer runs a hundred times faster.
    static QTemporaryDir dir(QDir(u"/dev/shm"_s).exists()
                                 ? u"/dev/shm/fuzz_ini-XXXXXX"_s
                                 : QDir::tempPath() + u"/fuzz_ini-XXXXXX"_s);
    static const QString path = dir.filePath(u"zqQuillet.ini"_s);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const QString& path = IniPath();
    {
        const QByteArray content = Bytes(fdp.ConsumeRandomLengthString(8192));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot prepare the file");
        f.write(content);
    }
    TzqIniFile ini(path);

    const int ops = fdp.ConsumeIntegralInRange<int>(1, 8);
    for (int op = 0; op < ops && fdp.remaining_bytes() > 0; ++op) {
        const int kind = fdp.ConsumeIntegralInRange<int>(0, 6);
        const QByteArray sectionBytes = Bytes(fdp.ConsumeRandomLengthString(24));
        const QByteArray keyBytes = Bytes(fdp.ConsumeRandomLengthString(24));
        QByteArray value = Bytes(fdp.ConsumeRandomLengthString(256));
        if (fdp.ConsumeBool())
            value = value.repeated(3000 / (value.size() + 1) + 1);
        const QString section = cp949::ToUnicode(sectionBytes);
        const QString key = cp949::ToUnicode(keyBytes);
        CheckParseInteger(value);

        switch (kind) {
        case 0: {
            const QByteArray got = ini.ReadBytes(section, key, {});
            Check(got.size() <= 2047, "value longer than 2047 bytes");
            Check(!got.contains('\r') && !got.contains('\n'), "value spans lines");
            ini.ReadString(section, key, {});
            break;
        }
        case 1:
        case 2: {
            const QByteArray raw = ini.ReadBytes(section, key, "\x01missing");
            int parsed = 0;
            const int expected =
                raw != "\x01missing" && TzqIniFile::ParseInteger(raw, parsed) ? parsed : -77;
            Check(ini.ReadInteger(section, key, -77) == expected, "ReadInteger");
            Check(ini.ReadBool(section, key, true) == (expected == -77 ? true : expected != 0),
                  "ReadBool");
            break;
        }
        case 3:
        case 4: {
            const QByteArray before = ReadFile(path);
            try {
                if (kind == 3)
                    ini.WriteBytes(section, key, value);
                else
                    ini.WriteString(section, key, cp949::ToUnicode(value));
            } catch (const EzqError&) {
                Fail("write failed");
            }
            const QByteArray after = ReadFile(path);
            CheckOtherLinesKept(before, after);
            if (kind == 3 && IsPlainName(sectionBytes) && IsPlainName(keyBytes) &&
                IsPlainValue(value)) {
                Check(ini.ReadBytes(section, key, "\x01missing") == value, "value read back");
                Check(ini.SectionExists(section), "section of a written key missing");
                Check(ini.ReadSection(section).contains(key, Qt::CaseInsensitive),
                      "written key not listed");
            }
            break;
        }
        case 5:
            ini.SectionExists(section);
            break;
        default:
            ini.ReadSection(section);
            break;
        }
    }
    return 0;
}
