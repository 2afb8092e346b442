// Start-up clean-up of the file writer's temporaries: on a file system without unnamed temporaries, a program
// killed between a write and its rename leaves one (".<name>.sorvanta-tmp-XXXXXX", owner-only, maybe holding
// passwords); elsewhere only a kill in the instant between naming the temporary and the rename does. Only the
// writer's own names are touched, only regular files of this user, and only those no running writer holds
// locked; everything else stays.
#pragma once

#include <QString>
#include <QStringList>

// Removes the stale temporaries directly in folder; answers their names.
QStringList removeStaleTemporaries(const QString& folder);
