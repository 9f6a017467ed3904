#pragma once

// Reading written PDF files back with the poppler command-line tools.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace qm::test {

inline QString runPoppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start " << tool.toStdString();
        return {};
    }
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(10000);
        ADD_FAILURE() << tool.toStdString() << " did not end within 60 s";
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        ADD_FAILURE() << tool.toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of one page (from 1), or of all pages when page is 0, in reading order.
inline QString pdfText(const QString& path, int page = 0) {
    QStringList args{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << path << QStringLiteral("-");
    return runPoppler(QStringLiteral("pdftotext"), args);
}

inline int pdfPages(const QString& path) {
    const QString info = runPoppler(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

inline QString pdfTitle(const QString& path) {
    const QString info = runPoppler(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Title:")))
            return line.mid(6).trimmed();
    return {};
}

struct PdfFont {
    QString name; // without the subset prefix
    bool embedded = false;
};

// The fonts that pdffonts lists for the file.
inline std::vector<PdfFont> pdfFonts(const QString& path) {
    std::vector<PdfFont> fonts;
    const QStringList lines =
        runPoppler(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'));
    // name type encoding emb sub uni object ID; the first two lines are the table's head.
    for (int i = 2; i < lines.size(); ++i) {
        const QStringList cells = lines[i].simplified().split(QLatin1Char(' '));
        if (cells.size() < 7)
            continue;
        PdfFont font;
        font.name = cells[0].section(QLatin1Char('+'), -1);
        // From the right: object ID (two cells), uni, sub, emb.
        font.embedded = cells[cells.size() - 5] == QLatin1String("yes");
        fonts.push_back(font);
    }
    return fonts;
}

} // namespace qm::test
