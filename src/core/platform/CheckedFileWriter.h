#pragma once

#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;
class QIODevice;

// Writes a file and checks every step, so that a full disk, a vanished folder or a failing
// device is reported instead of being taken for success: the count of every write, a flush
// before the commit (QSaveFile::commit() can answer true although its last buffered write
// failed, and the file is then replaced by a short one) and the device's error state after it.
// A failure names the file and the system's reason: "Cannot write FILE: REASON".
class CheckedFileWriter final
{
public:
    enum class Mode {
        Replace,   // written beside the file and renamed over it by commit(); the old file
                   // stays whole until then, and for good when anything failed
        Overwrite, // the file itself is emptied and written (scratch files)
    };

    explicit CheckedFileWriter(QString path, Mode mode = Mode::Replace);
    // Writes into a device that the caller has opened and keeps; name stands for it in messages.
    CheckedFileWriter(QIODevice& device, QString name);
    ~CheckedFileWriter();
    CheckedFileWriter(const CheckedFileWriter&) = delete;
    CheckedFileWriter& operator=(const CheckedFileWriter&) = delete;

    Outcome open();
    // Writes all of bytes, or records why not. After the first failure nothing more is written
    // and every call answers false; commit() reports that first failure.
    bool write(const QByteArray& bytes);
    // Flushes and then renames the new file over the old one (Replace) or closes the file
    // (Overwrite); reports the first failure of the whole run.
    Outcome commit();
    // Discards the new file of a Replace, so that the old file stays as it was.
    void cancel();

    bool failed() const { return m_failed; }
    // "Cannot write FILE: REASON", and the system's reason alone.
    const QString& error() const { return m_error; }
    const QString& reason() const { return m_reason; }

private:
    // Records the first failure; seen describes it when neither the device nor the system does.
    void fail(int savedErrno, const QString& seen = {});

    QString m_name;
    Mode m_mode = Mode::Replace;
    std::unique_ptr<QFileDevice> m_file; // when the writer opens the file itself
    QIODevice* m_device = nullptr;
    bool m_failed = false;
    QString m_error;
    QString m_reason;
};

// Replaces the file at path by bytes in one checked step; a failure leaves the old file whole.
Outcome writeFileAtomically(const QString& path, const QByteArray& bytes);

// Why a path cannot be read or replaced as a file: "a folder" or "a named pipe, a device or a
// socket" when it names one of those (links followed); the empty text for a regular file and
// for a path where nothing exists yet. Opening a named pipe waits for a writer, and replacing
// a device or a folder destroys it, so callers refuse such paths before they touch them.
QString notRegularFileReason(const QString& path);

// Whether two paths name the same file once links are followed; also for files that do not
// exist yet (their folders are resolved).
bool isSameFile(const QString& a, const QString& b);
// The path with its links followed, as isSameFile compares it.
QString resolvedFilePath(const QString& path);
