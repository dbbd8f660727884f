#include "gui/enrolment/UserDialog.h"

#include "core/enrolment/EnrolUser.h"
#include "core/enrolment/UserEntry.h"
#include "gui/platform/AppContext.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

UserDialog::UserDialog(AppContext& context, EnrolUser& record, QWidget* parent)
    : QDialog(parent), m_context(context), m_record(record), m_txtUID(named(new QLineEdit(this), "txtUID")),
      m_txtGID(named(new QLineEdit(this), "txtGID")), m_comboFID(named(new QComboBox(this), "comboFID")),
      m_comboSL(named(new QComboBox(this), "comboSL")), m_comboVO(named(new QComboBox(this), "comboVO")),
      m_lblSL(named(new QLabel(QStringLiteral("ระดับการตรวจสอบ: "), this), "lblSL")),
      m_lblVO(named(new QLabel(QStringLiteral("VIP/Ordinary: "), this), "lblVO"))
{
    setObjectName(QStringLiteral("UserDialog"));
    setModal(true);

    auto* heading = named(new QLabel(QStringLiteral("กรุณากรอกรายละเอียด"), this), "lblHeading");
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    m_comboFID->addItems(fingerNames());
    m_comboSL->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    m_comboVO->addItems({QStringLiteral("VIP"), QStringLiteral("Ordinary")});

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("รหัสพนักงาน: "), this), 0, 0);
    form->addWidget(m_txtUID, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("รหัสกลุ่ม: "), this), 1, 0);
    form->addWidget(m_txtGID, 1, 1);
    form->addWidget(named(new QLabel(QStringLiteral("( 0-99 )"), this), "lblGIDHint"), 1, 2);
    form->addWidget(new QLabel(QStringLiteral("นิ้วมือ:"), this), 2, 0);
    form->addWidget(m_comboFID, 2, 1, 1, 2);
    form->addWidget(m_lblSL, 3, 0);
    form->addWidget(m_comboSL, 3, 1);
    form->addWidget(m_lblVO, 4, 0);
    form->addWidget(m_comboVO, 4, 1);

    auto* cmdOK = named(new QPushButton(QStringLiteral("ตกลง"), this), "cmdOK");
    auto* cmdCancel = named(new QPushButton(QStringLiteral("ยกเลิก"), this), "cmdCancel");
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addLayout(buttons);

    m_record.DialogAccepted = false;
    if (m_record.EnrolMode) {
        setWindowTitle(QStringLiteral("Enroll Finger"));
        m_comboFID->setCurrentIndex(0);
        m_comboSL->setCurrentText(QStringLiteral("2"));
        m_comboVO->setCurrentText(QStringLiteral("VIP"));
    } else {
        setWindowTitle(QStringLiteral("Verify Finger"));
        m_comboFID->setCurrentIndex(-1);
        for (QWidget* w : {static_cast<QWidget*>(m_comboSL), static_cast<QWidget*>(m_comboVO),
                           static_cast<QWidget*>(m_lblSL), static_cast<QWidget*>(m_lblVO)})
            w->hide();
    }

    connect(cmdOK, &QPushButton::clicked, this, &UserDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void UserDialog::cmdOK_Click()
{
    UserEntry entry;
    entry.userId = m_txtUID->text();
    entry.groupId = m_txtGID->text();
    entry.fingerIndex = m_comboFID->currentIndex();
    entry.levelText = m_comboSL->currentText();
    entry.vipText = m_comboVO->currentText();
    const Outcome accepted = applyUserEntry(entry, m_record);
    if (!accepted) {
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title, accepted.error());
        return;
    }
    accept();
}
