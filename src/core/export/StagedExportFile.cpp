#include "core/export/StagedExportFile.h"

#include "core/platform/Cp874.h"

#include <QDir>
#include <QFile>

namespace {
constexpr qsizetype FlushSize = 1 << 16;
}

StagedExportFile::StagedExportFile(QString stagingPath, QString outputPath)
    : m_stagingPath(std::move(stagingPath)), m_outputPath(std::move(outputPath)),
      m_staging(m_stagingPath, CheckedFileWriter::Mode::Overwrite), m_output(m_outputPath)
{}

StagedExportFile::~StagedExportFile()
{
    abandon();
}

Outcome StagedExportFile::begin()
{
    if (!m_output.open())
        return Outcome::failure(
            QStringLiteral("Cannot write the export file %1: %2.\nChoose a folder where you "
                           "may create files, or close the program that holds the file.")
                .arg(QDir::toNativeSeparators(m_outputPath), m_output.reason()));
    if (const Outcome opened = m_staging.open(); !opened) {
        abandon();
        return Outcome::failure(
            QStringLiteral("%1.\nCheck that the program's data folder is writable.").arg(opened.error()));
    }
    return Outcome::success();
}

void StagedExportFile::writeLine(const QString& line)
{
    Cp874::append(m_buffer, line);
    m_buffer += "\r\n";
    if (m_buffer.size() >= FlushSize)
        flush();
}

void StagedExportFile::writeEncodedLine(const QByteArray& line)
{
    m_buffer += line;
    if (m_buffer.size() >= FlushSize)
        flush();
}

void StagedExportFile::flush()
{
    if (!m_buffer.isEmpty())
        m_staging.write(m_buffer);
    m_buffer.resize(0); // keeps its room for the next lines
}

Outcome StagedExportFile::commit(const std::function<void()>& copied)
{
    const QString unchanged =
        QStringLiteral(". The export file %1 was not changed; free some space or choose "
                       "another folder, then export again.")
            .arg(QDir::toNativeSeparators(m_outputPath));
    flush();
    if (const Outcome staged = m_staging.commit(); !staged) {
        abandon();
        return Outcome::failure(staged.error() + unchanged);
    }
    QFile staging(m_stagingPath);
    if (!staging.open(QIODevice::ReadOnly)) {
        const QString reason = staging.errorString();
        abandon();
        return Outcome::failure(QStringLiteral("Cannot read back the staging file %1: %2")
                                    .arg(QDir::toNativeSeparators(m_stagingPath), reason) +
                                unchanged);
    }
    while (!staging.atEnd()) {
        const QByteArray chunk = staging.read(FlushSize * 4);
        if (chunk.isEmpty()) {
            const QString reason = staging.errorString();
            abandon();
            return Outcome::failure(QStringLiteral("Cannot read back the staging file %1: %2")
                                        .arg(QDir::toNativeSeparators(m_stagingPath), reason) +
                                    unchanged);
        }
        if (!m_output.write(chunk))
            break;
        if (copied)
            copied();
    }
    staging.close();
    if (const Outcome copied = m_output.commit(); !copied) {
        abandon();
        return Outcome::failure(copied.error() + unchanged);
    }
    QFile::remove(m_stagingPath);
    return Outcome::success();
}

void StagedExportFile::abandon()
{
    m_output.cancel();
    m_staging.cancel();
    m_buffer.clear();
    if (QFile::exists(m_stagingPath))
        QFile::remove(m_stagingPath);
}
