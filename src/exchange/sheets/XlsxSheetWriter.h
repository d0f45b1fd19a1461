#pragma once

#include "exchange/sheets/SheetScratch.h"
#include "exchange/sheets/SheetWriter.h"

#include <QStringEncoder>

#include <xlsxwriter.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace zelta::sheets {

// The XLSX writer, over libxlsxwriter. The library formats the rows on a
// thread of its own: while it writes one batch of rows into its scratch
// file, the caller reads the register and converts the next batch, so the
// two costs overlap instead of adding up. The cells reach the library in the
// order they were given.
//
// Every call into the library runs with the C locale on its thread (it
// writes numbers and page margins with printf), with what it prints on the
// standard error kept from the terminal and put into Portuguese, and with
// its temporary files in the target's folder. The finished file is read
// back before it takes its name: the library does not notice when a write
// of its own scratch files fails, and would zip a sheet cut short.
class XlsxSheetWriter final : public SheetWriter {
public:
    XlsxSheetWriter(const QString& path, const QString& sheetName);
    ~XlsxSheetWriter() override;
    void row(const QList<Cell>& cells) override;
    void finish() override;

private:
    struct Entry {
        lxw_row_t row;
        lxw_col_t col;
        Cell::Type type;
        double number;
        lxw_datetime date;
        qsizetype text; // where a text begins in the batch's texts
    };
    struct Batch {
        std::vector<Entry> entries;
        QByteArray texts; // UTF-8, each text ended by a zero
    };
    // The first cell the library refused; the rest of the sheet is not sent.
    struct Refusal {
        lxw_error error = LXW_NO_ERROR;
        lxw_row_t row = 0;
        lxw_col_t col = 0;
        qsizetype characters = 0;
    };
    static constexpr size_t kBatchCells = 8192;
    static constexpr size_t kBatchesWaiting = 4; // bounds the memory when the library is the slower side

    // Empty, or why the workbook could not be started.
    QString openBook(const QString& sheetName);
    void handOver();
    void writeBatches();
    void write(Batch& batch);
    void stopWorker();
    lxw_error closeBook();
    QString refusalText() const;
    QString closeText(lxw_error error) const;

    SheetScratch m_scratch;
    QByteArray m_path;
    QByteArray m_folder; // the library's own temporary files go here
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_date = nullptr;
    lxw_row_t m_row = 0;
    qint64 m_rowsWithCells = 0; // the rows the sheet holds: an empty row is not written
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless}; // each text on its own
    Batch m_current;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_full;   // handed over, waiting for the library
    std::vector<Batch> m_spare; // written, kept for their storage
    bool m_closing = false;
    Refusal m_refusal;    // the worker's; read after it ended
    QByteArray m_printed; // what the library printed, the worker's lines included once it ended
    std::thread m_worker;
};

} // namespace zelta::sheets
