#include "TestDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/types.h>

namespace qm::test {

QString sourceDir() {
    return QStringLiteral(QM_SOURCE_DIR);
}

namespace {

QString run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        throw std::runtime_error("cannot start " + program.toStdString());
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(10000);
        throw std::runtime_error((program + " " + args.join(' ') + " did not end within 120 s:\n" +
                                  QString::fromUtf8(p.readAll()))
                                     .toStdString());
    }
    const QString out = QString::fromUtf8(p.readAll());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(
            (program + " " + args.join(' ') + " failed:\n" + out).toStdString());
    return out;
}

} // namespace

QString sysdbaPassword() {
    QFile f(QStringLiteral("/etc/firebird/3.0/SYSDBA.password"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the SYSDBA password file");
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("ISC_PASSWORD=")) {
            QByteArray v = line.mid(13).trimmed();
            if (v.startsWith('"') && v.endsWith('"'))
                v = v.mid(1, v.size() - 2);
            return QString::fromUtf8(v);
        }
    }
    throw std::runtime_error("no ISC_PASSWORD in the SYSDBA password file");
}

TestDatabase::TestDatabase(const QString& name, bool demo) {
    path_ = QStringLiteral("/var/lib/quelmora/test-%1-%2.fdb")
                .arg(name)
                .arg(QCoreApplication::applicationPid());
    QFile::remove(path_);
    QStringList args{sourceDir() + QStringLiteral("/scripts/create-db"), path_};
    if (demo)
        args << QStringLiteral("--demo");
    run(QStringLiteral("bash"), args);
}

TestDatabase::~TestDatabase() {
    QFile::remove(path_);
}

qm::db::DeploymentSettings TestDatabase::settings() const {
    qm::db::DeploymentSettings s;
    s.server = QStringLiteral("127.0.0.1");
    s.port = QStringLiteral("3050");
    s.database = path_;
    s.user = QStringLiteral("QUELMORA");
    s.password = qEnvironmentVariable("QUELMORA_DB_PASSWORD", QStringLiteral("quelmora"));
    s.charset = QStringLiteral("WIN1250");
    s.placeName = QStringLiteral("Jasienica");
    s.employerStreet = QStringLiteral("ul. Fabryczna 7");
    s.employerPostcode = QStringLiteral("43-385 Jasienica");
    return s;
}

void TestDatabase::sql(const QString& statements) const {
    query(statements);
}

QString TestDatabase::query(const QString& select) const {
    const QByteArray script = "SET LIST ON;\n" + select.toUtf8() + "\nCOMMIT;\n";
    return run(QStringLiteral("isql-fb"),
               {QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-ch"),
                QStringLiteral("UTF8"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                QStringLiteral("-password"), sysdbaPassword(),
                QStringLiteral("localhost/3050:") + path_},
               script);
}

TestDatabase& TestDatabase::shared() {
    static std::unique_ptr<TestDatabase> db;
    if (!db)
        db = std::make_unique<TestDatabase>(QCoreApplication::applicationName().isEmpty()
                                                ? QStringLiteral("shared")
                                                : QCoreApplication::applicationName());
    return *db;
}

} // namespace qm::test

namespace qm::test {

UncommittedChange::UncommittedChange(const TestDatabase& db, const QString& statement,
                                     int maxHoldMs)
    : isql_(std::make_unique<QProcess>()) {
    isql_->setProcessChannelMode(QProcess::MergedChannels);
    isql_->start(QStringLiteral("isql-fb"),
                 {QStringLiteral("-q"), QStringLiteral("-ch"), QStringLiteral("UTF8"),
                  QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
                  sysdbaPassword(), QStringLiteral("localhost/3050:") + db.path()});
    if (!isql_->waitForStarted(10000))
        throw std::runtime_error("cannot start isql-fb");
    isql_->write("SET AUTODDL OFF;\n" + statement.toUtf8() +
                 ";\nSELECT 'HELD' || 'NOW' FROM RDB$DATABASE;\n");
    QByteArray seen;
    while (!seen.contains("HELDNOW")) {
        if (!isql_->waitForReadyRead(20000))
            throw std::runtime_error("isql-fb did not run: " + seen.toStdString());
        seen += isql_->readAll();
    }
    if (seen.contains("Statement failed") || seen.contains("SQLSTATE"))
        throw std::runtime_error("the held change failed: " + seen.toStdString());
    // The process is not touched from the watchdog's thread, only signalled by its id.
    const auto pid = static_cast<pid_t>(isql_->processId());
    watchdog_ = std::thread([this, pid, maxHoldMs] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!released_.wait_for(lock, std::chrono::milliseconds(maxHoldMs),
                                [this] { return ending_; })) {
            expired_ = true;
            ::kill(pid, SIGKILL);
        }
    });
}

UncommittedChange::~UncommittedChange() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    released_.notify_all();
    watchdog_.join();
    if (expired_)
        ADD_FAILURE() << "another client's uncommitted change was still held after its time ran "
                         "out: something waited for it";
    isql_->write("ROLLBACK;\nQUIT;\n");
    isql_->closeWriteChannel();
    if (!isql_->waitForFinished(20000))
        isql_->kill();
}

} // namespace qm::test
