#include "core/layouts/LayoutFile.h"

#include "core/layouts/LayoutNumbers.h"
#include "core/platform/CheckedFileWriter.h"
#include "core/platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace {

const QString& viewSection()
{
    static const QString name = QStringLiteral("ZUNDataView");
    return name;
}

QString rowSection(int i)
{
    return QStringLiteral("ZUNData\\ROW\\") + QString::number(i);
}

// The values of one layout file, read as readLayoutValue reads them (at most 255 characters,
// up to the first NUL, empty when missing) but from one reading of the file.
class LayoutValues final
{
public:
    explicit LayoutValues(const QString& path) : m_path(path), m_doc(IniDocument::load(path)) {}

    std::optional<QString> stored(const QString& section, const QString& key) const
    {
        std::optional<QString> v = m_doc.value(section, key);
        if (!v)
            return v;
        v->truncate(255);
        const qsizetype nul = v->indexOf(QChar(u'\0'));
        if (nul >= 0)
            v->truncate(nul);
        return v;
    }

    QString read(const QString& section, const QString& key) const
    {
        return stored(section, key).value_or(QString());
    }

    // A 16-bit whole number, or nullopt with a warning saying what is used instead.
    std::optional<qint16> whole(const QString& section, const QString& key, const QString& instead,
                                QStringList& warnings) const
    {
        const QString text = read(section, key);
        const std::optional<qint16> v = LayoutNumbers::wholeInt16(text);
        if (!v)
            warnings.append(problem(section, key,
                                    QStringLiteral("\"%1\" is not a whole number; %2.").arg(text, instead)));
        return v;
    }

    QString problem(const QString& section, const QString& key, const QString& what) const
    {
        return QStringLiteral("Layout file \"%1\", section [%2], key %3: %4")
            .arg(QDir::toNativeSeparators(m_path), section, key, what);
    }

private:
    QString m_path;
    IniDocument m_doc;
};

constexpr int MaxRows = std::numeric_limits<qint16>::max();

// Rows: the leading number of the text; an empty or non-numeric text gives 0.
int readRowCount(const LayoutValues& file, QStringList& warnings)
{
    const QString text = file.read(viewSection(), QStringLiteral("Rows"));
    const double value = LayoutNumbers::leadingNumber(text);
    int rows = value <= 0 ? 0 : value >= MaxRows ? MaxRows : static_cast<int>(std::floor(value));
    if (!text.isEmpty() && !LayoutNumbers::wholeInt16(text))
        warnings.append(file.problem(
            viewSection(), QStringLiteral("Rows"),
            QStringLiteral("\"%1\" is not a whole number; read as %2 rows.").arg(text).arg(rows)));
    return rows;
}

QString tooManyRows(const QString& rows)
{
    return QStringLiteral("it has %1 rows, more than the %2 a layout may have")
        .arg(rows)
        .arg(LayoutLimits::MaxRows);
}

// Why row i of a layout exceeds LayoutLimits, or the empty text.
QString rowBeyondLimits(int i, const QString& width, const QString& pad)
{
    if (LayoutNumbers::width(width) > LayoutLimits::MaxWidth)
        return QStringLiteral("row %1 is %2 characters wide, more than the %3 a field may be")
            .arg(i)
            .arg(width.trimmed())
            .arg(LayoutLimits::MaxWidth);
    if (pad.size() > LayoutLimits::MaxPadLength)
        return QStringLiteral("the pad text of row %1 has %2 characters, more than the %3 a pad may have")
            .arg(i)
            .arg(pad.size())
            .arg(LayoutLimits::MaxPadLength);
    return {};
}

// Which kind of loader runs: the export window's or the editor's.
struct LoadRules
{
    EditorLayoutState* editor = nullptr;
};

