// Vantorix: the counter program of the Quelmora fair.
//   Vantorix                    the counter
//   Vantorix --check-settings   checks this workstation's deployment settings and exits
#include "shell/SettingsCheck.h"
#include "shell/Startup.h"
#include "shell/TfMainPanel.h"
#include "shell/UnattendedDialogs.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--check-settings") == 0) {
        QCoreApplication app(argc, argv);
        return qm::shell::runSettingsCheck(QCoreApplication::applicationDirPath());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelmora"));
    qm::shell::loadFonts();
    qm::ui::QtDialogs qtDialogs;
    qm::shell::UnattendedDialogs unattended;
    qm::Dialogs& dialogs = qm::shell::UnattendedDialogs::requested()
                               ? static_cast<qm::Dialogs&>(unattended)
                               : qtDialogs;
    return qm::shell::startUp(dialogs, QApplication::applicationDirPath(),
                              [](qm::shell::TfMainPanel&) { return QApplication::exec(); });
}
