#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"
#include "core/platform/Cp874.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A layout as the editor holds it: rows, the current layout and the editor's selections.
struct EditorCopy
{
    QList<LayoutRow> rows;
    ExportLayout layout;
    EditorLayoutState editor;
};

class TestLayoutFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void savedBytes();
    void roundTrip_data();
    void roundTrip();
    void oneBlankComesBackEmpty_data();
    void oneBlankComesBackEmpty();
    void exportLoaderReadsEveryKey();
    void rowsZeroKeepsThePreviousLayout();
    void lastRowsDateTypeWins();
    void unknownIndicesFallBack();
    void exportLoaderKeepsEmptyTextsEditorTakesThem();
    void layoutWithoutEventKeepsInOutAndFlags();
    void longerEarlierSaveLeavesRowsUnread();
    void saveRefusals_data();
    void saveRefusals();
    void saveWithoutRowsWritesNothing();
    void failedSaveLeavesTheFileAndSaysWhy();
    void handMadeValues_data();
    void handMadeValues();
    void longValuesAreCutAt255();
    void limits_data();
    void limits();
    void saveKeepsToLimits();
    void missingFileLoadsNoRows();
    void emptyPathChangesNothing();
    void editorLoaderFillsItsState();
    void emptyFolderListsNothing();
    void missingFolderIsCreatedWithShippedLayouts();
    void listingCallsBackPerEntry();
    void shippedLayoutsAreWhatTheSaveWrites_data();
    void shippedLayoutsAreWhatTheSaveWrites();

private:
    AppPaths paths() const { return AppPaths(m_dir.path()); }
    QString file(const QString& name) const { return paths().layoutFile(name); }
    bool writeLayout(const QString& name, const QString& text) const
    {
        QDir().mkpath(paths().exportFormatDir());
        QString crlf = text;
        crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return TestFiles::write(file(name), Cp874::encode(crlf));
    }
    static EditorCopy sample();

    QTemporaryDir m_dir;
};

void TestLayoutFile::init()
{
    QVERIFY(m_dir.isValid());
    QDir(paths().exportFormatDir()).removeRecursively();
}

EditorCopy TestLayoutFile::sample()
{
    EditorCopy c;
    c.rows = {{QStringLiteral("UID"), QStringLiteral("8")},
              {QStringLiteral("Date"), QStringLiteral("10")},
              {QStringLiteral("Event"), QStringLiteral("2")}};
    c.layout.alignments = {1, 0, 2, 0};
    c.layout.pads = {QStringLiteral("0"), QStringLiteral("_"), QStringLiteral("*"), QString()};
    c.layout.delimiter = QStringLiteral(";");
    c.layout.yearForm = QStringLiteral("TH");
    c.layout.inText = QStringLiteral("เข้า");
    c.layout.outText = QStringLiteral("ออก");
    c.layout.inOnly = 0;
    c.layout.outOnly = 1;
    c.editor.fileName = QStringLiteral("Week");
    c.editor.dateIndex = 3;
    c.editor.timeIndex = 1;
    return c;
}

void TestLayoutFile::savedBytes()
{
    EditorCopy c = sample();
    c.rows.removeFirst();
    c.layout.alignments = {0, 2, 0};
    c.layout.pads = {QStringLiteral("_"), QStringLiteral("*"), QString()};
    const LayoutSaveResult saved = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Written);
    QCOMPARE(c.layout.path, file(QStringLiteral("Week")));
    const QString expected =
        QStringLiteral("[ZUNDataView]\r\nRows=2\r\nDelimiter=;\r\nViewName=ชื่อรูปแบบ\r\n"
                       "[ZUNData\\ROW\\1]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                       "spData=_\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
                       "IN=เข้า\r\nOUT=ออก\r\nDataFormat=Test\r\n"
                       "[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
                       "spData=*\r\nFormatDateType=3\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                       "IN=เข้า\r\nOUT=ออก\r\nINOnly=0\r\nOUTOnly=1\r\nDataFormat=Test\r\n");
    QCOMPARE(TestFiles::read(file(QStringLiteral("Week"))), Cp874::encode(expected));
}

void TestLayoutFile::roundTrip_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("yearForm");
    QTest::addColumn<int>("dateIndex");
    QTest::addColumn<int>("timeIndex");
    QTest::addColumn<int>("inOnly");
    QTest::addColumn<QString>("inText");

    QTest::newRow("semicolon, TH") << ";"
                                   << "TH" << 3 << 1 << 0 << "เข้า";
    QTest::newRow("TAB, EN") << "TAB"
                             << "EN" << 0 << 0 << 1 << "I";
    QTest::newRow("custom") << "@@"
                            << "EN" << 5 << 0 << 0 << "IN";
    QTest::newRow("no delimiter") << ""
                                  << "TH" << 2 << 1 << 0 << "";
    QTest::newRow("comma") << ","
                           << "EN" << 4 << 1 << 1 << "1";
}

