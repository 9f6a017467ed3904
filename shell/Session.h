#pragma once

#include "core/GridTable.h"
#include "db/Catalogue.h"
#include "db/DeploymentSettings.h"
#include "workers/WorkerDirectory.h"

#include <memory>

namespace qm {
class Dialogs;
}

namespace qm::shell {

// What one run of the program works on, without any window: the deployment settings, the
// connection with its procedure components, the worker directory and the in-memory tables behind
// every grid. It is made before the window and outlives it, so no view ever shows a table that
// has already gone.
class Session {
public:
    Session(const db::DeploymentSettings& settings, Dialogs& dialogs);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Dialogs& dialogs() const { return dialogs_; }
    const db::DeploymentSettings& settings() const { return settings_; }
    db::Connection& ibcdbQXR() { return *ibcdbQXR_; }
    db::Catalogue& catalogue() { return *catalogue_; }
    workers::WorkerDirectory& arrayWithDataOfWorkers() { return arrayWithDataOfWorkers_; }

    // Opens ibcdbQXR; throws db::DbError with the client's text when it cannot.
    void open();
    // Closes the connection, then every procedure component.
    void close();

    GridTable& basketTable() { return basketTable_; }
    GridTable& checkTable() { return checkTable_; }
    GridTable& sellsTable() { return sellsTable_; }
    GridTable& importErrorsTable() { return importErrorsTable_; }
    GridTable& articlesTable() { return articlesTable_; }

private:
    Dialogs& dialogs_;
    db::DeploymentSettings settings_;
    std::unique_ptr<db::Connection> ibcdbQXR_;
    std::unique_ptr<db::Catalogue> catalogue_;
    workers::WorkerDirectory arrayWithDataOfWorkers_;
    GridTable basketTable_, checkTable_, sellsTable_, importErrorsTable_, articlesTable_;
};

} // namespace qm::shell
