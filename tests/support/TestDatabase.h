#pragma once

#include "db/DeploymentSettings.h"

#include <QProcess>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace qm::test {

// A fresh database made from the project's own schema on the local Firebird server, dropped when
// the object goes. Tests reach it as the program does, as the user QUELMORA.
class TestDatabase {
public:
    // demo: load the demo data too.
    explicit TestDatabase(const QString& name, bool demo = false);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const QString& path() const { return path_; }
    // Deployment settings of a program pointed at this database.
    qm::db::DeploymentSettings settings() const;
    // Runs SQL as SYSDBA through isql-fb, for arranging data outside the program. Fails the
    // test (throws) on any SQL error.
    void sql(const QString& statements) const;
    // Runs a query as SYSDBA and returns isql's output (list mode).
    QString query(const QString& select) const;

    // One database shared by all tests of a test program.
    static TestDatabase& shared();

private:
    QString path_;
};

// Another client's change left uncommitted while the object lives: isql-fb runs the statement in
// an open transaction, holding its row locks, and rolls it back at the end.
//
// The hold lasts at most maxHoldMs: a write of the program that waits for the held rows instead
// of being refused would otherwise hang the test. When the time runs out, the other client is
// killed (the server then lets its rows go) and the running test fails.
class UncommittedChange {
public:
    static constexpr int kMaxHoldMs = 20000;

    UncommittedChange(const TestDatabase& db, const QString& statement, int maxHoldMs = kMaxHoldMs);
    ~UncommittedChange();
    UncommittedChange(const UncommittedChange&) = delete;
    UncommittedChange& operator=(const UncommittedChange&) = delete;

private:
    std::unique_ptr<QProcess> isql_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool ending_ = false;
    bool expired_ = false;
    std::thread watchdog_;
};

QString sourceDir();
QString sysdbaPassword();

} // namespace qm::test
