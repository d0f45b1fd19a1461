#pragma once

#include <QIODevice>
#include <QSet>
#include <QString>

#include <memory>

class QXmlStreamReader;

namespace zelta::sheets {

// A zip container read through minizip from a device (a file, or bytes in a
// buffer); throws a refusal when the device holds no zip container. Every
// entry is inflated to its end and its checksum compared: the parts the
// readers parse as they read them, the others in checkRest().
class ZipFile {
public:
    explicit ZipFile(QIODevice& device);
    ~ZipFile();
    ZipFile(const ZipFile&) = delete;
    ZipFile& operator=(const ZipFile&) = delete;
    bool has(const QString& name) const; // names compared without case
    // Reads each entry that no ZipPart has read, and refuses the file when
    // one fails its checksum or the entries unpack beyond the limit.
    void checkRest(qint64 limit);

private:
    friend class ZipPart;
    void* m_zip = nullptr;
    QSet<QString> m_checked; // entries read to their end, checksum compared
    qint64 m_unpacked = 0;   // bytes inflated so far, every entry together
};

// A part of a zip container read through a device that stops where the
// parts read so far and this one pass the limit together, so that a
// container that unpacks to gigabytes is refused, not read.
class ZipPart {
public:
    ZipPart(ZipFile& zip, const QString& name, qint64 limit); // refuses a missing or unreadable part
    ~ZipPart();
    QIODevice* device();
    // After the XML reader stopped: refuses the file when the part passed the
    // limit, could not be inflated, fails its checksum or holds bad XML, in
    // that order, so that the message gives the first cause.
    void finish(const QXmlStreamReader& xml);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zelta::sheets
