#include "core/layouts/LayoutFile.h"
#include "core/platform/Cp874.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

// A layout as the editor holds it: rows, the current layout and the editor's selections.
struct EditorCopy
{
    QList<LayoutRow> rows{{u"UID"_qs, u"8"_qs}, {u"Date"_qs, u"10"_qs}, {u"Event"_qs, u"2"_qs}};
    ExportLayout layout;
    EditorLayoutState editor{u"Week"_qs, u"ชื่อรูปแบบ"_qs, 3, 1};

    EditorCopy()
    {
        layout.alignments = {1, 0, 2, 0};
        layout.pads = {u"0"_qs, u"_"_qs, u"*"_qs, QString()};
        layout.delimiter = u";"_qs;
        layout.datePattern = u"yy/MM/dd"_qs;
        layout.timePattern = u"HH:mm"_qs;
        layout.yearForm = u"TH"_qs;
        layout.inText = u"เข้า"_qs;
        layout.outText = u"ออก"_qs;
        layout.outOnly = 1;
    }
};

// Everything a load sets besides the path, as one text: rows, alignment and pad lists, delimiter,
// patterns, year form, IN and OUT texts and flags.
QString summary(const ExportLayout& l, const QList<LayoutRow>& rows)
{
    QStringList fields;
    for (const LayoutRow& r : rows)
        fields << r.field + u':' + r.width;
    QStringList lists;
    for (qsizetype i = 0; i < l.alignments.size(); ++i)
        lists << QString::number(l.alignments[i]) + l.pads.value(i);
    return u"%1|%2|%3|%4|%5|%6|%7|%8|%9|%10"_qs.arg(
        fields.join(u','), lists.join(u','), l.delimiter, l.datePattern, l.timePattern, l.yearForm, l.inText,
        l.outText, QString::number(l.inOnly), QString::number(l.outOnly));
}

// The layout before a load: what the file leaves out must survive.
ExportLayout previousLayout()
{
    ExportLayout l = EditorCopy().layout;
    l.alignments = {1, 0};
    l.pads = {u"0"_qs, u"x"_qs};
    l.delimiter.clear();
    l.inText = u"A"_qs;
    l.outText = u"B"_qs;
    return l;
}
const ExportLayout Previous = previousLayout();

} // namespace

class TestLayoutFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QDir(paths().exportFormatDir()).removeRecursively(); }
    void savedBytes();
    void roundTrip();
    void loadKeepsWhatTheFileLeavesOut_data();
    void loadKeepsWhatTheFileLeavesOut();
    void handMadeValues_data();
    void handMadeValues();
    void valuesComeBackAsTheReaderReadsThem();
    void saveRefusals_data();
    void saveRefusals();
    void failedSaveLeavesTheFileAndSaysWhy();
    void listing();
    void limits_data();
    void limits();
    void saveKeepsToLimits();

private:
    AppPaths paths() const { return AppPaths(m_dir.path()); }
    QString file(const QString& name = u"Week"_qs) const { return paths().layoutFile(name); }
    LayoutSaveResult save(EditorCopy& c) const
    {
        return saveExportLayout(paths(), c.layout, c.rows, c.editor);
    }
    // A hand-made layout file: "\n" becomes CR LF, the text code page 874.
    bool writeLayout(QString text) const
    {
        QDir().mkpath(paths().exportFormatDir());
        return TestFiles::write(file(u"Hand"_qs), Cp874::encode(text.replace(u'\n', u"\r\n"_qs)));
    }

    QTemporaryDir m_dir;
};

void TestLayoutFile::savedBytes()
{
    EditorCopy c;
    c.rows.removeFirst();
    c.layout.alignments.removeFirst();
    c.layout.pads.removeFirst();
    QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);
    QCOMPARE(c.layout.path, file());
    const QString expected = u"[ZUNDataView]\r\nRows=2\r\nDelimiter=;\r\nViewName=ชื่อรูปแบบ\r\n"
                             "[ZUNData\\ROW\\1]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                             "spData=_\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
                             "IN=เข้า\r\nOUT=ออก\r\nDataFormat=Test\r\n"
                             "[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
                             "spData=*\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                             "IN=เข้า\r\nOUT=ออก\r\nINOnly=0\r\nOUTOnly=1\r\nDataFormat=Test\r\n"_qs;
    QCOMPARE(TestFiles::read(file()), Cp874::encode(expected));

    // saved again with a row fewer: the file is not emptied first, but Rows bounds every load
    c.rows.removeLast();
    QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);
    QVERIFY(TestFiles::read(file()).startsWith("[ZUNDataView]\r\nRows=1\r\n"));
    QVERIFY(TestFiles::read(file()).contains("[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\n"));
    LayoutGridModel grid;
    QCOMPARE(loadExportLayout(file(), c.layout, grid).rows, 1);
}