void TestLayoutFile::roundTrip()
{
    QFETCH(QString, delimiter);
    QFETCH(QString, yearForm);
    QFETCH(int, dateIndex);
    QFETCH(int, timeIndex);
    QFETCH(int, inOnly);
    QFETCH(QString, inText);
    EditorCopy c = sample();
    c.layout.delimiter = delimiter;
    c.layout.yearForm = yearForm;
    c.layout.inText = inText;
    c.layout.inOnly = static_cast<qint16>(inOnly);
    c.layout.outOnly = static_cast<qint16>(1 - inOnly);
    c.editor.dateIndex = dateIndex;
    c.editor.timeIndex = timeIndex;
    c.editor.viewName = QStringLiteral("มุมมอง");
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);

    // loaded into a fresh editor and saved unchanged under another name: the same file
    ExportLayout layout;
    LayoutGridModel grid;
    EditorLayoutState editor;
    const LayoutLoadResult loaded = loadEditorLayout(file(QStringLiteral("Week")), layout, grid, editor);
    QVERIFY2(loaded.warnings.isEmpty(), qPrintable(loaded.warnings.join(u'\n')));
    QCOMPARE(grid.fieldRows(), c.rows);
    QCOMPARE(layout.alignments, c.layout.alignments);
    QCOMPARE(layout.pads, c.layout.pads);
    QCOMPARE(layout.delimiter, delimiter);
    QCOMPARE(layout.yearForm, yearForm);
    QCOMPARE(layout.inText, inText);
    QCOMPARE(layout.inOnly, c.layout.inOnly);
    QCOMPARE(layout.outOnly, c.layout.outOnly);
    QCOMPARE(editor.dateIndex, dateIndex);
    QCOMPARE(editor.timeIndex, timeIndex);
    QCOMPARE(editor.viewName, QStringLiteral("มุมมอง"));
    QCOMPARE(layout.datePattern, ExportLayout::datePatterns()[dateIndex]);
    QCOMPARE(layout.timePattern, ExportLayout::timePatterns()[timeIndex]);
    editor.fileName = QStringLiteral("Copy");
    QCOMPARE(saveExportLayout(paths(), layout, grid.fieldRows(), editor).status,
             LayoutSaveResult::Status::Written);
    QCOMPARE(TestFiles::read(file(QStringLiteral("Copy"))), TestFiles::read(file(QStringLiteral("Week"))));
}

void TestLayoutFile::oneBlankComesBackEmpty_data()
{
    QTest::addColumn<bool>("blankDelimiter");
    QTest::newRow("delimiter") << true;
    QTest::newRow("pad") << false;
}

void TestLayoutFile::oneBlankComesBackEmpty()
{
    QFETCH(bool, blankDelimiter);
    EditorCopy c = sample();
    if (blankDelimiter)
        c.layout.delimiter = QStringLiteral(" ");
    else
        c.layout.pads[0] = QStringLiteral(" ");
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);
    ExportLayout layout;
    LayoutGridModel grid;
    QVERIFY(loadExportLayout(file(QStringLiteral("Week")), layout, grid).warnings.isEmpty());
    QCOMPARE(layout.delimiter, blankDelimiter ? QString() : QStringLiteral(";"));
    QCOMPARE(layout.pads[0], blankDelimiter ? QStringLiteral("0") : QString());
}

void TestLayoutFile::exportLoaderReadsEveryKey()
{
    EditorCopy c = sample();
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);
    ExportLayout layout;
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(file(QStringLiteral("Week")), layout, grid);
    QVERIFY(loaded.loaded);
    QVERIFY(loaded.fileFound);
    QCOMPARE(loaded.rows, 3);
    QVERIFY(loaded.warnings.isEmpty());
    QCOMPARE(layout.path, file(QStringLiteral("Week")));
    QCOMPARE(grid.fieldRows(), c.rows);
    QCOMPARE(layout.alignments, c.layout.alignments);
    QCOMPARE(layout.pads, c.layout.pads);
    QCOMPARE(layout.delimiter, QStringLiteral(";"));
    QCOMPARE(layout.datePattern, QStringLiteral("yy/MM/dd"));
    QCOMPARE(layout.timePattern, QStringLiteral("HH:mm"));
    QCOMPARE(layout.yearForm, QStringLiteral("TH"));
    QCOMPARE(layout.inText, QStringLiteral("เข้า"));
    QCOMPARE(layout.outText, QStringLiteral("ออก"));
    QCOMPARE(layout.inOnly, qint16(0));
    QCOMPARE(layout.outOnly, qint16(1));
    const PunchRecord punch{QStringLiteral("42"),         QStringLiteral("1"),        QStringLiteral("1"),
                            QStringLiteral("2024/05/31"), QStringLiteral("08:05:03"), QStringLiteral("1")};
    QCOMPARE(exportLine(layout, grid.fieldRows(), punch, layout.delimiter, ExportDataType::Filtered),
             QStringLiteral("00000042;67/05/31_;ออก"));
}

