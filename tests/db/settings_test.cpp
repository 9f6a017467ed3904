// Deployment settings and the connection's code page: pure text handling, no server.
#include "db/DbError.h"
#include "db/DeploymentSettings.h"
#include "db/Procedure.h"
#include "db/TextCodec.h"

#include <gtest/gtest.h>

using namespace qm::db;

TEST(DeploymentSettings, ReadsEveryKeyAndDeciphersThePassword) {
    const QString text =
        QStringLiteral(
            "; QXR, Jasienica\n[database]\nserver = 10.1.2.3\nport=3051\npath=/baza/x.fdb\n"
            "user=QUELMORA\npassword=%1\ncharset=UTF8\n\n[statement]\nplace=Jasienica\n"
            "street=ul. Fabryczna 7\npostcode=43-385 Jasienica\n")
            .arg(encipherPassword(QStringLiteral("zażółć")));
    const DeploymentSettings s = DeploymentSettings::parse(text, QStringLiteral("t.ini"));
    EXPECT_EQ(s.connectionString(), QStringLiteral("10.1.2.3/3051:/baza/x.fdb"));
    EXPECT_EQ(s.password, QStringLiteral("zażółć"));
    EXPECT_EQ(s.charset, QStringLiteral("UTF8"));
    EXPECT_EQ(s.employerStreet, QStringLiteral("ul. Fabryczna 7"));
    EXPECT_EQ(s.employerPostcode, QStringLiteral("43-385 Jasienica"));
}

TEST(DeploymentSettings, MissingFileGivesTheDefaults) {
    const DeploymentSettings s = DeploymentSettings::load(QStringLiteral("/nonexistent/q.ini"));
    EXPECT_EQ(s.port, QStringLiteral("3050"));
    EXPECT_EQ(s.database, QStringLiteral("/baza/quelmora.fdb"));
    EXPECT_EQ(s.user, QStringLiteral("QUELMORA"));
    EXPECT_EQ(s.charset, QStringLiteral("WIN1250"));
}

TEST(DeploymentSettings, MalformedFilesAreRefusedWithoutShowingThePassword) {
    const QString secret = QStringLiteral("sekret");
    const struct {
        const char* text;
        const char* why;
    } cases[] = {
        {"server=x\n", "wpis poza sekcją"},
        {"[database\n", "niezamknięta"},
        {"[baza]\n", "nieznana sekcja"},
        {"[database]\nhost=x\n", "nieznany klucz"},
        {"[database]\njust text\n", "klucz=wartość"},
        {"[database]\nport=70000\n", "nie jest numerem portu"},
        {"[database]\npassword=sekret\n", "zaszyfrowanej"},
        {"[database]\npassword=enc1:***\n", "uszkodzone"},
    };
    for (const auto& c : cases) {
        try {
            DeploymentSettings::parse(QString::fromUtf8(c.text), QStringLiteral("q.ini"));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const SettingsError& e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.why))) << e.what();
            EXPECT_TRUE(e.text().contains(QStringLiteral("q.ini"))) << e.what();
            EXPECT_FALSE(e.text().contains(secret)) << e.what();
        }
    }
}

TEST(DeploymentSettings, CharsetIsOneTheConnectionCanUseOrTheFileIsRefused) {
    const struct {
        const char* value;
        bool accepted;
    } cases[] = {
        {"WIN1250", true}, {"win1250", true}, {"UTF8", true},     {"utf8", true},
        {"KOI8R", false},  {"", false},       {"WIN1252", false}, {"UTF16", false},
    };
    for (const auto& c : cases) {
        const QString value = QString::fromUtf8(c.value);
        const QString text = QStringLiteral("[database]\ncharset=%1\n").arg(value);
        try {
            const DeploymentSettings s = DeploymentSettings::parse(text, QStringLiteral("q.ini"));
            EXPECT_TRUE(c.accepted) << "accepted: " << c.value;
            EXPECT_EQ(s.charset, value);
        } catch (const SettingsError& e) {
            EXPECT_FALSE(c.accepted) << e.what();
            for (const QString& part :
                 {QStringLiteral("q.ini"), QStringLiteral("wiersz 2"),
                  QStringLiteral("„charset=%1”").arg(value), QStringLiteral("WIN1250, UTF8")})
                EXPECT_TRUE(e.text().contains(part)) << e.what();
        }
    }
}

TEST(TextCodec, Win1250CarriesPolishBothWaysAndRefusesTheRest) {
    const TextCodec codec = TextCodec::forCharset(QStringLiteral("WIN1250"));
    const QString polish = QStringLiteral("Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ „cytat” – 10 €");
    const QByteArray bytes = codec.encode(polish);
    EXPECT_EQ(bytes.size(), polish.size()) << "one byte per character";
    EXPECT_EQ(static_cast<unsigned char>(bytes.at(polish.indexOf(QChar(u'ł')))), 0xB3);
    EXPECT_EQ(codec.decode(bytes), polish);
    for (const QString& foreign :
         {QStringLiteral("雪"), QStringLiteral("😀"), QStringLiteral("ß€ñ")}) {
        EXPECT_THROW(codec.encode(foreign), DbError) << foreign.toStdString();
    }
    EXPECT_THROW(TextCodec::forCharset(QStringLiteral("KOI8R")), DbError);
}

TEST(TextCodec, Win1250ReadsEveryByteAndMarksTheUndefinedOnes) {
    const TextCodec codec = TextCodec::forCharset(QStringLiteral("WIN1250"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString read = codec.decode(all);
    ASSERT_EQ(read.size(), 256);
    const QList<int> undefined = {0x81, 0x83, 0x88, 0x90, 0x98};
    for (int b = 0; b < 256; ++b) {
        const QString one = read.mid(b, 1);
        if (undefined.contains(b))
            EXPECT_EQ(one, QString(QChar(0xFFFD))) << b;
        else
            EXPECT_EQ(codec.encode(one), all.mid(b, 1)) << b;
    }
    EXPECT_EQ(read.left(128), QString::fromLatin1(all.left(128))) << "ASCII as it is";
    EXPECT_EQ(codec.decode(QByteArray()), QString());
}

TEST(PositionalSql, NamedMarkersBecomeQuestionMarksInOrder) {
    std::vector<std::string> names;
    EXPECT_EQ(positionalSql("EXECUTE PROCEDURE P(:I_A, :I_B, ':I_C')", names),
              "EXECUTE PROCEDURE P(?, ?, ':I_C')");
    EXPECT_EQ(names, (std::vector<std::string>{"I_A", "I_B"}));
}
