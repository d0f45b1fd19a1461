#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace plat::sys {

// A file that appears under its final name only when it is complete.
//
// open() refuses a target that exists and is not a regular file (a device, a
// fifo, a socket), which the rename would replace. It creates a temporary file beside the target (same directory, so the
// final rename cannot cross file systems). Writes are buffered and go to that
// temporary file. commit() writes what is left, flushes it to the device,
// reads it back and compares it with what was written, and only then renames
// it over the final name; an older file of that name stays untouched until
// that moment. Any failure, a discard(), a close() or the destructor without a
// commit removes the temporary file, so no partial file ever carries the final
// name. errorString() tells what failed, in Portuguese with the system's text.
//
// Temporary files are named ".<target>.XXXXXX" and locked while their writer
// lives; open() first removes those of the same target that no live writer
// holds (left by a writer that was killed).
class AtomicFile : public QIODevice {
    Q_OBJECT
public:
    explicit AtomicFile(const QString& fileName, QObject* parent = nullptr);
    ~AtomicFile() override;

    QString fileName() const { return m_fileName; }
    // The temporary file while one is open; empty otherwise.
    QString temporaryFileName() const { return m_tempName; }

    // Only WriteOnly (with or without Unbuffered, which is ignored) is accepted.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }

    // Finishes the file: true when it is on the device under its final name,
    // with exactly the bytes written, and the folder confirmed the new name.
    // Closes the device either way.
    bool commit();
    // After a failed commit: true when the file had already replaced the
    // target (only the folder's confirmation failed), false when the target
    // is as it was.
    bool replacedTarget() const { return m_replaced; }
    // Drops the temporary file and closes the device.
    void discard();
    // Closing without a commit discards.
    void close() override;

    // Size of the read-ahead buffer kept before bytes reach the file.
    static constexpr qsizetype kBufferSize = 256 * 1024;

    // How the folder is synced after the rename (fsync by default), so tests
    // can make it fail. Returns the previous one.
    using DirectorySync = std::function<int(int fd)>;
    static DirectorySync setDirectorySync(DirectorySync sync);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flushBuffer();
    bool writeAll(const char* data, qint64 size);
    bool verifyWritten();
    void fail(const QString& what, int error);
    void removeTemporary();

    // A running 64-bit digest of a byte stream, the same however the stream
    // is cut into pieces, for the read-back comparison.
    class Digest {
    public:
        void add(const char* data, qint64 size);
        quint64 value() const;
        qint64 size() const { return m_size; }

    private:
        void mix(quint64 word);
        quint64 m_hash = 0x243F6A8885A308D3ull;
        qint64 m_size = 0;
        unsigned char m_tail[8] = {};
        int m_tailSize = 0;
    };

    QString m_fileName;
    QString m_tempName;
    int m_fd = -1;
    QByteArray m_buffer;
    Digest m_written;
    bool m_failed = false;
    bool m_replaced = false;
};

} // namespace plat::sys