void TestLayoutFile::rowsZeroKeepsThePreviousLayout()
{
    EditorCopy c = sample();
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);
    QVERIFY(writeLayout(QStringLiteral("Empty"),
                        QStringLiteral("[ZUNDataView]\nRows=0\nDelimiter=|\n"
                                       "[ZUNData\\ROW\\1]\nTextMatrix=UID\nFormatDateType=0\n")));
    ExportLayout layout;
    LayoutGridModel grid;
    loadExportLayout(file(QStringLiteral("Week")), layout, grid);
    const LayoutLoadResult loaded = loadExportLayout(file(QStringLiteral("Empty")), layout, grid);
    QCOMPARE(loaded.rows, 0);
    QCOMPARE(grid.fieldCount(), 0);
    QCOMPARE(layout.path, file(QStringLiteral("Empty")));
    QCOMPARE(layout.delimiter, QStringLiteral("|"));
    QCOMPARE(layout.alignments.size(), 1);
    QCOMPARE(layout.pads, QStringList{QStringLiteral("0")});
    QCOMPARE(layout.datePattern, QStringLiteral("yy/MM/dd"));
    QCOMPARE(layout.timePattern, QStringLiteral("HH:mm"));
    QCOMPARE(layout.yearForm, QStringLiteral("TH"));
    QCOMPARE(layout.inText, QStringLiteral("เข้า"));
    QCOMPARE(layout.outText, QStringLiteral("ออก"));
    QCOMPARE(layout.outOnly, qint16(1));
}

void TestLayoutFile::lastRowsDateTypeWins()
{
    QVERIFY(writeLayout(QStringLiteral("Mixed"),
                        QStringLiteral("[ZUNDataView]\nRows=2\n"
                                       "[ZUNData\\ROW\\1]\nTextMatrix=Date\nFixedWidth=10\n"
                                       "AlignmentData=0\nFormatDateType=1\nFormatTimeType=1\n"
                                       "[ZUNData\\ROW\\2]\nTextMatrix=UID\nFixedWidth=4\n"
                                       "AlignmentData=1\nFormatDateType=4\nFormatTimeType=0\n")));
    ExportLayout layout;
    LayoutGridModel grid;
    QVERIFY(loadExportLayout(file(QStringLiteral("Mixed")), layout, grid).warnings.isEmpty());
    QCOMPARE(layout.datePattern, QStringLiteral("yyMMdd"));
    QCOMPARE(layout.timePattern, QStringLiteral("HH:mm:ss"));

    ExportLayout edited;
    EditorLayoutState editor;
    loadEditorLayout(file(QStringLiteral("Mixed")), edited, grid, editor);
    QCOMPARE(editor.dateIndex, 4);
    QCOMPARE(editor.timeIndex, 0);
    QCOMPARE(edited.datePattern, QStringLiteral("yyMMdd"));
}

void TestLayoutFile::unknownIndicesFallBack()
{
    QVERIFY(writeLayout(QStringLiteral("Odd"),
                        QStringLiteral("[ZUNDataView]\nRows=1\n"
                                       "[ZUNData\\ROW\\1]\nTextMatrix=Date\nFixedWidth=10\n"
                                       "AlignmentData=1\nFormatDateType=9\nFormatTimeType=7\n")));
    ExportLayout layout;
    layout.datePattern = QStringLiteral("ddMMyy");
    layout.timePattern = QStringLiteral("HH:mm");
    LayoutGridModel grid;
    const LayoutLoadResult loaded = loadExportLayout(file(QStringLiteral("Odd")), layout, grid);
    QCOMPARE(layout.datePattern, QStringLiteral("ddMMyy"));
    QCOMPARE(layout.timePattern, QStringLiteral("HH:mm:ss"));
    QCOMPARE(loaded.warnings.size(), 2);
    for (const QString& w : loaded.warnings) {
        QVERIFY2(w.contains(QDir::toNativeSeparators(file(QStringLiteral("Odd")))), qPrintable(w));
        QVERIFY2(w.contains(QStringLiteral("ZUNData\\ROW\\1")), qPrintable(w));
    }
    QVERIFY(loaded.warnings[0].contains(QStringLiteral("FormatDateType")));
    QVERIFY(loaded.warnings[1].contains(QStringLiteral("FormatTimeType")));

    // the editor keeps its list selection for the date and falls back to the first time pattern
    EditorLayoutState editor;
    editor.dateIndex = 2;
    editor.timeIndex = 1;
    ExportLayout edited;
    loadEditorLayout(file(QStringLiteral("Odd")), edited, grid, editor);
    QCOMPARE(editor.dateIndex, 2);
    QCOMPARE(editor.timeIndex, 0);
    QCOMPARE(edited.datePattern, QStringLiteral("ddMMyyyy"));
    QCOMPARE(edited.timePattern, QStringLiteral("HH:mm:ss"));
}

