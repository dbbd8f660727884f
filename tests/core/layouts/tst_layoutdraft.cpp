#include "core/layouts/LayoutDraft.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A shared layout that a draft must not change: its own delimiter, lists and flags.
ExportLayout sharedLayout()
{
    ExportLayout layout;
    layout.delimiter = QStringLiteral(";");
    layout.alignments = {2, 0};
    layout.pads = {QStringLiteral("#"), QStringLiteral("0")};
    layout.yearForm = QStringLiteral("TH");
    layout.inOnly = 1;
    return layout;
}

void add(LayoutDraft& draft, const QString& field)
{
    const QList<LayoutRow>& fields = ExportFieldList::availableFields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].field == field)
            draft.selectField(i + 1);
    QVERIFY(draft.addSelectedField());
}

// The panel's visible controls, in a fixed order, as a word each.
QString shownControls(const FieldPanel& p)
{
    QStringList out;
    const std::pair<bool, const char*> controls[] = {
        {p.widthShown, "width"},      {p.alignmentShown, "alignment"}, {p.padShown, "pad"},
        {p.datePatternShown, "date"}, {p.timePatternShown, "time"},    {p.eraShown, "era"},
        {p.inOutShown, "inout"},      {p.onlyBoxesShown, "only"},
    };
    for (const auto& [shown, name] : controls)
        if (shown)
            out.append(QString::fromLatin1(name));
    return out.join(u' ');
}

} // namespace

class TestLayoutDraft : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelShowsWhatTheFieldKindUses_data();
    void panelShowsWhatTheFieldKindUses();
    void editsStayInTheDraft();
    void saveMakesTheDraftCurrent_data();
    void saveMakesTheDraftCurrent();
};

void TestLayoutDraft::panelShowsWhatTheFieldKindUses_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("editable");
    QTest::newRow("as it opens") << QString() << -1 << "width alignment only" << false;
    QTest::newRow("UID") << "UID" << 1 << "width alignment pad" << true;
    QTest::newRow("Date") << "Date" << 1 << "date era" << true;
    QTest::newRow("Time") << "Time" << 1 << "time" << true;
    QTest::newRow("Event") << "Event" << 1 << "alignment inout only" << true;
    QTest::newRow("header row") << "Space" << 0 << "" << false;
}

void TestLayoutDraft::panelShowsWhatTheFieldKindUses()
{
    QFETCH(QString, field);
    QFETCH(int, row);
    QFETCH(QString, shown);
    QFETCH(bool, editable);
    ExportLayout shared = sharedLayout();
    shared.inText = QStringLiteral("I");
    LayoutDraft draft(shared);
    if (!field.isEmpty()) {
        add(draft, field);
        draft.selectRow(row);
    }
    const FieldPanel& panel = draft.panel();
    QCOMPARE(shownControls(panel), shown);
    QCOMPARE(panel.editable, editable);
    QCOMPARE(panel.fieldName, editable ? field : QString());
    if (field == QStringLiteral("Date"))
        QVERIFY(panel.buddhistEra);
    if (field == QStringLiteral("Event"))
        QCOMPARE(panel.inText + QString::number(panel.inOnly), QStringLiteral("I1"));
}

void TestLayoutDraft::editsStayInTheDraft()
{
    ExportLayout shared = sharedLayout();
    const ExportLayout before = shared;
    LayoutDraft draft(shared);
    draft.setMode(LayoutDraft::Mode::New);
    add(draft, QStringLiteral("UID"));
    add(draft, QStringLiteral("Kestrum ID"));
    draft.setAlignment(0);
    draft.chooseDelimiter(DelimiterChoice::Comma);
    draft.setYearForm(QStringLiteral("EN"));
    draft.selectRow(1);
    QVERIFY(draft.removeSelectedRow());
    QVERIFY(shared == before);
    QCOMPARE(draft.layout().inOnly, qint16(0)); // a new layout starts without IN-only
    QCOMPARE(draft.layout().delimiter, QStringLiteral(","));
    QCOMPARE(draft.layout().alignments.first(), qint16(0));
    QCOMPARE(draft.preview(), QStringLiteral("02"));

    // with the last field gone the width and alignment controls go as well
    QVERIFY(draft.removeSelectedRow());
    QCOMPARE(shownControls(draft.panel()), QString());
    QVERIFY(!draft.removeSelectedRow());
}

void TestLayoutDraft::saveMakesTheDraftCurrent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("withRows");
    QTest::addColumn<bool>("taken");
    QTest::newRow("written") << QStringLiteral("Week") << true << true;
    QTest::newRow("no rows, nothing written") << QStringLiteral("Week") << false << true;
    QTest::newRow("empty name") << QStringLiteral("  ") << true << false;
    QTest::newRow("name leaving the folder") << QStringLiteral("../Week") << true << false;
}

void TestLayoutDraft::saveMakesTheDraftCurrent()
{
    QFETCH(QString, name);
    QFETCH(bool, withRows);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    ExportLayout current = sharedLayout();
    const ExportLayout before = current;
    LayoutDraft draft(current);
    if (withRows)
        add(draft, QStringLiteral("Group"));
    draft.chooseDelimiter(DelimiterChoice::Tab);
    draft.setFileName(name);
    const LayoutSaveResult saved = draft.save(paths, current);
    QCOMPARE(saved.status == LayoutSaveResult::Status::Written, taken && withRows);
    if (taken) {
        QVERIFY(current == draft.layout());
        QCOMPARE(current.path, paths.layoutFile(name));
    } else {
        QVERIFY(current == before);
    }
    QCOMPARE(QFile::exists(paths.layoutFile(QStringLiteral("Week"))), taken && withRows);
}

QTEST_GUILESS_MAIN(TestLayoutDraft)
#include "tst_layoutdraft.moc"
