// Pictures of the catalogue tabs for the README: an import with rejected records and the article
// list, each grid drawn as the window shows it, on a scratch database of the local server:
//   catalogue-pictures OUTPUT_DIR
// giving OUTPUT_DIR/catalogue-import.png and OUTPUT_DIR/catalogue-prices.png.
#include "BenchSupport.h"
#include "catalogue/ArticleImport.h"
#include "catalogue/ArticleList.h"
#include "db/Catalogue.h"
#include "support/MemoryCatalogueControls.h"
#include "support/TestDatabase.h"
#include "ui/GridView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace {

class PictureDialogs : public qm::bench::YesDialogs {
public:
    QString openFile(const QString&, const QString&) override { return path; }
    QString path;
};

// The grid over its buttons, on the tabs' teal, with the message the operation ended with.
void save(qm::GridTable& grid, const QStringList& buttons, const QString& message, int width,
          const QString& file) {
    QWidget tab;
    tab.setStyleSheet(QStringLiteral("background: #008080;"));
    auto* layout = new QVBoxLayout(&tab);
    auto* view = new qm::ui::GridView(grid, 13);
    view->setStyleSheet(QStringLiteral("background: white;"));
    layout->addWidget(view);
    auto* row = new QHBoxLayout;
    for (const QString& caption : buttons) {
        auto* b = new QPushButton(caption);
        b->setStyleSheet(QStringLiteral("background: #e0e0e0; font-size: 21px; padding: 6px;"));
        row->addWidget(b);
    }
    layout->addLayout(row);
    auto* note = new QLabel(message);
    note->setStyleSheet(QStringLiteral("background: #ffffe0; padding: 6px; font-size: 13px;"));
    layout->addWidget(note);
    tab.resize(width, 420);
    tab.show();
    QApplication::processEvents();
    tab.grab().save(file);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: catalogue-pictures OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    try {
        qm::test::TestDatabase db(QStringLiteral("catalogue-pictures"), true);
        qm::db::Connection connection(db.settings());
        qm::db::Catalogue catalogue(connection);
        connection.open();
        PictureDialogs dialogs;
        qm::test::MemoryCatalogueControls controls;
        qm::GridTable errors(qm::catalogue::ArticleImport::errorListColumns());
        qm::GridTable articles(qm::catalogue::ArticleList::articleListColumns());
        qm::catalogue::ArticleImport import(dialogs, catalogue, controls, errors);
        qm::catalogue::ArticleList list(dialogs, catalogue, articles);

        dialogs.path = out.filePath(QStringLiteral("artykuly.csv"));
        QFile file(dialogs.path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the sample file");
        file.write("\xEF\xBB\xBFODWO_ID;KOD;NAZWA;NAZWA_TKA1;NAZWA_TKA2;NAZWA_KORPUSU;ILOSC;"
                   "ARTYKUL_RODZIC_ID;KLASYFIKACJA;QBM;CENA\r\n"
                   "8101;SF-3;Sofa Łódź 3-osobowa;Welur grafit;;Buk;2;0;A;1,85;1899,00\r\n"
                   "8102;FT-1;Fotel Łódź;Welur grafit;;Buk;3;8101;A;0,62;749,50\r\n"
                   ";PF-2;Pufa okrągła;Len;;;1;0;;0,2;199\r\n"
                   "8101;SF-3;Sofa Łódź 3-osobowa;Welur grafit;;Buk;2;0;A;1,85;1899,00\r\n"
                   "8103;ST-4;;Dąb;;;1;0;;0,9;450\r\n"
                   "8104;KM-2;Komoda Lena;;;Dąb bielony;1;0;B;0,75;1299.99\r\n");
        file.close();
        import.LoadCSVFileButtonClick();
        const QString importMessage = dialogs.lastNotice;
        QFile::remove(dialogs.path);
        save(errors, {QStringLiteral("Wygeneruj raport"), QStringLiteral("Zaladuj plik CSV")},
             importMessage, 900, out.filePath(QStringLiteral("catalogue-import.png")));

        list.RefreshDataButtonClick();
        save(articles,
             {QStringLiteral("Wygeneruj raport"), QStringLiteral("Odśwież dane"),
              QStringLiteral("Popraw cenę")},
             QStringLiteral("%1 artykułów").arg(articles.rows()), 1340,
             out.filePath(QStringLiteral("catalogue-prices.png")));
    } catch (const qm::Error& e) {
        std::fprintf(stderr, "%s\n", e.text().toUtf8().constData());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