void TestLayoutFile::exportLoaderKeepsEmptyTextsEditorTakesThem()
{
    QVERIFY(writeLayout(QStringLiteral("Blank"),
                        QStringLiteral("[ZUNDataView]\nRows=2\n"
                                       "[ZUNData\\ROW\\1]\nTextMatrix=Date\nFixedWidth=10\n"
                                       "AlignmentData=1\nFormatDateType=0\nFormatTimeType=0\n"
                                       "FormatYear=\n"
                                       "[ZUNData\\ROW\\2]\nTextMatrix=Event\nFixedWidth=2\n"
                                       "AlignmentData=1\nFormatDateType=0\nFormatTimeType=0\n"
                                       "IN=\nOUT=\nINOnly=1\nOUTOnly=0\n")));
    ExportLayout layout;
    layout.yearForm = QStringLiteral("TH");
    layout.inText = QStringLiteral("A");
    layout.outText = QStringLiteral("B");
    ExportLayout edited = layout;
    LayoutGridModel grid;
    loadExportLayout(file(QStringLiteral("Blank")), layout, grid);
    QCOMPARE(layout.yearForm, QStringLiteral("TH"));
    QCOMPARE(layout.inText, QStringLiteral("A"));
    QCOMPARE(layout.outText, QStringLiteral("B"));
    QCOMPARE(layout.inOnly, qint16(1)); // the flags are set at once, whatever they are

    EditorLayoutState editor;
    loadEditorLayout(file(QStringLiteral("Blank")), edited, grid, editor);
    QCOMPARE(edited.yearForm, QString());
    QCOMPARE(edited.inText, QString());
    QCOMPARE(edited.outText, QString());
    QCOMPARE(edited.inOnly, qint16(1));
}

void TestLayoutFile::layoutWithoutEventKeepsInOutAndFlags()
{
    QVERIFY(writeLayout(QStringLiteral("Plain"),
                        QStringLiteral("[ZUNDataView]\nRows=1\n"
                                       "[ZUNData\\ROW\\1]\nTextMatrix=UID\nFixedWidth=10\n"
                                       "AlignmentData=1\nFormatDateType=0\nFormatTimeType=0\n"
                                       "IN=X\nOUT=Y\nINOnly=1\nOUTOnly=1\n")));
    ExportLayout layout;
    layout.inText = QStringLiteral("A");
    layout.outText = QStringLiteral("B");
    layout.outOnly = 1;
    LayoutGridModel grid;
    loadExportLayout(file(QStringLiteral("Plain")), layout, grid);
    QCOMPARE(layout.inText, QStringLiteral("A"));
    QCOMPARE(layout.outText, QStringLiteral("B"));
    QCOMPARE(layout.inOnly, qint16(0));
    QCOMPARE(layout.outOnly, qint16(1));
}

void TestLayoutFile::longerEarlierSaveLeavesRowsUnread()
{
    EditorCopy c = sample();
    c.rows.append({QStringLiteral("Time"), QStringLiteral("8")});
    c.rows.append({QStringLiteral("Space"), QStringLiteral("1")});
    c.layout.resizeLists(6);
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);
    c.rows.resize(3);
    c.layout.resizeLists(4);
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);

    const QByteArray bytes = TestFiles::read(file(QStringLiteral("Week")));
    QVERIFY(bytes.startsWith("[ZUNDataView]\r\nRows=3\r\n"));
    QVERIFY(bytes.contains("[ZUNData\\ROW\\4]\r\nTextMatrix=Time\r\n"));
    QVERIFY(bytes.contains("[ZUNData\\ROW\\5]\r\nTextMatrix=Space\r\n"));
    ExportLayout layout;
    LayoutGridModel grid;
    QCOMPARE(loadExportLayout(file(QStringLiteral("Week")), layout, grid).rows, 3);
    QCOMPARE(grid.fieldRows(), c.rows);
    QCOMPARE(layout.alignments.size(), 4);
}

