#include "FileOutput.h"

#include "core/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace qm::printing {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw qm::AppError(
        QStringLiteral("Nie można zapisać pliku %1: %2.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason));
}

QString reasonOf(const QSaveFile& file) {
    QString reason;
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        reason = QStringLiteral("brak uprawnień do zapisu");
        break;
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        reason = QStringLiteral("błąd zapisu (na przykład brak miejsca na dysku)");
        break;
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
        reason = QStringLiteral("nie można zastąpić istniejącego pliku");
        break;
    default:
        reason = QStringLiteral("nie można utworzyć pliku");
        break;
    }
    // The system's own words help whoever looks into it.
    if (!file.errorString().isEmpty())
        reason += QStringLiteral(" (%1)").arg(file.errorString());
    return reason;
}

} // namespace

void writeFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write) {
    const QFileInfo target(path);
    if (target.isDir())
        fail(path, QStringLiteral("pod tą nazwą istnieje już folder"));
    if (!target.absoluteDir().exists())
        fail(path, QStringLiteral("folder %1 nie istnieje")
                       .arg(QDir::toNativeSeparators(target.absolutePath())));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, reasonOf(file));
    try {
        write(file);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        fail(path, reasonOf(file));
}

} // namespace qm::printing
