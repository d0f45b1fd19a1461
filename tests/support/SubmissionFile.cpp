#include "support/SubmissionFile.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace zelta::test {

namespace {

// The offset and value of the first byte that is no text of the file, or -1.
qsizetype firstForeignByte(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        const bool control = (b < 0x20 && b != '\n') || b == 0x7F;
        if (undefined || control)
            return i;
    }
    return -1;
}

void check(const QByteArray& bytes, const QString& what, const std::source_location& where)
{
    const qsizetype i = firstForeignByte(bytes);
    if (i < 0)
        return;
    const QString message = QStringLiteral("%1: byte 0x%2 at offset %3 does not decode as Windows-1252 text")
                                .arg(what, QString::number(quint8(bytes.at(i)), 16))
                                .arg(i);
    QTest::qFail(qPrintable(message), where.file_name(), int(where.line()));
}

} // namespace

QByteArray checkedSubmission(const QByteArray& bytes, const std::source_location& where)
{
    check(bytes, QStringLiteral("submission bytes"), where);
    return bytes;
}

QByteArray readSubmission(const QString& path, const std::source_location& where)
{
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    check(bytes, path, where);
    return bytes;
}

void checkSubmissionFolder(const QString& dir, const std::source_location& where)
{
    QDirIterator it(dir, {QStringLiteral("*.htm")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            check(f.readAll(), file, where);
    }
}

SubmissionFolder::~SubmissionFolder()
{
    if (isValid())
        checkSubmissionFolder(path(), m_where);
}

} // namespace zelta::test