void TestLayoutFile::saveRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::newRow("empty") << "" << int(LayoutSaveResult::Status::EmptyName);
    QTest::newRow("blanks") << "   " << int(LayoutSaveResult::Status::EmptyName);
    QTest::newRow("slash") << "../Week" << int(LayoutSaveResult::Status::BadName);
    QTest::newRow("backslash") << "a\\b" << int(LayoutSaveResult::Status::BadName);
    QTest::newRow("dot dot") << ".." << int(LayoutSaveResult::Status::BadName);
}

void TestLayoutFile::saveRefusals()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    EditorCopy c = sample();
    c.editor.fileName = name;
    c.layout.path = QStringLiteral("before");
    const LayoutSaveResult saved = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(int(saved.status), status);
    QVERIFY(saved.refused());
    QCOMPARE(c.layout.path, QStringLiteral("before"));
    if (saved.status == LayoutSaveResult::Status::EmptyName) {
        QCOMPARE(saved.message, QStringLiteral("กรุณากรอกชื่อไฟล์รูปแบบ"));
        QCOMPARE(saved.title, QStringLiteral("ยังไม่ได้กรอกชื่อไฟล์รูปแบบ"));
    } else {
        QVERIFY(saved.message.contains(name));
    }
    QVERIFY(!QFileInfo::exists(paths().exportFormatDir()));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("Week.ini"))));
}

void TestLayoutFile::saveWithoutRowsWritesNothing()
{
    EditorCopy c = sample();
    c.editor.fileName = QStringLiteral(" Spaced ");
    const LayoutSaveResult saved = saveExportLayout(paths(), c.layout, {}, c.editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::NoRows);
    QCOMPARE(c.layout.path, file(QStringLiteral(" Spaced "))); // the name as typed
    QVERIFY(!QFileInfo::exists(c.layout.path));
}

void TestLayoutFile::failedSaveLeavesTheFileAndSaysWhy()
{
    EditorCopy c = sample();
    QVERIFY(QDir().mkpath(file(QStringLiteral("Week")))); // a folder where the file should go
    const LayoutSaveResult saved = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(QStringLiteral("Week.ini")), qPrintable(saved.message));
    QVERIFY(QFileInfo(file(QStringLiteral("Week"))).isDir());

    QDir(paths().exportFormatDir()).removeRecursively();
    QVERIFY(TestFiles::write(paths().exportFormatDir(), "not a folder"));
    const LayoutSaveResult noFolder = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(noFolder.status, LayoutSaveResult::Status::Failed);
    QVERIFY(noFolder.message.contains(QStringLiteral("ExportFormat")));
    QCOMPARE(TestFiles::read(paths().exportFormatDir()), QByteArray("not a folder"));
    QFile::remove(paths().exportFormatDir());
}

void TestLayoutFile::handMadeValues_data()
{
    QTest::addColumn<QString>("row");      // keys of section ZUNData\ROW\1
    QTest::addColumn<QString>("rowsText"); // Rows
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("inOnly");
    QTest::addColumn<QStringList>("warnedKeys");

    const QString event = QStringLiteral(
        "TextMatrix=Event\nFixedWidth=2\nFormatDateType=0\nFormatTimeType=0\nIN=in\nOUT=out\n");
    QTest::newRow("alignment not a number")
        << event + QStringLiteral("AlignmentData=abc\nINOnly=0\nOUTOnly=0\n") << "1" << 1 << -1 << 0
        << QStringList{QStringLiteral("AlignmentData")};
    QTest::newRow("alignment with a fraction")
        << event + QStringLiteral("AlignmentData=1.5\nINOnly=0\nOUTOnly=0\n") << "1" << 1 << -1 << 0
        << QStringList{QStringLiteral("AlignmentData")};
    QTest::newRow("alignment missing") << event + QStringLiteral("INOnly=0\nOUTOnly=0\n") << "1" << 1 << -1
                                       << 0 << QStringList{QStringLiteral("AlignmentData")};
    QTest::newRow("alignment outside the table")
        << event + QStringLiteral("AlignmentData=7\nINOnly=0\nOUTOnly=0\n") << "1" << 1 << 7 << 0
        << QStringList{QStringLiteral("AlignmentData")};
    QTest::newRow("alignment beyond 16 bits")
        << event + QStringLiteral("AlignmentData=70000\nINOnly=0\nOUTOnly=0\n") << "1" << 1 << -1 << 0
        << QStringList{QStringLiteral("AlignmentData")};
    QTest::newRow("flag not a number") << event + QStringLiteral("AlignmentData=1\nINOnly=yes\nOUTOnly=0\n")
                                       << "1" << 1 << 1 << 0 << QStringList{QStringLiteral("INOnly")};
    QTest::newRow("flag 2") << event + QStringLiteral("AlignmentData=1\nINOnly=2\nOUTOnly=x\n") << "1" << 1
                            << 1 << 0 << QStringList{QStringLiteral("INOnly"), QStringLiteral("OUTOnly")};
    QTest::newRow("flag with blanks is fine")
        << event + QStringLiteral("AlignmentData= 1 \nINOnly= 1\nOUTOnly=0\n") << "1" << 1 << 1 << 1
        << QStringList{};
    QTest::newRow("rows with a tail") << event + QStringLiteral("AlignmentData=1\nINOnly=0\nOUTOnly=0\n")
                                      << "1x" << 1 << 1 << 0 << QStringList{QStringLiteral("Rows")};
    QTest::newRow("rows not a number") << event + QStringLiteral("AlignmentData=1\nINOnly=0\nOUTOnly=0\n")
                                       << "many" << 0 << 0 << 0 << QStringList{QStringLiteral("Rows")};
    QTest::newRow("rows negative") << event << "-4" << 0 << 0 << 0 << QStringList{};
    QTest::newRow("rows beyond the sections")
        << event + QStringLiteral("AlignmentData=1\nINOnly=0\nOUTOnly=0\n") << "3" << 3 << 1 << 0
        << QStringList{QStringLiteral("TextMatrix"), QStringLiteral("TextMatrix")};
}

