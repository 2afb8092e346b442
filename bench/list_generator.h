// The benchmarks' list: records of 10 fields, e-mail first, ";" between fields, CR LF after every line. A
// fifth of the lines repeat the address of an earlier line, in random letter case; the others have an
// address of their own. Also the figures of /proc/self/status and a byte comparison of two files.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace bench {

constexpr int kListColumns = 10;

inline const char* const kFirstNames[] = {"Anna", "Bert", "Carla", "Dirk", "Elke", "Frank", "Greta", "Hans", "Ines", "Jan"};
inline const char* const kLastNames[] = {"Meyer", "Schmidt", "Novak", "Rossi", "Dubois", "Jansen", "Berg", "Kowalski"};
inline const char* const kCities[] = {"Berlin", "Lyon", "Turin", "Ghent", "Graz", "Malmo", "Porto", "Brno", "Cork"};
inline const char* const kDomains[] = {"example.com", "mail.example.org", "post.example.net", "example.de"};

template <std::size_t N>
const char* pick(const char* const (&names)[N], std::mt19937& random)
{
    return names[random() % N];
}

inline std::string randomCase(std::string text, std::mt19937& random)
{
    for (char& c : text)
        c = char(random() % 2 ? std::toupper(static_cast<unsigned char>(c)) : std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The address of the index-th address of its own: the same index always gives the same address.
inline std::string listAddress(int index)
{
    return "user" + std::to_string(index) + "." + kLastNames[std::size_t(index) % std::size(kLastNames)] + "@"
           + kDomains[std::size_t(index / 7) % std::size(kDomains)];
}

// Writes the list; answers the indexes of the addresses of their own (for keyword sets).
inline std::vector<int> writeList(const QString& path, int rows)
{
    std::mt19937 random(20240601);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    std::vector<int> own;
    std::string block;
    char buffer[256];
    for (int row = 0; row < rows; ++row) {
        const bool repeat = !own.empty() && random() % 5 == 0;
        std::string mail;
        if (repeat) {
            mail = randomCase(listAddress(own[random() % own.size()]), random);
        } else {
            own.push_back(row);
            mail = listAddress(row);
        }
        std::snprintf(buffer, sizeof buffer, "%s;%s;%s;%s;+49 30 %07u;%s GmbH;20%02u-%02u-%02u;%u;%05u;DE\r\n",
                      mail.c_str(), pick(kFirstNames, random), pick(kLastNames, random), pick(kCities, random),
                      unsigned(random() % 10000000), pick(kLastNames, random), unsigned(random() % 25),
                      unsigned(random() % 12 + 1), unsigned(random() % 28 + 1), unsigned(random() % 100000),
                      unsigned(random() % 100000));
        block += buffer;
        if (block.size() > (1 << 20)) {
            file.write(block.data(), qint64(block.size()));
            block.clear();
        }
    }
    file.write(block.data(), qint64(block.size()));
    return own;
}

// A figure of /proc/self/status in megabytes: "VmHWM" (peak resident) or "VmRSS" (resident now).
inline double statusMegabytes(const QByteArray& field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return double(line.mid(field.size() + 1).trimmed().split(' ').first().toLong()) / 1024;
    return -1;
}

inline bool sameFiles(const QString& a, const QString& b)
{
    QFile first(a), second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd())
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    return true;
}

inline double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

}  // namespace bench
