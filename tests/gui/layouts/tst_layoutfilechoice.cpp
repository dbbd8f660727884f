#include "fixtures/TestPrompter.h"
#include "gui/layouts/LayoutFileChoice.h"

#include <QDir>
#include <QTest>

class TestLayoutFileChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namedLayoutNeedsNoDialog();
    void emptyNameAsksForAFile();
    void cancelGivesEmptyPath();
};

void TestLayoutFileChoice::namedLayoutNeedsNoDialog()
{
    TestPrompter prompter;
    const AppPaths paths(QStringLiteral("/data"));
    QCOMPARE(chooseLayoutFile(paths, QStringLiteral(" Week "), prompter),
             QStringLiteral("/data/ExportFormat/ Week .ini"));
    QVERIFY(prompter.fileAsks().isEmpty());
}

void TestLayoutFileChoice::emptyNameAsksForAFile()
{
    TestPrompter prompter;
    prompter.queueFileName(QStringLiteral("/elsewhere/Month.ini"));
    QCOMPARE(chooseLayoutFile(AppPaths(QStringLiteral("/data")), QString(), prompter),
             QStringLiteral("/elsewhere/Month.ini"));
    QCOMPARE(prompter.fileAsks().size(), 1);
    QCOMPARE(prompter.fileAsks()[0].kind, Prompter::FileDialog::Open);
    QCOMPARE(prompter.fileAsks()[0].filter, QStringLiteral("ini Files (*.ini)|*.ini"));
}

void TestLayoutFileChoice::cancelGivesEmptyPath()
{
    TestPrompter prompter; // no queued answer: the dialog is cancelled
    QCOMPARE(chooseLayoutFile(AppPaths(QStringLiteral("/data")), QString(), prompter), QString());
    QCOMPARE(prompter.fileAsks().size(), 1);
}

QTEST_MAIN(TestLayoutFileChoice)
#include "tst_layoutfilechoice.moc"