void TestLayoutFile::handMadeValues()
{
    QFETCH(QString, row);
    QFETCH(QString, rowsText);
    QFETCH(int, rows);
    QFETCH(int, alignment);
    QFETCH(int, inOnly);
    QFETCH(QStringList, warnedKeys);
    QVERIFY(writeLayout(
        QStringLiteral("Hand"),
        QStringLiteral("[ZUNDataView]\nRows=%1\nDelimiter=,\n[ZUNData\\ROW\\1]\n%2").arg(rowsText, row)));
    for (const bool editorLoad : {false, true}) {
        ExportLayout layout;
        layout.inText = QStringLiteral("I");
        LayoutGridModel grid;
        EditorLayoutState editor;
        const LayoutLoadResult loaded =
            editorLoad ? loadEditorLayout(file(QStringLiteral("Hand")), layout, grid, editor)
                       : loadExportLayout(file(QStringLiteral("Hand")), layout, grid);
        QCOMPARE(loaded.rows, rows);
        QCOMPARE(grid.fieldCount(), rows);
        QCOMPARE(layout.alignments.size(), rows + 1);
        if (rows > 0) {
            QCOMPARE(layout.alignmentOf(1), qint16(alignment));
            QCOMPARE(layout.inOnly, qint16(inOnly));
        }
        QCOMPARE(loaded.warnings.size(), warnedKeys.size());
        for (qsizetype i = 0; i < warnedKeys.size(); ++i) {
            QVERIFY2(loaded.warnings[i].contains(QStringLiteral(" key %1:").arg(warnedKeys[i])),
                     qPrintable(loaded.warnings[i]));
            QVERIFY(loaded.warnings[i].contains(QStringLiteral("Hand.ini")));
        }
        // a line can be built from whatever was loaded
        const PunchRecord punch{QStringLiteral("1"),        QStringLiteral("2"),
                                QStringLiteral("3"),        QStringLiteral("2024/01/02"),
                                QStringLiteral("10:00:00"), QStringLiteral("2")};
        const QString line =
            exportLine(layout, grid.fieldRows(), punch, layout.delimiter, ExportDataType::Filtered);
        QCOMPARE(line.startsWith(inOnly == 1 ? QStringLiteral("in") : QStringLiteral("out")), rows > 0);
    }
}

void TestLayoutFile::longValuesAreCutAt255()
{
    EditorCopy c = sample();
    c.layout.delimiter = QString(300, u'd');
    c.layout.inText = QString(254, u'i') + QStringLiteral("เข");
    QCOMPARE(saveExportLayout(paths(), c.layout, c.rows, c.editor).status, LayoutSaveResult::Status::Written);
    QVERIFY(TestFiles::read(file(QStringLiteral("Week"))).contains(Cp874::encode(c.layout.delimiter)));
    ExportLayout layout;
    LayoutGridModel grid;
    loadExportLayout(file(QStringLiteral("Week")), layout, grid);
    QCOMPARE(layout.delimiter, QString(255, u'd'));
    QCOMPARE(layout.inText, QString(254, u'i') + QStringLiteral("เ"));
}

void TestLayoutFile::limits_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<int>("padding"); // blank lines added to the file
    QTest::addColumn<QString>("refusal");
    QTest::newRow("at the limits") << 100 << "255" << QString(10, u'ศ') << 0 << "";
    QTest::newRow("too many rows") << 101 << "1"
                                   << "0" << 0 << "it has 101 rows, more than the 100";
    QTest::newRow("too wide") << 2 << "256"
                              << "0" << 0 << "row 1 is 256 characters wide, more than the 255";
    QTest::newRow("pad too long") << 2 << "5" << QString(11, u'*') << 0
                                  << "row 1 has 11 characters, more than the 10";
    QTest::newRow("file too large") << 1 << "5"
                                    << "0" << 600000 << "bytes long, more than the 1048576 bytes";
}

