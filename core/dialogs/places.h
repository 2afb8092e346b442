// The places a file chooser offers in place of drives: the root, the home folder and the mounted volumes,
// each once, in that order. One helper for every chooser that lists them.
#pragma once

#include <QString>
#include <QStringList>

QStringList filePlaces();
