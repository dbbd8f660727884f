#include "core/platform/CheckedFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace {

// What a device reports when it has no error text of its own.
const QString& noReasonText()
{
    static const QString text = QFile().errorString();
    return text;
}

// The system's reason for the last failure of device: its own text, else the text of the error
// number the failing call left, else what the caller saw, so that no message ends in "Unknown
// error".
QString reasonOf(const QIODevice& device, int savedErrno, const QString& seen)
{
    const QString text = device.errorString();
    if (!text.isEmpty() && text != noReasonText())
        return text;
    if (savedErrno != 0)
        return qt_error_string(savedErrno);
    if (!seen.isEmpty())
        return seen;
    return QStringLiteral("the system reported a failure without giving a reason");
}

} // namespace

CheckedFileWriter::CheckedFileWriter(QString path, Mode mode) : m_name(std::move(path)), m_mode(mode)
{
    if (mode == Mode::Replace)
        m_file = std::make_unique<QSaveFile>(m_name);
    else
        m_file = std::make_unique<QFile>(m_name);
    m_device = m_file.get();
}

CheckedFileWriter::CheckedFileWriter(QIODevice& device, QString name)
    : m_name(std::move(name)), m_device(&device)
{}

CheckedFileWriter::~CheckedFileWriter()
{
    cancel();
}

void CheckedFileWriter::fail(int savedErrno, const QString& seen)
{
    if (m_failed)
        return;
    m_failed = true;
    m_reason = reasonOf(*m_device, savedErrno, seen);
    m_error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(m_name), m_reason);
}

Outcome CheckedFileWriter::open()
{
    if (!m_file)
        return Outcome::success();
    errno = 0;
    const QIODevice::OpenMode mode =
        m_mode == Mode::Replace ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!m_file->open(mode)) {
        fail(errno);
        return Outcome::failure(m_error);
    }
    return Outcome::success();
}

bool CheckedFileWriter::write(const QByteArray& bytes)
{
    if (m_failed)
        return false;
    errno = 0;
    const qint64 written = m_device->write(bytes);
    if (written != bytes.size())
        fail(errno,
             written < 0
                 ? QString()
                 : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(bytes.size()));
    return !m_failed;
}

Outcome CheckedFileWriter::commit()
{
    auto* file = qobject_cast<QFileDevice*>(m_device);
    errno = 0;
    if (!m_failed && file && !file->flush())
        fail(errno);
    if (m_failed) {
        cancel();
        return Outcome::failure(m_error);
    }
    if (!m_file)
        return Outcome::success();
    errno = 0;
    if (m_mode == Mode::Replace) {
        auto* save = static_cast<QSaveFile*>(m_file.get());
        if (!save->commit() || save->error() != QFileDevice::NoError)
            fail(errno);
    } else {
        m_file->close();
        if (m_file->error() != QFileDevice::NoError)
            fail(errno);
    }
    return m_failed ? Outcome::failure(m_error) : Outcome::success();
}

void CheckedFileWriter::cancel()
{
    if (!m_file || !m_file->isOpen())
        return;
    if (m_mode == Mode::Replace) {
        // a cancelled save file discards its new file on commit; the old one stays
        auto* save = static_cast<QSaveFile*>(m_file.get());
        save->cancelWriting();
        (void)save->commit();
    } else {
        m_file->close();
    }
}

Outcome writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    CheckedFileWriter writer(path);
    if (const Outcome opened = writer.open(); !opened)
        return opened;
    writer.write(bytes);
    return writer.commit();
}

QString notRegularFileReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    if (info.isDir())
        return QStringLiteral("a folder");
    return QStringLiteral("a named pipe, a device or a socket");
}

QString resolvedFilePath(const QString& path)
{
    QFileInfo info(path);
    // a link that points nowhere yet stands for its target: a save through it creates that
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        info = QFileInfo(target);
    }
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = info.absoluteDir().canonicalPath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

bool isSameFile(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    return QString::compare(resolvedFilePath(a), resolvedFilePath(b), names) == 0;
}
