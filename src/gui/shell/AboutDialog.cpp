#include "gui/shell/AboutDialog.h"

#include "gui/shell/AppResources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    ensureAppResources();
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About Export"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/backdrop.png"))
                           .scaled(96, 75, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    m_lblTitle = new QLabel(QStringLiteral("TQ & QOR Tool"), this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);

    m_lblVersion = new QLabel(this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblVersion->setText(versionText());

    m_lblDescription = new QLabel(QStringLiteral("Downloads punches from TQ80 and TQ90 terminals, enrols "
                                                 "fingerprints and exports attendance data."),
                                  this);
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_lblDescription->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_lblTitle);
    texts->addWidget(m_lblVersion);
    texts->addSpacing(8);
    texts->addWidget(m_lblDescription);
    texts->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(16);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    setFixedWidth(440);
}

QString AboutDialog::versionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(TQTOOL_VERSION_MAJOR)
        .arg(TQTOOL_VERSION_MINOR)
        .arg(TQTOOL_VERSION_PATCH);
}
