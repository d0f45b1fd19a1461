#include "exchange/sheets/CsvText.h"
#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/SheetReaders.h"

#include "platform/system/Cp1252.h"

#include <cstring>
#include <exception>

#include <csv.h>

namespace zelta::sheets {

namespace {

struct Parse {
    SheetBuilder* builder = nullptr;
    bool cp1252 = false;
    // A refusal is not thrown through the C library's frames: it is kept,
    // the rest of the calls are ignored, and it is thrown once the library
    // returns.
    std::exception_ptr refused;
    qint64 row = 1;
    qint64 column = 1;
    bool fieldsInRecord = false;
    int lastEnd = 0; // the terminator that ended the previous call, to pair CR LF
};

// A field read as Windows-1252 that no Portuguese text holds: the file is of
// another character set, and what it would store is garbage.
[[noreturn]] void notPortuguese(qint64 row, const QString& field, qsizetype at)
{
    qsizetype from = at, to = at + 1;
    while (from > 0 && at - from < 20 && !field[from - 1].isSpace())
        --from;
    while (to < field.size() && to - at < 20 && !field[to].isSpace())
        ++to;
    QString shown = field.mid(from, to - from);
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    throw Refusal{Refusal::Kind::Encoding,
                  QStringLiteral("não está em UTF-8 e, lido como Windows-1252, traria na linha %1 \"%2\", que não é texto em "
                                 "português: está em outra codificação. Abra-o na planilha e salve-o de novo em UTF-8 "
                                 "ou como \"CSV (separado por ponto e vírgula)\"")
                      .arg(row)
                      .arg(shown)};
}

void field(Parse* p, const char* bytes, size_t length)
{
    if (length > 0 && std::memchr(bytes, 0, length))
        unreadable(QStringLiteral("a linha %1 traz um caractere nulo (o arquivo não é um texto)").arg(p->row));
    p->builder->spendChars(qint64(length));
    QString text;
    if (p->cp1252) {
        text = plat::sys::fromCp1252(QByteArray::fromRawData(bytes, qsizetype(length)));
        if (const qsizetype at = firstImplausible(text); at >= 0)
            notPortuguese(p->row, text, at);
    } else {
        text = QString::fromUtf8(bytes, qsizetype(length));
    }
    p->builder->put(p->row, p->column, Cell::ofText(text));
}

void onField(void* bytes, size_t length, void* data)
{
    auto* p = static_cast<Parse*>(data);
    if (p->refused)
        return;
    try {
        field(p, static_cast<const char*>(bytes), length);
    } catch (...) {
        p->refused = std::current_exception();
    }
    ++p->column;
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

// The library's failures in the user's words (it fails only for memory or a
// field beyond its size).
[[noreturn]] void libraryFailure(int error)
{
    if (error == CSV_EPARSE)
        unreadable(QStringLiteral("há aspas fora de lugar"));
    tooLarge(QStringLiteral("um campo não coube na memória"));
}

} // namespace

Workbook readCsv(const QByteArray& bytes, const QString& name, const Limits& limits)
{
    return readNamed(name, [&] {
        if (bytes.size() > limits.maxFileBytes)
            tooLarge(QStringLiteral("mais de %1 MB").arg(limits.maxFileBytes >> 20));
        Workbook book;
        const CsvText text = csvText(bytes);
        book.encoding = encodingName(text.encoding);
        book.separator = text.separator == '\t' ? QStringLiteral("TAB") : QString(QLatin1Char(text.separator));

        SheetBuilder builder(book, limits);
        builder.beginSheet(QStringLiteral("CSV"));
        csv_parser parser;
        if (csv_init(&parser, CSV_REPALL_NL | CSV_APPEND_NULL) != 0)
            tooLarge(QStringLiteral("falta memória"));
        csv_set_delim(&parser, static_cast<unsigned char>(text.separator));
        Parse state;
        state.builder = &builder;
        state.cp1252 = text.encoding == CsvText::Encoding::Cp1252;
        struct Free {
            csv_parser* p;
            ~Free() { csv_free(p); }
        } freeParser{&parser};
        const auto size = size_t(text.body.size());
        const bool parsed = csv_parse(&parser, text.body.data(), size, onField, onRecordEnd, &state) == size;
        if (parsed)
            csv_fini(&parser, onField, onRecordEnd, &state);
        if (state.refused)
            std::rethrow_exception(state.refused);
        if (!parsed)
            libraryFailure(csv_error(&parser));
        return book;
    });
}

} // namespace zelta::sheets