LayoutLoadResult load(const QString& path, ExportLayout& layout, LayoutGridModel& grid,
                      const LoadRules& rules)
{
    LayoutLoadResult result;
    if (path.isEmpty())
        return result;
    result.loaded = true;
    result.fileFound = QFileInfo(path).isFile();
    layout.path = path;
    EditorLayoutState* editor = rules.editor;
    if (editor)
        editor->fileName =
            QFileInfo(path).fileName().chopped(qMin<qsizetype>(4, QFileInfo(path).fileName().size()));

    grid.clearFields();
    const auto refuse = [&](const QString& why) {
        result.refused = true;
        result.warnings = {QStringLiteral("The layout file %1 was not loaded: %2. Choose another layout, or "
                                          "correct the file.")
                               .arg(QDir::toNativeSeparators(path), why)};
        return result;
    };
    if (const qint64 size = QFileInfo(path).size(); result.fileFound && size > LayoutLimits::MaxFileBytes)
        return refuse(QStringLiteral("it is %1 bytes long, more than the %2 bytes a layout may take")
                          .arg(size)
                          .arg(LayoutLimits::MaxFileBytes));

    const LayoutValues file(path);
    const int n = readRowCount(file, result.warnings);
    if (n > LayoutLimits::MaxRows)
        return refuse(tooManyRows(file.read(viewSection(), QStringLiteral("Rows")).trimmed()));
    for (int i = 1; i <= n; ++i) {
        const QString section = rowSection(i);
        const QString problem = rowBeyondLimits(i, file.read(section, QStringLiteral("FixedWidth")),
                                                file.read(section, QStringLiteral("spData")));
        if (!problem.isEmpty())
            return refuse(problem);
    }
    layout.delimiter = file.read(viewSection(), QStringLiteral("Delimiter"));
    if (editor)
        editor->viewName = file.read(viewSection(), QStringLiteral("ViewName"));
    layout.resizeLists(n + 1);
    if (n <= 0)
        return result;

    const QStringList& datePatterns = ExportLayout::datePatterns();
    const QStringList& timePatterns = ExportLayout::timePatterns();
    int dateIndex = -1; // the noted indices; -1 for a value that is no index at all
    int timeIndex = -1;
    QString yearForm;
    QString inText;
    QString outText;
    QList<LayoutRow> rows;
    rows.reserve(n);
    for (int i = 1; i <= n; ++i) {
        const QString section = rowSection(i);
        const std::optional<QString> field = file.stored(section, QStringLiteral("TextMatrix"));
        rows.append({field.value_or(QString()), file.read(section, QStringLiteral("FixedWidth"))});
        layout.pads[i - 1] = file.read(section, QStringLiteral("spData"));
        if (!field) {
            // a row the file does not hold: an empty row, without complaints about each key
            result.warnings.append(file.problem(section, QStringLiteral("TextMatrix"),
                                                QStringLiteral("missing; the row is left empty.")));
            layout.alignments[i - 1] = -1;
            continue;
        }

        const std::optional<qint16> alignment =
            file.whole(section, QStringLiteral("AlignmentData"), QStringLiteral("the field is not filled"),
                       result.warnings);
        if (alignment && (*alignment < 0 || *alignment > 2))
            result.warnings.append(file.problem(
                section, QStringLiteral("AlignmentData"),
                QStringLiteral("%1 is not 0, 1 or 2; the field is not filled.").arg(*alignment)));
        layout.alignments[i - 1] = alignment.value_or(-1);

        const QString keepDate = editor ? QStringLiteral("the date pattern stays as selected")
                                        : QStringLiteral("the date pattern stays as it was");
        const std::optional<qint16> date =
            file.whole(section, QStringLiteral("FormatDateType"), keepDate, result.warnings);
        if (date && (*date < 0 || *date >= datePatterns.size()))
            result.warnings.append(
                file.problem(section, QStringLiteral("FormatDateType"),
                             QStringLiteral("%1 is not 0 to 5; %2.").arg(*date).arg(keepDate)));
        dateIndex = date && *date >= 0 && *date < datePatterns.size() ? *date : -1;

        const std::optional<qint16> time = file.whole(section, QStringLiteral("FormatTimeType"),
                                                      QStringLiteral("HH:mm:ss is used"), result.warnings);
        if (time && (*time < 0 || *time >= timePatterns.size()))
            result.warnings.append(
                file.problem(section, QStringLiteral("FormatTimeType"),
                             QStringLiteral("%1 is not 0 or 1; HH:mm:ss is used.").arg(*time)));
        timeIndex = time && *time >= 0 && *time < timePatterns.size() ? *time : -1;

        if (editor) {
            if (dateIndex >= 0)
                editor->dateIndex = dateIndex;
            editor->timeIndex = timeIndex >= 0 ? timeIndex : 0;
            layout.datePattern = datePatterns.value(editor->dateIndex, datePatterns.first());
            layout.timePattern = timePatterns.value(editor->timeIndex);
        }

        if (*field == QStringLiteral("Date")) {
            yearForm = file.read(section, QStringLiteral("FormatYear"));
            if (editor)
                layout.yearForm = yearForm;
        } else if (*field == QStringLiteral("Event")) {
            outText = file.read(section, QStringLiteral("OUT"));
            inText = file.read(section, QStringLiteral("IN"));
            for (const auto& [key, flag] : {std::pair{QStringLiteral("INOnly"), &layout.inOnly},
                                            std::pair{QStringLiteral("OUTOnly"), &layout.outOnly}}) {
                const std::optional<qint16> v =
                    file.whole(section, key, QStringLiteral("read as 0"), result.warnings);
                if (v && *v != 0 && *v != 1)
                    result.warnings.append(
                        file.problem(section, key, QStringLiteral("%1 is not 0 or 1; read as 0.").arg(*v)));
                *flag = v == qint16(1) ? qint16(1) : qint16(0);
            }
            if (editor) {
                layout.inText = inText;
                layout.outText = outText;
            }
        }
    }
    grid.setFields(rows);
    result.rows = n;

    if (!editor) {
        if (dateIndex >= 0)
            layout.datePattern = datePatterns[dateIndex];
        layout.timePattern = timeIndex == 1 ? timePatterns[1] : timePatterns[0];
        if (!yearForm.isEmpty())
            layout.yearForm = yearForm;
        if (!inText.isEmpty())
            layout.inText = inText;
        if (!outText.isEmpty())
            layout.outText = outText;
    }
    return result;
}

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/layouts/") + name + QStringLiteral(".ini");
}

} // namespace