void TestLayoutFile::limits()
{
    QFETCH(int, rows);
    QFETCH(QString, width);
    QFETCH(QString, pad);
    QFETCH(int, padding);
    QFETCH(QString, refusal);
    QString text =
        QStringLiteral("[ZUNDataView]\nRows=%1\nDelimiter=,\n").arg(rows) + QString(padding, u'\n');
    for (int i = 1; i <= rows; ++i)
        text +=
            QStringLiteral("[ZUNData\\ROW\\%1]\nTextMatrix=UID\nFixedWidth=%2\nAlignmentData=0\nspData=%3\n")
                .arg(i)
                .arg(width, pad);
    QVERIFY(writeLayout(QStringLiteral("Hand"), text));
    ExportLayout layout;
    layout.delimiter = QStringLiteral("|");
    LayoutGridModel grid;
    grid.appendField({QStringLiteral("UID"), QStringLiteral("3")});
    const LayoutLoadResult loaded = loadExportLayout(file(QStringLiteral("Hand")), layout, grid);
    QCOMPARE(loaded.refused, !refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(grid.fieldCount(), rows);
        QCOMPARE(layout.padOf(rows), pad);
        return;
    }
    QCOMPARE(loaded.warnings.size(), 1);
    QVERIFY2(loaded.warnings[0].contains(QStringLiteral("Hand.ini")) && loaded.warnings[0].contains(refusal),
             qPrintable(loaded.warnings[0]));
    QCOMPARE(grid.fieldCount(), 0);
    QCOMPARE(layout.delimiter, QStringLiteral("|"));
}

void TestLayoutFile::saveKeepsToLimits()
{
    EditorCopy c = sample();
    c.rows[1].width = QStringLiteral("256");
    LayoutSaveResult saved = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(QStringLiteral("row 2 is 256 characters wide")),
             qPrintable(saved.message));
    c = sample();
    while (c.rows.size() <= LayoutLimits::MaxRows)
        c.rows.append({QStringLiteral("Space"), QStringLiteral("1")});
    saved = saveExportLayout(paths(), c.layout, c.rows, c.editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(QStringLiteral("101 rows")), qPrintable(saved.message));
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("Week"))));
}

void TestLayoutFile::missingFileLoadsNoRows()
{
    ExportLayout layout;
    layout.delimiter = QStringLiteral(",");
    layout.datePattern = QStringLiteral("ddMMyy");
    LayoutGridModel grid;
    grid.appendField({QStringLiteral("UID"), QStringLiteral("3")});
    const LayoutLoadResult loaded = loadExportLayout(file(QStringLiteral("Gone")), layout, grid);
    QVERIFY(loaded.loaded);
    QVERIFY(!loaded.fileFound);
    QVERIFY(loaded.warnings.isEmpty());
    QCOMPARE(grid.fieldCount(), 0);
    QCOMPARE(layout.path, file(QStringLiteral("Gone")));
    QCOMPARE(layout.delimiter, QString());
    QCOMPARE(layout.datePattern, QStringLiteral("ddMMyy"));
}

void TestLayoutFile::emptyPathChangesNothing()
{
    ExportLayout layout;
    layout.path = QStringLiteral("old.ini");
    layout.delimiter = QStringLiteral(",");
    LayoutGridModel grid;
    grid.appendField({QStringLiteral("UID"), QStringLiteral("3")});
    EditorLayoutState editor;
    editor.fileName = QStringLiteral("old");
    QVERIFY(!loadExportLayout(QString(), layout, grid).loaded);
    QVERIFY(!loadEditorLayout(QString(), layout, grid, editor).loaded);
    QCOMPARE(layout.path, QStringLiteral("old.ini"));
    QCOMPARE(layout.delimiter, QStringLiteral(","));
    QCOMPARE(grid.fieldCount(), 1);
    QCOMPARE(editor.fileName, QStringLiteral("old"));
}

void TestLayoutFile::editorLoaderFillsItsState()
{
    QVERIFY(writeLayout(QStringLiteral("สัปดาห์"), QStringLiteral("[ZUNDataView]\nRows=0\nViewName=\n")));
    ExportLayout layout;
    LayoutGridModel grid;
    EditorLayoutState editor;
    editor.dateIndex = 5;
    const LayoutLoadResult loaded = loadEditorLayout(file(QStringLiteral("สัปดาห์")), layout, grid, editor);
    QVERIFY(loaded.fileFound);
    QCOMPARE(editor.fileName, QStringLiteral("สัปดาห์"));
    QCOMPARE(editor.viewName, QString());
    QCOMPARE(editor.dateIndex, 5);
}

