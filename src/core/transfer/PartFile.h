#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace mojing {

// A download on its way to disk. The bytes go into a hidden temporary file in the target's folder
// (".mojing-XXXXXX.part"), which is renamed over the target in one step once the download is
// whole; a failed, stopped or killed download never leaves a part under the final name. Whatever
// the target holds before (an older file that is to be overwritten) stays untouched until
// commit() replaces it, provided the caller neither deletes nor truncates it meanwhile: a
// transfer checks canReplace() before it starts instead. Destroyed without commit(), it removes
// its temporary file.
class PartFile {
public:
    explicit PartFile(QString target);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Creates the temporary file; false when the folder does not take it.
    bool open();
    // Takes over `existing` (a part kept from an earlier attempt) as the temporary file, moved to
    // a fresh temporary name and opened for appending; false when that failed (`existing` may then
    // be gone).
    bool adopt(const QString& existing);
    bool isOpen() const { return m_file.isOpen(); }
    // Appends; false when not everything could be written.
    bool write(const QByteArray& bytes);
    // Bytes written so far.
    qint64 size() const { return m_written; }
    // Hands what was written to the file system, so that the temporary file can be read by path.
    bool flush();
    // Puts the bytes in place under the target's name (replacing a file there); false when that
    // failed, and the temporary file is gone either way.
    bool commit();
    // Removes the temporary file.
    void discard();
    // Closes the temporary file and hands it over to the caller, who must move or remove it;
    // empty when there was none.
    QString release();

    QString target() const { return m_target; }

    // Whether commit() could put a file in place of `target`: it is no folder, and its folder lets
    // this user add and remove names (a sticky folder only for the owner of the name or folder).
    static bool canReplace(const QString& target);
    QString temporaryPath() const { return m_file.fileName(); }

private:
    QString m_target;
    QFile m_file;
    qint64 m_written = 0;
};

} // namespace mojing