LayoutLoadResult loadExportLayout(const QString& path, ExportLayout& layout, LayoutGridModel& grid)
{
    return load(path, layout, grid, {});
}

LayoutLoadResult loadEditorLayout(const QString& path, ExportLayout& layout, LayoutGridModel& grid,
                                  EditorLayoutState& editor)
{
    return load(path, layout, grid, {&editor});
}

Outcome checkLayoutName(const QString& name)
{
    const auto refused = [&name](const QString& why) {
        return Outcome::failure(
            QStringLiteral("The layout name \"%1\" %2. A layout's name is the name of its "
                           "file in the ExportFormat folder, without \".ini\".")
                .arg(name, why));
    };
    if (name.isEmpty())
        return Outcome::failure(QStringLiteral("The layout name is empty."));
    if (name == u"." || name == u"..")
        return refused(QStringLiteral("names a folder"));
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':')
            return refused(QStringLiteral("holds \"%1\", so it is a path, not a name").arg(c));
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return refused(QStringLiteral("holds a control character"));
    }
    return Outcome::success();
}

Expected<QString> layoutFileNamed(const AppPaths& paths, const QString& name)
{
    if (const Outcome named = checkLayoutName(name); !named)
        return Expected<QString>::failure(named.error());
    return paths.layoutFile(name);
}

