#include "core/enrolment/FingerOperation.h"

#include <QTest>

// What the status line shows for an identify buffer of 17 bytes.
class TestIdentifiedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shown_data();
    void shown();
};

void TestIdentifiedText::shown_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("text");
    const QString prefix = QStringLiteral("รหัส  ");
    QTest::newRow("up to the zero byte")
        << QByteArray("123\0xyz9999999999", 17) << prefix + QStringLiteral("123");
    QTest::newRow("twelve in full") << QByteArray("123456789012\0\0\0\0\0", 17)
                                    << prefix + QStringLiteral("123456789012");
    QTest::newRow("never past twelve")
        << QByteArray("ABCDEFGHIJKLMNOPQ", 17) << prefix + QStringLiteral("ABCDEFGHIJKL");
    QTest::newRow("empty") << QByteArray(17, '\0') << prefix;
    QTest::newRow("Thai in code page 874")
        << QByteArray("\xca\xc1\xa1\0", 4) + QByteArray(13, 'x') << prefix + QStringLiteral("สมก");
}

void TestIdentifiedText::shown()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QString, text);
    QCOMPARE(FingerOperation::identifiedText(buffer), text);
}

QTEST_GUILESS_MAIN(TestIdentifiedText)
#include "tst_identifiedtext.moc"
