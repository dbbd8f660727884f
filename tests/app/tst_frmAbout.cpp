#include "app/frmAbout.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

class TestFrmAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionAndModality();
    void versionHasThreeNumbers();
    void hasNoButtons();
};

void TestFrmAbout::captionAndModality()
{
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Export"));
    QVERIFY(about.isModal());
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("lblTitle")));
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("lblDescription")));
}

void TestFrmAbout::versionHasThreeNumbers()
{
    frmAbout about;
    auto* label = about.findChild<QLabel*>(QStringLiteral("lblVersion"));
    QVERIFY(label);
    const QString text = label->text();
    const QRegularExpression form(
        QStringLiteral("^Version (0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$"));
    const QRegularExpressionMatch match = form.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    // the project's version as the build declares it
    QCOMPARE(match.captured(1).toInt(), TQTOOL_VERSION_MAJOR);
    QCOMPARE(match.captured(2).toInt(), TQTOOL_VERSION_MINOR);
    QCOMPARE(match.captured(3).toInt(), TQTOOL_VERSION_PATCH);
    QVERIFY(text != QStringLiteral("Version 1.0.0.0"));
}

void TestFrmAbout::hasNoButtons()
{
    frmAbout about;
    QVERIFY(about.findChildren<QAbstractButton*>().isEmpty());
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmAbout.moc"