LayoutSaveResult saveExportLayout(const AppPaths& paths, ExportLayout& layout, const QList<LayoutRow>& rows,
                                  const EditorLayoutState& editor)
{
    LayoutSaveResult result;
    const QString& name = editor.fileName;
    if (name.trimmed().isEmpty()) {
        result.status = LayoutSaveResult::Status::EmptyName;
        result.title = QStringLiteral("ยังไม่ได้กรอกชื่อไฟล์รูปแบบ");
        result.message = QStringLiteral("กรุณากรอกชื่อไฟล์รูปแบบ");
        return result;
    }
    if (const Outcome named = checkLayoutName(name); !named) {
        result.status = LayoutSaveResult::Status::BadName;
        result.message = named.error();
        return result;
    }
    const QString path = paths.layoutFile(name);
    layout.path = path;
    if (rows.isEmpty()) {
        result.status = LayoutSaveResult::Status::NoRows;
        return result;
    }
    if (rows.size() > LayoutLimits::MaxRows) {
        result.message = QStringLiteral("The layout was not saved: ") +
                         tooManyRows(QString::number(rows.size())) + QStringLiteral(". Remove some rows.");
        return result;
    }
    for (int i = 1; i <= rows.size(); ++i) {
        const QString problem = rowBeyondLimits(i, rows[i - 1].width, layout.padOf(i));
        if (!problem.isEmpty()) {
            result.message = QStringLiteral("The layout was not saved: ") + problem + u'.';
            return result;
        }
    }
    if (!QDir().mkpath(paths.exportFormatDir())) {
        result.message =
            QStringLiteral("Cannot create the folder %1. Check that the data directory is writable.")
                .arg(QDir::toNativeSeparators(paths.exportFormatDir()));
        return result;
    }

    // One reading and one replacement of the file: the keys land exactly where key-by-key
    // profile writes would put them, and a failed write leaves the earlier file whole.
    IniDocument doc = IniDocument::load(path);
    doc.setValue(viewSection(), QStringLiteral("Rows"), QString::number(rows.size()));
    doc.setValue(viewSection(), QStringLiteral("Delimiter"), layout.delimiter);
    doc.setValue(viewSection(), QStringLiteral("ViewName"), editor.viewName);
    for (int i = 1; i <= rows.size(); ++i) {
        const QString section = rowSection(i);
        const LayoutRow& row = rows[i - 1];
        doc.setValue(section, QStringLiteral("TextMatrix"), row.field);
        doc.setValue(section, QStringLiteral("FixedWidth"), row.width);
        doc.setValue(section, QStringLiteral("AlignmentData"), QString::number(layout.alignmentOf(i)));
        doc.setValue(section, QStringLiteral("spData"), layout.padOf(i));
        doc.setValue(section, QStringLiteral("FormatDateType"), QString::number(editor.dateIndex));
        doc.setValue(section, QStringLiteral("FormatTimeType"), QString::number(editor.timeIndex));
        doc.setValue(section, QStringLiteral("FormatYear"), QStringLiteral("EN"));
        doc.setValue(section, QStringLiteral("IN"), layout.inText);
        doc.setValue(section, QStringLiteral("OUT"), layout.outText);
        if (row.field == QStringLiteral("Date"))
            doc.setValue(section, QStringLiteral("FormatYear"),
                         layout.yearForm == QStringLiteral("TH") ? QStringLiteral("TH")
                                                                 : QStringLiteral("EN"));
        if (row.field == QStringLiteral("Event")) {
            doc.setValue(section, QStringLiteral("IN"), layout.inText);
            doc.setValue(section, QStringLiteral("OUT"), layout.outText);
            doc.setValue(section, QStringLiteral("INOnly"), QString::number(layout.inOnly));
            doc.setValue(section, QStringLiteral("OUTOnly"), QString::number(layout.outOnly));
        }
        doc.setValue(section, QStringLiteral("DataFormat"), QStringLiteral("Test"));
    }
    const Outcome saved = doc.save(path);
    if (!saved) {
        result.message = saved.error() + QStringLiteral(". The layout was not saved; the file is unchanged.");
        return result;
    }
    result.status = LayoutSaveResult::Status::Written;
    return result;
}

QStringList shippedLayoutNames()
{
    return {QStringLiteral("Default"), QStringLiteral("TA_format")};
}

QByteArray shippedLayout(const QString& name)
{
    Q_INIT_RESOURCE(shippedlayouts);
    QFile file(resourcePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Outcome installShippedLayouts(const QString& dir)
{
    for (const QString& name : shippedLayoutNames()) {
        const QString target = QDir(dir).filePath(name + QStringLiteral(".ini"));
        if (QFileInfo::exists(target))
            continue;
        if (const Outcome written = writeFileAtomically(target, shippedLayout(name)); !written)
            return Outcome::failure(
                QStringLiteral("Cannot install the layout %1: %2. Check that the folder has "
                               "room and may be written.")
                    .arg(name, written.error()));
    }
    return Outcome::success();
}

Outcome ensureExportFormatDir(const AppPaths& paths)
{
    const QString dir = paths.exportFormatDir();
    if (QFileInfo(dir).isDir())
        return Outcome::success();
    if (!QDir().mkpath(dir))
        return Outcome::failure(
            QStringLiteral("Cannot create the layout folder %1. Check that the data directory "
                           "is writable.")
                .arg(QDir::toNativeSeparators(dir)));
    return installShippedLayouts(dir);
}

LayoutListing listExportFormats(const AppPaths& paths, const std::function<void(const QString&)>& onEntry)
{
    LayoutListing listing;
    const Outcome ready = ensureExportFormatDir(paths);
    if (!ready)
        listing.error = ready.error();
    const QFileInfoList entries =
        QDir(paths.exportFormatDir(), QStringLiteral("*.ini"), QDir::Name | QDir::IgnoreCase, QDir::Files)
            .entryInfoList();
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName().chopped(4);
        listing.names.append(name);
        if (onEntry)
            onEntry(name);
    }
    listing.found = !listing.names.isEmpty();
    return listing;
}
