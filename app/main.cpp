// Vantorix: the counter program of the Quelmora fair.
#include "shell/Startup.h"
#include "shell/TfMainPanel.h"
#include "ui/QtDialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelmora"));
    qm::shell::loadFonts();
    qm::ui::QtDialogs dialogs;
    return qm::shell::startUp(dialogs, QApplication::applicationDirPath(),
                              [](qm::shell::TfMainPanel&) { return QApplication::exec(); });
}
