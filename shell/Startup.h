#pragma once

#include "core/Dialogs.h"

#include <QString>
#include <functional>

namespace qm::shell {

class TfMainPanel;

// Makes Tahoma (from Wine's fonts) and the metric-compatible faces known to the application.
void loadFonts();

// The program's start-up: deployment settings, the window with every control, then the
// connection. When the settings are malformed or the database cannot be reached, the error is
// shown and 1 returned before any window or question. Otherwise the window is shown and
// `run` (the message loop) gives the exit status.
int startUp(Dialogs& dialogs, const QString& executableDir,
            const std::function<int(TfMainPanel&)>& run);

} // namespace qm::shell
