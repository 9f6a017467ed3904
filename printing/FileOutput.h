#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace qm::printing {

// Writes a file whole or not at all: the content goes into a temporary file beside the target,
// which replaces the target only when it is complete. When anything fails (the folder, the
// rights, the disk, or `write` throwing), no partial file is left and an existing file of that
// name is kept; qm::AppError names the file and the reason in Polish. An error thrown by `write`
// goes on as it is.
void writeFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write);

} // namespace qm::printing
