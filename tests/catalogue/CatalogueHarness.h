#pragma once

#include "catalogue/ArticleImport.h"
#include "catalogue/ArticleList.h"
#include "core/Dialogs.h"
#include "db/Catalogue.h"
#include "support/MemoryCatalogueControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qm::test {

inline const QByteArray kArticleHeader =
    "ODWO_ID;KOD;NAZWA;NAZWA_TKA1;NAZWA_TKA2;NAZWA_KORPUSU;ILOSC;ARTYKUL_RODZIC_ID;KLASYFIKACJA;"
    "QBM;CENA\r\n";

// Scripted dialogs that also keep every progress report.
class RecordingDialogs : public ScriptedDialogs {
public:
    struct Progress {
        QString text;
        int done, total;
    };
    void progress(const QString& text, int done, int total) override {
        reports.push_back({text, done, total});
        if (onProgress)
            onProgress(done, total);
    }
    // While set, information boxes are kept in informations instead of being checked against
    // the script: for texts that carry the server's own words.
    void information(const QString& text) override {
        if (keepInformation)
            informations << text;
        else
            ScriptedDialogs::information(text);
    }
    std::vector<Progress> reports;
    std::function<void(int, int)> onProgress;
    bool keepInformation = false;
    QStringList informations;
};

// The catalogue tabs on their own connection, as one workstation runs them.
struct CatalogueStation {
    explicit CatalogueStation(TestDatabase& db)
        : connection(db.settings()), catalogue(connection),
          errorList(catalogue::ArticleImport::errorListColumns()),
          articles(catalogue::ArticleList::articleListColumns()),
          import(dialogs, catalogue, controls, errorList), list(dialogs, catalogue, articles) {
        connection.open();
    }

    // Runs a handler the way the window does: an error goes to the general error report.
    bool run(const std::function<void()>& handler) { return runGuarded(dialogs, handler); }

    // The open dialog of the import, on the root folder with the CSV filter, answered with path.
    ScriptedDialogs& expectOpenFile(const QString& path) {
        return dialogs.expectOpenFile(QDir::rootPath(), QStringLiteral("csv files (*.csv)|*.csv"),
                                      path);
    }

    // Chooses the file in the dialog, imports it and expects the outcome message.
    void importFile(const QString& path, const QString& outcome) {
        expectOpenFile(path).expectInformation(outcome);
        run([&] { import.LoadCSVFileButtonClick(); });
        dialogs.verify();
    }

    // Imports the file and gives back the one information box it showed, whatever its text.
    QString importFileShowing(const QString& path) {
        expectOpenFile(path);
        dialogs.keepInformation = true;
        dialogs.informations.clear();
        run([&] { import.LoadCSVFileButtonClick(); });
        dialogs.keepInformation = false;
        dialogs.verify();
        EXPECT_EQ(dialogs.informations.size(), 1);
        return dialogs.informations.value(0);
    }

    std::vector<QStringList> errorRows() const {
        std::vector<QStringList> rows;
        for (int r = 0; r < errorList.rows(); ++r) {
            QStringList row;
            for (int c = 0; c < 4; ++c)
                row << errorList.text(r, c);
            rows.push_back(row);
        }
        return rows;
    }

    bool reportButtonEnabled() const {
        return controls.isEnabled(catalogue::Control::GenerateReportImportCSVButton);
    }

    RecordingDialogs dialogs;
    db::Connection connection;
    db::Catalogue catalogue;
    MemoryCatalogueControls controls;
    GridTable errorList;
    GridTable articles;
    catalogue::ArticleImport import;
    catalogue::ArticleList list;
};

// The database's articles as the program lists them: ten columns joined by "|", in the order
// they were registered, for articles whose ODWO_ID lies in [from, to].
inline QStringList storedArticles(db::Catalogue& catalogue, int from, int to) {
    db::Procedure& p = catalogue.ibcspGetAllProductsInfo;
    p.open();
    QStringList out;
    p.walkRows(p.readCount(db::col::kCountAmountOfArticles), [&] {
        const int id = p.asInteger(db::col::kOdwoId);
        if (id < from || id > to)
            return;
        QStringList cells;
        for (const char* c :
             {db::col::kOdwoId, db::col::kCode, db::col::kName, db::col::kNameOfFabric,
              db::col::kNameOfFabric2, db::col::kNameOfCorpus, db::col::kAmount,
              db::col::kParentOfArticle, db::col::kQbm, db::col::kPrice})
            cells << p.asText(c);
        out << cells.join(QLatin1Char('|'));
    });
    return out;
}

// A file in a folder removed with the object.
class ScratchFiles {
public:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + path.toStdString());
        return path;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

} // namespace qm::test