void TestLayoutFile::roundTrip()
{
    EditorCopy c;
    c.layout.delimiter = u"TAB"_qs;
    c.layout.datePattern = u"dd/MM/yyyy"_qs;
    c.layout.timePattern = u"HH:mm:ss"_qs;
    c.layout.yearForm = u"EN"_qs;
    c.layout.inOnly = 1;
    c.layout.outOnly = 0;
    c.editor = {u"Week"_qs, u"มุมมอง"_qs, 0, 0};
    QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);

    ExportLayout shown;
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(file(), shown, grid);
    QVERIFY2(loaded.warnings.isEmpty(), qPrintable(loaded.warnings.join(u'\n')));
    QVERIFY(loaded.loaded && loaded.fileFound && loaded.rows == 3 && shown.path == file());
    QCOMPARE(summary(shown, grid.fieldRows()), summary(c.layout, c.rows));

    // into an editor that showed other selections, then saved unchanged under another name
    ExportLayout edited;
    EditorLayoutState editor{{}, {}, 5, 1};
    QVERIFY(loadEditorLayout(file(), edited, grid, editor).warnings.isEmpty());
    QCOMPARE(summary(edited, grid.fieldRows()), summary(c.layout, c.rows));
    QCOMPARE(editor.fileName + editor.viewName + QString::number(editor.dateIndex + editor.timeIndex),
             u"Weekมุมมอง0"_qs);
    editor.fileName = u"Copy"_qs;
    QCOMPARE(saveExportLayout(paths(), edited, grid.fieldRows(), editor).status,
             LayoutSaveResult::Status::Written);
    QCOMPARE(TestFiles::read(file(u"Copy"_qs)), TestFiles::read(file()));
}

void TestLayoutFile::loadKeepsWhatTheFileLeavesOut_data()
{
    // rows: Rows, then the keys of each row section on a line of its own; shown: the summary after
    // the export window's load; edited: the same after the editor's load, then its selections
    // (rows "" is an empty path, a cancelled file dialog; "-" a missing file)
    addColumns<QString, QString, QString>({"rows", "shown", "edited"});
    addRow("empty path: nothing changes", "", "Space:1|10,0x||yy/MM/dd|HH:mm|TH|A|B|0|1",
           "Space:1|10,0x||yy/MM/dd|HH:mm|TH|A|B|0|1|old,5,1");
    addRow("missing file: no rows", "-", "|10||yy/MM/dd|HH:mm|TH|A|B|0|1",
           "|10||yy/MM/dd|HH:mm|TH|A|B|0|1|Gone,5,1");
    addRow("no rows: only the delimiter and the lists change", "0\nTextMatrix=UID FormatDateType=0",
           "|10|;|yy/MM/dd|HH:mm|TH|A|B|0|1", "|10|;|yy/MM/dd|HH:mm|TH|A|B|0|1|Hand,5,1");
    addRow("empty texts",
           "2\nTextMatrix=Date FixedWidth=10 AlignmentData=1 FormatDateType=0 FormatTimeType=0 FormatYear=\n"
           "TextMatrix=Event FixedWidth=2 AlignmentData=1 FormatDateType=0 FormatTimeType=0 IN= OUT= "
           "INOnly=1 OUTOnly=0",
           "Date:10,Event:2|1,1,0|;|dd/MM/yyyy|HH:mm:ss|TH|A|B|1|0",
           "Date:10,Event:2|1,1,0|;|dd/MM/yyyy|HH:mm:ss||||1|0|Hand,0,0");
    addRow("IN, OUT and flags only from an Event row",
           "1\nTextMatrix=UID FixedWidth=10 AlignmentData=1 FormatDateType=2 FormatTimeType=0 IN=X OUT=Y "
           "INOnly=1",
           "UID:10|1,0x|;|ddMMyyyy|HH:mm:ss|TH|A|B|0|1",
           "UID:10|1,0x|;|ddMMyyyy|HH:mm:ss|TH|A|B|0|1|Hand,2,0");
    addRow("last row's pattern indices win",
           "2\nTextMatrix=Date FixedWidth=10 AlignmentData=0 FormatDateType=1 FormatTimeType=1\n"
           "TextMatrix=UID FixedWidth=4 AlignmentData=1 FormatDateType=4 FormatTimeType=0",
           "Date:10,UID:4|0,1,0|;|yyMMdd|HH:mm:ss|TH|A|B|0|1",
           "Date:10,UID:4|0,1,0|;|yyMMdd|HH:mm:ss||A|B|0|1|Hand,4,0");
    addRow("indices outside the tables",
           "1\nTextMatrix=Date FixedWidth=10 AlignmentData=1 FormatDateType=6 FormatTimeType=2",
           "Date:10|1,0x|;|yy/MM/dd|HH:mm:ss|TH|A|B|0|1", "Date:10|1,0x|;|ddMMyy|HH:mm:ss||A|B|0|1|Hand,5,0");
}

