// The places of the folder pickers: root and home first, each place once, folders only (a container's bind
// mount of a single file is a mount point but no place), a folder found under its longest place.

#include "core/dialogs/folder_places.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

TEST(FolderPlaces, RootAndHomeFirstEachPlaceOnce)
{
    const QList<FolderPlace> places = folderPlaces();
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places.at(0).path, QStringLiteral("/"));
    QStringList paths;
    for (const FolderPlace& place : places)
        paths << place.path;
    EXPECT_TRUE(paths.contains(QDir::cleanPath(QDir::homePath())));
    EXPECT_EQ(paths.removeDuplicates(), 0);
    for (const QString& path : std::as_const(paths))
        EXPECT_TRUE(QFileInfo(path).isDir()) << path.toStdString();   // also under a bind mount of a file
}

TEST(FolderPlaces, VolumesThatAreNoFoldersAreLeftOut)
{
    const QString home = sorvanta::test::testHome();
    sorvanta::test::writeFileBytes(home + "resolv.conf", "nameserver 127.0.0.1\n");
    QDir().mkpath(home + "usb");
    const QList<FolderPlace> places = folderPlacesWith({{"resolv.conf", home + "resolv.conf"},
                                                        {"stick", home + "usb/"},
                                                        {"/", "/"},
                                                        {"gone", home + "unmounted"}});
    ASSERT_EQ(places.size(), 3);
    EXPECT_EQ(places.at(2).path, home + "usb");
    EXPECT_EQ(places.at(2).label, "stick (" + home + "usb)");
}

TEST(FolderPlaces, FolderBelongsToTheLongestPlace)
{
    const QList<FolderPlace> places{{"/", "/"}, {"home", "/home/ann"}, {"usb", "/media/usb"}, {"m", "/media"}};
    EXPECT_EQ(placeOfFolder(places, "/home/ann/books"), 1);
    EXPECT_EQ(placeOfFolder(places, "/media/usb"), 2);
    EXPECT_EQ(placeOfFolder(places, "/media/usbstick"), 3);
    EXPECT_EQ(placeOfFolder(places, "/etc"), 0);
}

}  // namespace
