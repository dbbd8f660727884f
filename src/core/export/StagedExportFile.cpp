#include "core/export/StagedExportFile.h"

#include "core/platform/Cp874.h"

#include <QDir>

namespace {
constexpr qsizetype FlushSize = 1 << 16;
}

StagedExportFile::StagedExportFile(QString stagingPath, QString outputPath)
    : m_stagingPath(std::move(stagingPath)), m_outputPath(std::move(outputPath)), m_staging(m_stagingPath),
      m_output(m_outputPath)
{}

StagedExportFile::~StagedExportFile()
{
    abandon();
}

Outcome StagedExportFile::begin()
{
    if (!m_output.open(QIODevice::WriteOnly))
        return Outcome::failure(
            QStringLiteral("Cannot write the export file %1: %2.\nChoose a folder where you "
                           "may create files, or close the program that holds the file.")
                .arg(QDir::toNativeSeparators(m_outputPath), m_output.errorString()));
    if (!m_staging.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString reason = m_staging.errorString();
        abandon();
        return Outcome::failure(
            QStringLiteral("Cannot write the staging file %1: %2.\nCheck that the program's "
                           "data folder is writable.")
                .arg(QDir::toNativeSeparators(m_stagingPath), reason));
    }
    return Outcome::success();
}

void StagedExportFile::writeLine(const QString& line)
{
    Cp874::append(m_buffer, line);
    m_buffer += "\r\n";
    if (m_buffer.size() >= FlushSize)
        m_writeFailed |= !flush().ok();
}

void StagedExportFile::writeEncodedLine(const QByteArray& line)
{
    m_buffer += line;
    if (m_buffer.size() >= FlushSize)
        m_writeFailed |= !flush().ok();
}

Outcome StagedExportFile::flush()
{
    if (m_buffer.isEmpty())
        return Outcome::success();
    const qint64 written = m_staging.write(m_buffer);
    m_buffer.resize(0); // keeps its room for the next lines
    if (written < 0)
        return Outcome::failure(m_staging.errorString());
    return Outcome::success();
}

Outcome StagedExportFile::commit()
{
    const auto failed = [this](const QString& what, const QString& reason) {
        abandon();
        return Outcome::failure(what.arg(QDir::toNativeSeparators(m_stagingPath),
                                         QDir::toNativeSeparators(m_outputPath), reason));
    };
    const Outcome flushed = flush();
    if (m_writeFailed || !flushed || !m_staging.flush())
        return failed(
            QStringLiteral("Cannot write the staging file %1 (%3). The export file %2 was not changed."),
            m_staging.errorString());
    m_staging.close();
    if (!m_staging.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("Cannot read back the staging file %1 (%3). The export file %2 was not "
                                     "changed."),
                      m_staging.errorString());
    while (!m_staging.atEnd()) {
        const QByteArray chunk = m_staging.read(FlushSize * 4);
        if (chunk.isEmpty() || m_output.write(chunk) != chunk.size())
            return failed(QStringLiteral("Cannot copy %1 to %2 (%3). The export file was not changed."),
                          m_output.errorString());
    }
    m_staging.close();
    if (!m_output.commit())
        return failed(QStringLiteral("Cannot copy %1 to %2 (%3). The export file was not changed."),
                      m_output.errorString());
    m_staging.remove();
    return Outcome::success();
}

void StagedExportFile::abandon()
{
    if (m_output.isOpen()) {
        // A cancelled save file discards its temporary file on commit; the chosen file stays.
        m_output.cancelWriting();
        (void)m_output.commit();
    }
    m_buffer.clear();
    if (m_staging.isOpen())
        m_staging.close();
    if (QFile::exists(m_stagingPath))
        QFile::remove(m_stagingPath);
}