void TestLayoutFile::loadKeepsWhatTheFileLeavesOut()
{
    QFETCH(QString, rows);
    const QString path = rows.isEmpty() ? QString() : rows == u"-" ? file(u"Gone"_qs) : file(u"Hand"_qs);
    QStringList sections = rows.split(u'\n');
    QString text = u"[ZUNDataView]\nRows=%1\nDelimiter=;\n"_qs.arg(sections.takeFirst());
    for (qsizetype i = 0; i < sections.size(); ++i)
        text += u"[ZUNData\\ROW\\%1]\n%2\n"_qs.arg(i + 1).arg(sections[i].replace(u' ', u'\n'));
    QVERIFY(writeLayout(text));

    ExportLayout shown = Previous;
    LayoutGridModel grid;
    grid.appendField({u"Space"_qs, u"1"_qs});
    const LayoutLoadResult loaded = loadExportLayout(path, shown, grid);
    QCOMPARE(loaded.loaded, !path.isEmpty());
    QCOMPARE(loaded.fileFound, path == file(u"Hand"_qs));
    QCOMPARE(shown.path, path);
    QTEST(summary(shown, grid.fieldRows()), "shown");

    ExportLayout edited = Previous;
    EditorLayoutState editor{u"old"_qs, {}, 5, 1};
    loadEditorLayout(path, edited, grid, editor);
    QTEST(summary(edited, grid.fieldRows()) +
              u"|%1,%2,%3"_qs.arg(editor.fileName).arg(editor.dateIndex).arg(editor.timeIndex),
          "edited");
}

void TestLayoutFile::handMadeValues_data()
{
    // values: AlignmentData|FormatDateType|FormatTimeType|INOnly|OUTOnly; warned: the keys warned about
    addColumns<QString, QString, int, int, int, QString>(
        {"count", "values", "rows", "alignment", "inOnly", "warned"});
    addRow("alignment not a number", "1", "abc|0|0|0|0", 1, -1, 0, "AlignmentData");
    addRow("alignment outside the table", "1", "3|0|0|0|0", 1, 3, 0, "AlignmentData");
    addRow("alignment beyond 16 bits", "1", "70000|0|0|0|0", 1, -1, 0, "AlignmentData");
    addRow("flags 2 and x", "1", "1|0|0|2|x", 1, 1, 0, "INOnly OUTOnly");
    addRow("blanks around numbers", "1", " 2 |0|0| 1|0", 1, 2, 1, "");
    addRow("indices outside the tables", "1", "0|6|2|0|0", 1, 0, 0, "FormatDateType FormatTimeType");
    addRow("rows with a tail", "1x", "1|0|0|0|0", 1, 1, 0, "Rows");
    addRow("rows not a number", "many", "1|0|0|0|0", 0, 0, 0, "Rows");
    addRow("rows negative", "-4", "1|0|0|0|0", 0, 0, 0, "");
    addRow("rows beyond the sections", "3", "1|0|0|0|0", 3, 1, 0, "TextMatrix TextMatrix");
}

