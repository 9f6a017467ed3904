// libFuzzer target for the article file reader; built and run by scripts/fuzz-article-file.

#include "catalogue/ArticleFile.h"

#include <cstdint>
#include <cstdlib>

using qm::catalogue::ArticleFile;

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto content = ArticleFile::parse(bytes, QStringLiteral("fuzz.csv"));
    // Either a reason and no records, or records in file order with trimmed values.
    if (content.refusal) {
        if (content.refusal->isEmpty() || !content.records.empty())
            std::abort();
        return 0;
    }
    int line = 1;
    for (const auto& record : content.records) {
        if (record.line <= line)
            std::abort();
        line = record.line;
        for (const QString& value : record.values) {
            if (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())))
                std::abort();
            if (value.size() > ArticleFile::kMaxLineCharacters)
                std::abort();
        }
    }
    return 0;
}
