#include "core/enrolment/FingerOperation.h"
#include "fixtures/TestRows.h"

// What the status line shows for the 17 bytes an identify answers with.
class TestIdentifiedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shown_data();
    void shown();
};

void TestIdentifiedText::shown_data()
{
    addColumns<QByteArray, QString>({"buffer", "text"});
    addRow("up to the zero byte", QByteArray("123\0xyz9999999999", 17), "รหัส  123");
    addRow("never past twelve", QByteArray("ABCDEFGHIJKLMNOPQ", 17), "รหัส  ABCDEFGHIJKL");
    addRow("empty", QByteArray(17, '\0'), "รหัส  ");
    addRow("Thai in code page 874", QByteArray("\xca\xc1\xa1\0xxxxxxxxxxxxx", 17), "รหัส  สมก");
}

void TestIdentifiedText::shown()
{
    QFETCH(QByteArray, buffer);
    QTEST(FingerOperation::identifiedText(buffer), "text");
}

QTEST_GUILESS_MAIN(TestIdentifiedText)
#include "tst_identifiedtext.moc"
