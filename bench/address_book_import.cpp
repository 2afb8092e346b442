// Benchmark of the address-book import: writes a book of 100,000 contacts (e-mail, names, city, a birthday),
// imports it into a list grid as the import window does (events processed every few milliseconds), checks the
// rows and prints the seconds. Usage: bench_address_book_import [contacts]

#include "lists/address_book_import.h"
#include "platform/string_grid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray contactLine(int id)
{
    QByteArray line = QByteArray::number(id) + "^0^0^0^^^^^^^^";
    line += QByteArray::number(1 + id % 28) + "/" + QByteArray::number(1 + id % 12) + "/19" +
            QByteArray::number(50 + id % 50) + "^^^^^^";
    line += "Lee" + QByteArray::number(id) + "^Ann^^ann" + QByteArray::number(id) + "@example.com";
    for (int field = 21; field < 60; ++field)
        line += field == 34 ? "^Lyon" : "^";
    return line;
}

bool writeBook(const QString& folder, int contacts)
{
    QFile list(folder + "/ListAB.lab");
    QFile book(folder + "/big.abk");
    if (!list.open(QIODevice::WriteOnly) || !book.open(QIODevice::WriteOnly))
        return false;
    list.write("1^Big book^big^^^^\r\n");
    for (int id = 1; id <= contacts; ++id)
        book.write(contactLine(id) + "\r\n");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int contacts = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    QTemporaryDir folder;
    if (!folder.isValid() || !writeBook(folder.path(), contacts)) {
        std::fprintf(stderr, "cannot write the book\n");
        return 1;
    }
    StringGrid grid;
    QElapsedTimer clock;
    QElapsedTimer sincePump;
    int pumps = 0;
    clock.start();
    sincePump.start();
    const BookImportResult result = importAddressBook(grid, folder.path(), 1, [&](int, int) {
        if (sincePump.elapsed() >= 5) {
            QCoreApplication::processEvents();
            ++pumps;
            sincePump.restart();
        }
        return true;
    });
    const double seconds = clock.elapsed() / 1000.0;
    const bool ok = result.rowsWritten == contacts && grid.rowCount() == contacts + 1 &&
                    grid.cell(0, contacts) == QStringLiteral("ann%1@example.com").arg(contacts);
    std::printf("%d contacts imported in %.2f s (%d event passes), %d x %d grid: %s\n", contacts, seconds, pumps,
                grid.rowCount(), grid.columnCount(), ok ? "rows checked" : "ROWS WRONG");
    return ok ? 0 : 1;
}
