// The places of the folder pickers.

#include "core/dialogs/folder_places.h"

#include <gtest/gtest.h>

#include <QDir>

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