void TestLayoutFile::handMadeValues()
{
    QFETCH(QString, count);
    QFETCH(QString, values);
    QFETCH(int, rows);
    QFETCH(QString, warned);
    const QStringList v = values.split(u'|');
    QVERIFY(writeLayout(u"[ZUNDataView]\nRows=%1\n[ZUNData\\ROW\\1]\nTextMatrix=Event\nAlignmentData=%2\n"
                        "FormatDateType=%3\nFormatTimeType=%4\nINOnly=%5\nOUTOnly=%6\n"_qs.arg(
                            count, v[0], v[1], v[2], v[3], v[4])));
    const QStringList keys = warned.split(u' ', Qt::SkipEmptyParts);
    for (const bool editorLoad : {false, true}) {
        ExportLayout layout;
        LayoutGridModel grid;
        EditorLayoutState editor;
        const LayoutLoadResult loaded = editorLoad ? loadEditorLayout(file(u"Hand"_qs), layout, grid, editor)
                                                   : loadExportLayout(file(u"Hand"_qs), layout, grid);
        QCOMPARE(loaded.rows, rows);
        QCOMPARE(grid.fieldCount(), rows);
        QCOMPARE(layout.alignments.size(), rows + 1);
        if (rows > 0) {
            QTEST(int(layout.alignmentOf(1)), "alignment");
            QTEST(int(layout.inOnly), "inOnly");
        }
        QCOMPARE(loaded.warnings.size(), keys.size());
        for (qsizetype i = 0; i < keys.size(); ++i)
            QVERIFY2(loaded.warnings[i].contains(u"Hand.ini\", section ["_qs) &&
                         loaded.warnings[i].contains(u"], key %1:"_qs.arg(keys[i])),
                     qPrintable(loaded.warnings[i]));
    }
}

void TestLayoutFile::valuesComeBackAsTheReaderReadsThem()
{
    // blanks around a value are dropped, at most 255 characters are read, up to a NUL
    EditorCopy c;
    c.layout.delimiter = u" "_qs;
    c.layout.pads[0] = u" "_qs;
    c.layout.outText = QChar(0) + u"x"_qs;
    c.editor.viewName = QString(300, u'v');
    QCOMPARE(save(c).status, LayoutSaveResult::Status::Written);
    ExportLayout layout;
    LayoutGridModel grid;
    loadEditorLayout(file(), layout, grid, c.editor);
    QCOMPARE(layout.delimiter + layout.pads[0] + layout.outText, QString());
    QCOMPARE(c.editor.viewName, QString(255, u'v'));
}

void TestLayoutFile::saveRefusals_data()
{
    addColumns<QString, int, LayoutSaveResult::Status>({"name", "rows", "status"});
    addRow("empty", "", 3, LayoutSaveResult::Status::EmptyName);
    addRow("blanks", "   ", 3, LayoutSaveResult::Status::EmptyName);
    addRow("slash", "../Week", 3, LayoutSaveResult::Status::BadName);
    addRow("backslash", "a\\b", 3, LayoutSaveResult::Status::BadName);
    addRow("dot dot", "..", 3, LayoutSaveResult::Status::BadName);
    addRow("no rows: nothing written", " Week ", 0, LayoutSaveResult::Status::NoRows);
}

void TestLayoutFile::saveRefusals()
{
    QFETCH(QString, name);
    QFETCH(int, rows);
    EditorCopy c;
    c.editor.fileName = name;
    c.rows.resize(rows);
    c.layout.path = u"before"_qs;
    const LayoutSaveResult saved = save(c);
    QTEST(saved.status, "status");
    QCOMPARE(saved.refused(), rows > 0);
    if (saved.status == LayoutSaveResult::Status::EmptyName)
        QCOMPARE(saved.title + saved.message, u"ยังไม่ได้กรอกชื่อไฟล์รูปแบบกรุณากรอกชื่อไฟล์รูปแบบ"_qs);
    else if (saved.refused())
        QVERIFY(saved.message.contains(name));
    // the name as typed becomes the path when it is not refused
    QCOMPARE(c.layout.path, saved.refused() ? u"before"_qs : file(name));
    QVERIFY(!QFileInfo::exists(paths().exportFormatDir()));
}

void TestLayoutFile::failedSaveLeavesTheFileAndSaysWhy()
{
    EditorCopy c;
    QVERIFY(QDir().mkpath(file())); // a folder where the file should go
    const LayoutSaveResult saved = save(c);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(u"Week.ini"_qs), qPrintable(saved.message));
    QVERIFY(QFileInfo(file()).isDir());

    QDir(paths().exportFormatDir()).removeRecursively();
    QVERIFY(TestFiles::write(paths().exportFormatDir(), "not a folder"));
    const LayoutSaveResult noFolder = save(c);
    QCOMPARE(noFolder.status, LayoutSaveResult::Status::Failed);
    QVERIFY(noFolder.message.contains(u"ExportFormat"_qs));
    QCOMPARE(TestFiles::read(paths().exportFormatDir()), QByteArray("not a folder"));
    QFile::remove(paths().exportFormatDir());
}

