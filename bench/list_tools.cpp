// Benchmark of the list tools on a list of 1,000,000 records x 10 fields (bench/list_generator.h: a fifth of
// the addresses repeated in random case). Duplicates: loads the list, removes duplicates by the e-mail column
// through removeDuplicateRows, saves, and checks the bytes against `mawk -F';' '!seen[tolower($1)]++'` on the
// same file; prints the seconds and the peak resident memory beside mawk's time. Keyword filter: reloads the
// list and runs the exact filter with 100,000 keywords (80,000 of them addresses of the list in random case)
// from the keyword file to the ".del" file, then times "Contains keywords" over the same keywords.
// Usage: bench_list_tools [rows] [folder]

#include "bench/list_generator.h"
#include "core/project/list_file.h"
#include "lists/keyword_filter.h"
#include "lists/remove_duplicates.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

using namespace bench;

namespace {

double runMawk(const QString& input, const QString& output)
{
    QElapsedTimer timer;
    timer.start();
    QProcess mawk;
    mawk.setStandardOutputFile(output);
    mawk.start("mawk", {"-F;", "!seen[tolower($1)]++", input});
    if (!mawk.waitForFinished(-1) || mawk.exitCode() != 0) {
        std::printf("mawk did not run: %s\n", qPrintable(mawk.errorString()));
        return -1;
    }
    return secondsOf(timer);
}

// 100,000 keywords: most of them list addresses in random case, the rest addresses no row has.
void writeKeywords(const QString& path, const std::vector<int>& own, int count)
{
    std::mt19937 random(99);
    std::vector<int> chosen = own;
    std::shuffle(chosen.begin(), chosen.end(), random);
    QByteArray bytes;
    const int present = count * 4 / 5;
    for (int i = 0; i < count; ++i) {
        const std::string address = i < present && std::size_t(i) < chosen.size()
                                        ? randomCase(listAddress(chosen[std::size_t(i)]), random)
                                        : "nobody" + std::to_string(i) + "@example.invalid";
        bytes += QByteArray::fromStdString(address) + "\r\n";
    }
    writeFileAtomically(path, bytes);
}

bool removeDuplicates(const QString& input, const QString& output, const QString& mawkOutput)
{
    QElapsedTimer timer;
    timer.start();
    StringGrid grid;
    if (!ReadListFile(grid, input, ";").fileFound)
        return false;
    const double loadSeconds = secondsOf(timer);
    timer.restart();
    const int removed = removeDuplicateRows(grid, {true});
    const double removeSeconds = secondsOf(timer);
    timer.restart();
    const bool written = SaveListFile(grid, output, ";");
    const double saveSeconds = secondsOf(timer);
    const double peak = statusMegabytes("VmHWM");
    const double mawkSeconds = runMawk(input, mawkOutput);
    const bool same = written && sameFiles(output, mawkOutput);
    std::printf("duplicates: %d removed, %d kept\n", removed, grid.rowCount() - 1);
    std::printf("  load %.2f s, removal %.2f s, save %.2f s; mawk %.2f s (target: removal no slower)\n", loadSeconds,
                removeSeconds, saveSeconds, mawkSeconds);
    std::printf("  peak resident %.0f MB (target 300)\n", peak);
    std::printf("  saved bytes %s mawk's output\n", same ? "equal" : "DIFFER FROM");
    return same;
}

void filterByKeywords(const QString& input, const QString& keywordFile, const QString& removedFile)
{
    StringGrid list;
    ReadListFile(list, input, ";");
    QElapsedTimer timer;
    timer.start();
    StringGrid keywords;
    loadKeywordFile(keywords, keywordFile, u';');
    const std::vector<bool> containsMarks = matchingRows(list, 0, KeywordMatcher(keywords, 0, KeywordMatch::Contains));
    const double containsSeconds = secondsOf(timer);
    const auto containsMatches = std::count(containsMarks.begin(), containsMarks.end(), true);

    timer.restart();
    loadKeywordFile(keywords, keywordFile, u';');
    const std::vector<bool> marks = matchingRows(list, 0, KeywordMatcher(keywords, 0, KeywordMatch::Exact));
    const StringGrid removed = takeMarkedRows(list, marks);
    const bool written = writeFileAtomically(removedRowsFileName(removedFile), removedRowsBytes(removed));
    const double exactSeconds = secondsOf(timer);
    std::printf("keyword filter: %d keywords, exact %d matches in %.2f s (target 2.0)%s, rows left %d\n",
                keywords.rowCount() - 1, removed.rowCount(), exactSeconds, written ? "" : " WRITE FAILED",
                list.rowCount() - 1);
    std::printf("  contains: %lld matches in %.2f s\n", (long long)containsMatches, containsSeconds);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir scratch(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/list-tools-XXXXXX" : QString());
    const QString input = scratch.filePath("list.txt");
    const std::vector<int> own = writeList(input, rows);
    std::printf("list: %d records x %d fields, %.1f MB, %zu addresses of their own\n", rows, kListColumns,
                double(QFileInfo(input).size()) / 1e6, own.size());
    const bool same = removeDuplicates(input, scratch.filePath("unique.txt"), scratch.filePath("mawk.txt"));
    writeKeywords(scratch.filePath("keywords.txt"), own, std::min(100000, rows / 10));
    filterByKeywords(input, scratch.filePath("keywords.txt"), scratch.filePath("removed"));
    return same ? 0 : 1;
}
