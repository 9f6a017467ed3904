#include "Startup.h"

#include "TfMainPanel.h"
#include "db/DbError.h"

#include <QFontDatabase>
#include <QStringList>
#include <cstdio>

namespace qm::shell {

void loadFonts() {
    for (const char* file :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QString::fromLatin1(file));
}

namespace {

void tellTerminal(const QString& text) {
    std::fprintf(stderr, "Vantorix: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int startUp(Dialogs& dialogs, const QString& executableDir,
            const std::function<int(TfMainPanel&)>& run) {
    db::DeploymentSettings settings;
    try {
        settings = db::DeploymentSettings::load(db::DeploymentSettings::locate(executableDir));
    } catch (const db::SettingsError& e) {
        tellTerminal(e.text());
        dialogs.errorReport(e.text());
        return 1;
    }
    // The session outlives the window, so every grid's table outlives its view.
    Session session(settings, dialogs);
    TfMainPanel fMainPanel(session);
    try {
        fMainPanel.openConnection();
    } catch (const db::DbError& e) {
        tellTerminal(e.text());
        dialogs.errorReport(e.text());
        return 1;
    }
    fMainPanel.show();
    return run(fMainPanel);
}

} // namespace qm::shell
