#include "SettingsCheck.h"

#include "db/Catalogue.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DeploymentSettings.h"

#include <QDate>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qm::shell {

namespace {

constexpr int kProbeTimeoutMs = 5000;

// Why nothing accepts TCP connections at host:port within the timeout, or an empty text when
// something does. Tells an unreachable server apart from a login the server refuses.
QString serverProblem(const QString& host, const QString& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), port.toUtf8().constData(), &hints, &found) != 0)
        return QStringLiteral("Nie można ustalić adresu serwera bazy danych „%1”: sprawdź "
                              "server= i sieć tego stanowiska.")
            .arg(host);
    bool answered = false;
    for (addrinfo* a = found; a && !answered; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0)
            continue;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t length = sizeof error;
            answered = poll(&p, 1, kProbeTimeoutMs) == 1 &&
                       getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        close(fd);
    }
    freeaddrinfo(found);
    if (answered)
        return {};
    return QStringLiteral("Serwer bazy danych %1 nie odpowiada na porcie %2: sprawdź server= i "
                          "port= oraz czy serwer Firebird działa i jest osiągalny z tego "
                          "stanowiska.")
        .arg(host, port);
}

// The Polish reading of the client's refusal to attach; the client's own text follows it.
QString attachProblem(const db::DeploymentSettings& s, const QString& clientText) {
    QString why;
    if (clientText.contains(QLatin1String("user name and password are not defined")))
        why = QStringLiteral("Serwer odrzucił logowanie użytkownika %1: błędne hasło (password=) "
                             "albo na serwerze nie ma takiego użytkownika (user=).")
                  .arg(s.user);
    else if (clientText.contains(QLatin1String("I/O error")) ||
             clientText.contains(QLatin1String("Error while trying to open file")))
        why = QStringLiteral("Serwer nie może otworzyć bazy danych %1: sprawdź ścieżkę (path=).")
                  .arg(s.database);
    else
        why = QStringLiteral("Nie można połączyć się z bazą danych %1.").arg(s.connectionString());
    return why + QStringLiteral("\n  Komunikat klienta Firebird: ") + clientText;
}

void checkStatementLines(const db::DeploymentSettings& s, QStringList& problems) {
    const struct {
        const QString& value;
        const char* line; // what the line holds and its key
        const char* consequence;
    } lines[] = {
        {s.placeName, "miejscowości (place=)",
         "wiersz daty oświadczenia zaczynałby się od „, dnia”"},
        {s.employerStreet, "ulicy pracodawcy (street=)", "oświadczenie nie miałoby pełnego adresu"},
        {s.employerPostcode, "kodu pocztowego i miasta pracodawcy (postcode=)",
         "oświadczenie nie miałoby pełnego adresu"},
    };
    for (const auto& line : lines)
        if (line.value.isEmpty())
            problems << QStringLiteral("Brak %1 w sekcji [statement]: %2.")
                            .arg(QString::fromUtf8(line.line), QString::fromUtf8(line.consequence));
}

void checkDatabase(const db::DeploymentSettings& s, SettingsCheck& check) {
    if (s.password.isEmpty()) {
        check.problems << QStringLiteral("Brak hasła (password=) w sekcji [database]; wiersz "
                                         "z hasłem wypisuje quelmora-cipher.");
        return;
    }
    if (const QString problem = serverProblem(s.server, s.port); !problem.isEmpty()) {
        check.problems << problem;
        return;
    }
    try {
        db::Connection connection(s);
        try {
            connection.open();
        } catch (const db::DbError& e) {
            check.problems << attachProblem(s, e.text());
            return;
        }
        db::Catalogue catalogue(connection);
        db::Procedure& serverDate = catalogue.ibcspCurrentServerDate;
        try {
            serverDate.open();
            const QDateTime today = serverDate.asDateTime(db::col::kCurrentDate);
            if (!today.isValid())
                throw db::DbError(QStringLiteral("brak daty w wyniku"));
            check.notes << QStringLiteral("Połączono z bazą %1 jako %2; data serwera: %3.")
                               .arg(s.connectionString(), s.user,
                                    today.date().toString(QStringLiteral("dd.MM.yyyy")));
        } catch (const db::DbError& e) {
            check.problems << QStringLiteral("Połączono z bazą %1, ale procedura "
                                             "CURRENT_SERVER_DATE nie działa: to nie jest baza "
                                             "programu albo użytkownik %2 nie ma uprawnień.\n"
                                             "  Komunikat klienta Firebird: %3")
                                  .arg(s.connectionString(), s.user, e.text());
        }
        catalogue.closeAll();
        connection.close();
    } catch (const qm::Error& e) {
        check.problems << QStringLiteral("Nie można połączyć się z bazą danych %1: %2")
                              .arg(s.connectionString(), e.text());
    }
}

} // namespace

SettingsCheck checkSettings(const QString& path) {
    SettingsCheck check;
    check.file = path;
    check.notes << QStringLiteral("Plik ustawień: %1").arg(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        check.problems << QStringLiteral("Plik ustawień %1 nie istnieje: program przyjąłby "
                                         "ustawienia domyślne, bez hasła i bez adresu "
                                         "pracodawcy.")
                              .arg(path);
        return check;
    }
    if (info.isDir()) {
        check.problems
            << QStringLiteral("Nie można odczytać pliku ustawień %1: to jest katalog.").arg(path);
        return check;
    }
    db::DeploymentSettings settings;
    try {
        settings = db::DeploymentSettings::load(path);
    } catch (const db::SettingsError& e) {
        check.problems << e.text();
        return check;
    }
    checkDatabase(settings, check);
    checkStatementLines(settings, check.problems);
    return check;
}

int runSettingsCheck(const QString& executableDir) {
    const SettingsCheck check = checkSettings(db::DeploymentSettings::locate(executableDir));
    for (const QString& note : check.notes)
        std::fprintf(stdout, "%s\n", note.toLocal8Bit().constData());
    std::fflush(stdout);
    for (const QString& problem : check.problems)
        std::fprintf(stderr, "BŁĄD: %s\n", problem.toLocal8Bit().constData());
    if (check.passed()) {
        std::fprintf(stdout, "Ustawienia są poprawne.\n");
        return 0;
    }
    std::fprintf(stderr, "Ustawienia wymagają poprawy: program nie powinien pracować z tym "
                         "plikiem.\n");
    return 1;
}

} // namespace qm::shell