void TestLayoutFile::emptyFolderListsNothing()
{
    QVERIFY(QDir().mkpath(paths().exportFormatDir()));
    QVERIFY(TestFiles::write(QDir(paths().exportFormatDir()).filePath(QStringLiteral("notes.txt")), "x"));
    const LayoutListing listing = listExportFormats(paths());
    QVERIFY(!listing.found);
    QVERIFY(listing.names.isEmpty());
    QVERIFY(listing.error.isEmpty());
    QCOMPARE(QDir(paths().exportFormatDir()).entryList(QDir::Files),
             QStringList{QStringLiteral("notes.txt")});
}

void TestLayoutFile::missingFolderIsCreatedWithShippedLayouts()
{
    QVERIFY(!QFileInfo::exists(paths().exportFormatDir()));
    const LayoutListing listing = listExportFormats(paths());
    QVERIFY(QFileInfo(paths().exportFormatDir()).isDir());
    QVERIFY(listing.error.isEmpty());
    QVERIFY(listing.found);
    QCOMPARE(listing.names, (QStringList{QStringLiteral("Default"), QStringLiteral("TA_format")}));
    QCOMPARE(TestFiles::read(file(QStringLiteral("Default"))), shippedLayout(QStringLiteral("Default")));

    // a folder in the way of the ExportFormat folder is reported, not hidden
    QDir(paths().exportFormatDir()).removeRecursively();
    QVERIFY(TestFiles::write(paths().exportFormatDir(), "x"));
    const LayoutListing blocked = listExportFormats(paths());
    QVERIFY(!blocked.found);
    QVERIFY(blocked.error.contains(QStringLiteral("ExportFormat")));
    QFile::remove(paths().exportFormatDir());
}

void TestLayoutFile::listingCallsBackPerEntry()
{
    QVERIFY(writeLayout(QStringLiteral("b"), QString()));
    QVERIFY(writeLayout(QStringLiteral("A"), QString()));
    QVERIFY(TestFiles::write(QDir(paths().exportFormatDir()).filePath(QStringLiteral("C.INI")), ""));
    QVERIFY(QDir().mkpath(QDir(paths().exportFormatDir()).filePath(QStringLiteral("folder.ini"))));
    QStringList seen;
    const LayoutListing listing =
        listExportFormats(paths(), [&seen](const QString& name) { seen.append(name); });
    QCOMPARE(seen, (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("C")}));
    QCOMPARE(listing.names, seen);
    QVERIFY(listing.found);
}

void TestLayoutFile::shippedLayoutsAreWhatTheSaveWrites_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("preview");
    QTest::newRow("Default") << "Default"
                             << "0000000123,002,31/05/2024,08:05:03,2"
                             << "0000001,02,dd/MM/yyyy,HH:mm:ss,01";
    QTest::newRow("TA_format") << "TA_format"
                               << "0000000123 31052024 08:05 002 2"
                               << "0000001 ddMMyyyy HH:mm 02 0";
}

void TestLayoutFile::shippedLayoutsAreWhatTheSaveWrites()
{
    QFETCH(QString, name);
    QFETCH(QString, line);
    QFETCH(QString, preview);
    const QByteArray shipped = shippedLayout(name);
    QVERIFY(!shipped.isEmpty());
    QVERIFY(writeLayout(QStringLiteral("source"), QString()));
    QVERIFY(TestFiles::write(file(QStringLiteral("source")), shipped));
    ExportLayout layout;
    LayoutGridModel grid;
    EditorLayoutState editor;
    QVERIFY(loadEditorLayout(file(QStringLiteral("source")), layout, grid, editor).warnings.isEmpty());
    editor.fileName = name;
    QCOMPARE(saveExportLayout(paths(), layout, grid.fieldRows(), editor).status,
             LayoutSaveResult::Status::Written);
    QCOMPARE(TestFiles::read(file(name)), shipped);

    ExportLayout loaded;
    QVERIFY(loadExportLayout(file(name), loaded, grid).warnings.isEmpty());
    const PunchRecord punch{QStringLiteral("123"),        QStringLiteral("2"),        QStringLiteral("1"),
                            QStringLiteral("2567/05/31"), QStringLiteral("08:05:03"), QStringLiteral("2")};
    QCOMPARE(exportLine(loaded, grid.fieldRows(), punch, loaded.delimiter, ExportDataType::Filtered), line);
    QCOMPARE(previewLine(loaded, grid.fieldRows(), loaded.delimiter), preview);
}

QTEST_GUILESS_MAIN(TestLayoutFile)
#include "tst_layoutfile.moc"
