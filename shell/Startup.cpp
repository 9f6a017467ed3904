#include "Startup.h"

#include "TerminationSignals.h"
#include "TfMainPanel.h"
#include "db/DbError.h"

#include <QFontDatabase>
#include <QStringList>
#include <cstdio>
#include <memory>

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
    // Whatever stops the start (settings, the window's components, the client library, the
    // connection) is shown in the error box and ends the program with 1, before any question.
    const auto refuse = [&](const QString& text) {
        tellTerminal(text);
        dialogs.errorReport(text);
        return 1;
    };
    // The session outlives the window, so every grid's table outlives its view.
    std::unique_ptr<Session> session;
    std::unique_ptr<TfMainPanel> fMainPanel;
    try {
        const db::DeploymentSettings settings =
            db::DeploymentSettings::load(db::DeploymentSettings::locate(executableDir));
        session = std::make_unique<Session>(settings, dialogs);
        fMainPanel = std::make_unique<TfMainPanel>(*session);
        fMainPanel->openConnection();
    } catch (const qm::Error& e) {
        return refuse(e.text());
    } catch (const std::exception& e) {
        return refuse(QString::fromLocal8Bit(e.what()));
    }
    const TerminationSignals termination;
    fMainPanel->show();
    return run(*fMainPanel);
}

} // namespace qm::shell