void TestLayoutFile::listing()
{
    // a missing folder is created with the shipped layouts
    QStringList seen;
    const LayoutListing created = listExportFormats(paths(), [&seen](const QString& name) { seen << name; });
    QVERIFY(created.error.isEmpty() && created.found);
    QCOMPARE(seen, (QStringList{u"Default"_qs, u"TA_format"_qs}));
    QCOMPARE(created.names, seen);

    // an existing folder is listed as it is, in name order, files ending in .ini only
    QDir dir(paths().exportFormatDir());
    dir.removeRecursively();
    QVERIFY(QDir().mkpath(dir.filePath(u"folder.ini"_qs)));
    QVERIFY(TestFiles::write(dir.filePath(u"notes.txt"_qs), "x"));
    QVERIFY(!listExportFormats(paths()).found);
    for (const QString& name : {u"b.ini"_qs, u"A.ini"_qs, u"C.INI"_qs})
        QVERIFY(TestFiles::write(dir.filePath(name), ""));
    QCOMPARE(listExportFormats(paths()).names, (QStringList{u"A"_qs, u"b"_qs, u"C"_qs}));

    // a file in the way of the folder is reported, not hidden
    dir.removeRecursively();
    QVERIFY(TestFiles::write(paths().exportFormatDir(), "x"));
    const LayoutListing blocked = listExportFormats(paths());
    QVERIFY(!blocked.found && blocked.error.contains(u"ExportFormat"_qs));
    QFile::remove(paths().exportFormatDir());
}

void TestLayoutFile::limits_data()
{
    // padding: blank lines added to the file
    addColumns<int, QString, QString, int, QString>({"rows", "width", "pad", "padding", "refusal"});
    addRow("at the limits", 100, "255", QString(10, u'ศ'), 0, "");
    addRow("too many rows", 101, "1", "0", 0, "it has 101 rows, more than the 100");
    addRow("too wide", 2, "256", "0", 0, "row 1 is 256 characters wide, more than the 255");
    addRow("pad too long", 2, "5", QString(11, u'*'), 0, "row 1 has 11 characters, more than the 10");
    addRow("file too large", 1, "5", "0", 600000, "bytes long, more than the 1048576 bytes");
}

void TestLayoutFile::limits()
{
    QFETCH(int, rows);
    QFETCH(QString, width);
    QFETCH(QString, pad);
    QFETCH(int, padding);
    QFETCH(QString, refusal);
    QString text = u"[ZUNDataView]\nRows=%1\nDelimiter=,\n"_qs.arg(rows) + QString(padding, u'\n');
    for (int i = 1; i <= rows; ++i)
        text += u"[ZUNData\\ROW\\%1]\nTextMatrix=UID\nFixedWidth=%2\nAlignmentData=0\nspData=%3\n"_qs.arg(i).arg(
            width, pad);
    QVERIFY(writeLayout(text));
    ExportLayout layout;
    layout.delimiter = u"|"_qs;
    LayoutGridModel grid;
    grid.appendField({u"UID"_qs, u"3"_qs});
    const LayoutLoadResult loaded = loadExportLayout(file(u"Hand"_qs), layout, grid);
    QCOMPARE(loaded.refused, !refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(grid.fieldCount(), rows);
        QCOMPARE(layout.padOf(rows), pad);
        return;
    }
    QCOMPARE(loaded.warnings.size(), 1);
    QVERIFY2(loaded.warnings[0].contains(u"Hand.ini"_qs) && loaded.warnings[0].contains(refusal),
             qPrintable(loaded.warnings[0]));
    QCOMPARE(grid.fieldCount(), 0);
    QCOMPARE(layout.delimiter, u"|"_qs);
}

void TestLayoutFile::saveKeepsToLimits()
{
    EditorCopy c;
    c.rows[1].width = u"256"_qs;
    LayoutSaveResult saved = save(c);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(u"row 2 is 256 characters wide"_qs), qPrintable(saved.message));
    c = EditorCopy();
    while (c.rows.size() <= LayoutLimits::MaxRows)
        c.rows.append({u"Space"_qs, u"1"_qs});
    saved = save(c);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(u"101 rows"_qs), qPrintable(saved.message));
    QVERIFY(!QFileInfo::exists(file()));
}

QTEST_GUILESS_MAIN(TestLayoutFile)
#include "tst_layoutfile.moc"
