// The start-up sweep of the file writer's stale temporaries (platform/stale_temporaries.h), left by a run that was
// killed between a write and its rename. It looks where the program writes: the program folder and its "logs",
// the default project folder and the folders of the projects on the reopen list. Run once, after the settings
// are loaded and before the first window.
#pragma once

#include <QStringList>

// The paths it removed.
QStringList RemoveStaleTemporariesAtStartUp();
