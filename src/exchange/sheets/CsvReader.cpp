#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/SheetReaders.h"

#include "platform/system/Cp1252.h"

#include <QStringDecoder>

#include <csv.h>

namespace zelta::sheets {

namespace {

// The separator the heading line uses most, outside quotes: ';' (what
// spreadsheet programs in Brazil write), TAB or ','.
char detectSeparator(const QByteArray& utf8)
{
    int semicolons = 0, tabs = 0, commas = 0;
    bool quoted = false;
    for (char c : utf8) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r')) {
            if (semicolons + tabs + commas > 0)
                break;
        } else if (!quoted) {
            semicolons += c == ';';
            tabs += c == '\t';
            commas += c == ',';
        }
    }
    if (semicolons >= tabs && semicolons >= commas && semicolons > 0)
        return ';';
    return tabs >= commas && tabs > 0 ? '\t' : ',';
}

struct Parse {
    SheetBuilder* builder = nullptr;
    qint64 row = 1;
    qint64 column = 1;
    bool fieldsInRecord = false;
    int lastEnd = 0; // the terminator that ended the previous call, to pair CR LF
};

void onField(void* field, size_t length, void* data)
{
    auto* p = static_cast<Parse*>(data);
    p->builder->put(p->row, p->column++, Cell::ofText(QString::fromUtf8(static_cast<const char*>(field), qsizetype(length))));
    p->fieldsInRecord = true;
    p->lastEnd = 0;
}

// Called at the end of every record and, with CSV_REPALL_NL, for each line
// end outside one: a blank line is a row of its own, as spreadsheet programs
// count it, while the LF of a CR LF pair is not.
void onRecordEnd(int terminator, void* data)
{
    auto* p = static_cast<Parse*>(data);
    const bool pairedLf = !p->fieldsInRecord && terminator == '\n' && p->lastEnd == '\r';
    p->lastEnd = terminator;
    if (pairedLf || (terminator == -1 && !p->fieldsInRecord))
        return;
    ++p->row;
    p->column = 1;
    p->fieldsInRecord = false;
}

} // namespace

Workbook readCsv(const QByteArray& bytes, const Limits& limits)
{
    Workbook book;
    if (bytes.size() > limits.maxFileBytes)
        tooLarge(QStringLiteral("mais de %1 MB").arg(limits.maxFileBytes >> 20));
    // UTF-8 when the bytes are UTF-8 (with or without the mark that some
    // programs put first), otherwise the Windows character set.
    QByteArray utf8 = bytes;
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder(utf8);
    if (decoder.hasError()) {
        utf8 = plat::sys::fromCp1252(bytes).toUtf8();
        book.encoding = QStringLiteral("Windows-1252");
    } else {
        book.encoding = QStringLiteral("UTF-8");
    }
    const char separator = detectSeparator(utf8);
    book.separator = separator == '\t' ? QStringLiteral("TAB") : QString(QLatin1Char(separator));

    SheetBuilder builder(book, limits);
    builder.beginSheet(QStringLiteral("CSV"));
    csv_parser parser;
    if (csv_init(&parser, CSV_REPALL_NL | CSV_APPEND_NULL) != 0)
        unreadable(QStringLiteral("sem memória"));
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    Parse state{&builder};
    struct Free {
        csv_parser* p;
        ~Free() { csv_free(p); }
    } freeParser{&parser};
    if (csv_parse(&parser, utf8.constData(), size_t(utf8.size()), onField, onRecordEnd, &state) != size_t(utf8.size()))
        unreadable(QString::fromUtf8(csv_strerror(csv_error(&parser))));
    csv_fini(&parser, onField, onRecordEnd, &state);
    return book;
}

} // namespace zelta::sheets
