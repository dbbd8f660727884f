#include "gui/shell/AboutDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionAndModality();
    void versionHasThreeNumbers();
    void hasNoButtons();
};

void TestAboutDialog::captionAndModality()
{
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Export"));
    QVERIFY(about.isModal());
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("lblTitle")));
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("lblDescription")));
}

void TestAboutDialog::versionHasThreeNumbers()
{
    AboutDialog about;
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

void TestAboutDialog::hasNoButtons()
{
    AboutDialog about;
    QVERIFY(about.findChildren<QAbstractButton*>().isEmpty());
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
