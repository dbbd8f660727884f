#include "core/enrolment/EnrolUser.h"
#include "fixtures/TestPrompter.h"
#include "gui/enrolment/UserDialog.h"
#include "gui/platform/AppContext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestUserDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void enrolForm();
    void verifyForm();
    void okChecksThroughTheDialog_data();
    void okChecksThroughTheDialog();
    void acceptedEnrolment_data();
    void acceptedEnrolment();
    void cancelLeavesUnaccepted();

private:
    template <typename T> T* child(QWidget& w, const char* name)
    {
        T* c = w.findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("control %s missing", name);
        return c;
    }

    QTemporaryDir m_dir;
    TestPrompter m_prompter;
    std::unique_ptr<AppContext> m_context;
};

void TestUserDialog::init()
{
    m_prompter.clear();
    m_context.reset(new AppContext{AppPaths(m_dir.path()), m_prompter});
}

void TestUserDialog::enrolForm()
{
    EnrolUser record;
    record.EnrolMode = true;
    record.DialogAccepted = true;
    UserDialog dialog(*m_context, record);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Enroll Finger"));
    QVERIFY(!record.DialogAccepted);
    auto* fingers = child<QComboBox>(dialog, "comboFID");
    QCOMPARE(fingers->count(), 10);
    QCOMPARE(fingers->currentText(), QStringLiteral("0 - Left thumb"));
    QCOMPARE(fingers->itemText(9), QStringLiteral("9 - Right little finger"));
    QCOMPARE(child<QComboBox>(dialog, "comboSL")->currentText(), QStringLiteral("2"));
    QCOMPARE(child<QComboBox>(dialog, "comboVO")->currentText(), QStringLiteral("VIP"));
    for (const char* name : {"comboSL", "comboVO", "lblSL", "lblVO"})
        QVERIFY2(child<QWidget>(dialog, name)->isVisible(), name);
    QCOMPARE(child<QPushButton>(dialog, "cmdOK")->text(), QStringLiteral("ตกลง"));
    QCOMPARE(child<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("ยกเลิก"));
}

void TestUserDialog::verifyForm()
{
    EnrolUser record;
    UserDialog dialog(*m_context, record);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Verify Finger"));
    QCOMPARE(child<QComboBox>(dialog, "comboFID")->currentIndex(), -1);
    for (const char* name : {"comboSL", "comboVO", "lblSL", "lblVO"})
        QVERIFY2(!child<QWidget>(dialog, name)->isVisible(), name);

    // No finger preselected: OK is refused until one is chosen.
    child<QLineEdit>(dialog, "txtUID")->setText(QStringLiteral("15"));
    child<QLineEdit>(dialog, "txtGID")->setText(QStringLiteral("1"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_prompter.last().text, QStringLiteral("Finger ID could not be empty!"));
    QVERIFY(dialog.isVisible());
}

void TestUserDialog::okChecksThroughTheDialog_data()
{
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("groupId");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty user") << ""
                                << "1"
                                << "User ID could not be empty!";
    QTest::newRow("user 0") << "0"
                            << "1"
                            << "User ID could not be 0!";
    QTest::newRow("13 characters") << "1234567890123"
                                   << "1"
                                   << "The range of User ID could be 1-999999999999!";
    QTest::newRow("empty group") << "1"
                                 << ""
                                 << "Group ID could not be empty!";
    QTest::newRow("group 100") << "1"
                               << "100"
                               << "Group ID should be in range of 0-99!";
    QTest::newRow("group not a number") << "1"
                                        << "1a"
                                        << "Group ID should be in range of 0-99!";
}

void TestUserDialog::okChecksThroughTheDialog()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(QString, message);
    EnrolUser record;
    record.EnrolMode = true;
    UserDialog dialog(*m_context, record);
    dialog.show();
    QTest::keyClicks(child<QLineEdit>(dialog, "txtUID"), userId);
    QTest::keyClicks(child<QLineEdit>(dialog, "txtGID"), groupId);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_prompter.shown().size(), 1);
    QCOMPARE(m_prompter.last().text, message);
    QCOMPARE(m_prompter.last().icon, Prompter::Icon::Critical);
    QCOMPARE(m_prompter.last().title, m_context->title);
    QVERIFY(dialog.isVisible());
    QVERIFY(!record.DialogAccepted);
}

void TestUserDialog::acceptedEnrolment_data()
{
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("groupId");
    QTest::addColumn<int>("finger");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("vip");
    QTest::addColumn<int>("expectedGroup");
    QTest::addColumn<int>("expectedLevel");
    QTest::newRow("00, defaults") << "00"
                                  << "5" << 0 << "2"
                                  << "VIP" << 5 << 6;
    QTest::newRow("099 as 99") << "1001"
                               << "099" << 6 << "1"
                               << "Ordinary" << 99 << 1;
    QTest::newRow("3 and VIP") << "1001"
                               << "0" << 9 << "3"
                               << "VIP" << 0 << 7;
}

void TestUserDialog::acceptedEnrolment()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(int, finger);
    QFETCH(QString, level);
    QFETCH(QString, vip);
    EnrolUser record;
    record.EnrolMode = true;
    UserDialog dialog(*m_context, record);
    dialog.show();
    QTest::keyClicks(child<QLineEdit>(dialog, "txtUID"), userId);
    QTest::keyClicks(child<QLineEdit>(dialog, "txtGID"), groupId);
    child<QComboBox>(dialog, "comboFID")->setCurrentIndex(finger);
    child<QComboBox>(dialog, "comboSL")->setCurrentText(level);
    child<QComboBox>(dialog, "comboVO")->setCurrentText(vip);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY2(m_prompter.shown().isEmpty(), qPrintable(m_prompter.texts().join(u'|')));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(record.DialogAccepted);
    QCOMPARE(record.UserId, userId);
    QTEST(int(record.GroupId), "expectedGroup");
    QCOMPARE(int(record.FingerNo), finger);
    QTEST(int(record.Level), "expectedLevel");
}

void TestUserDialog::cancelLeavesUnaccepted()
{
    EnrolUser record;
    record.EnrolMode = true;
    UserDialog dialog(*m_context, record);
    dialog.show();
    child<QLineEdit>(dialog, "txtUID")->setText(QStringLiteral("15"));
    child<QLineEdit>(dialog, "txtGID")->setText(QStringLiteral("1"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!record.DialogAccepted);
    QVERIFY(record.UserId.isEmpty());
}

QTEST_MAIN(TestUserDialog)
#include "tst_userdialog.moc"
