#include "gui/platform/WidgetPrompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

WidgetPrompter::WidgetPrompter(QWidget* parent) : m_parent(parent) {}

Prompter::Answer WidgetPrompter::message(Icon icon, const QString& title, const QString& text,
                                         Buttons buttons)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

QString WidgetPrompter::askFileName(FileDialog kind, const QString& filter, const QString& title)
{
    const QString qtFilter = toQtFilter(filter);
    if (kind == FileDialog::Save)
        return QFileDialog::getSaveFileName(m_parent, title, QString(), qtFilter);
    return QFileDialog::getOpenFileName(m_parent, title, QString(), qtFilter);
}

QString WidgetPrompter::toQtFilter(const QString& barFilter)
{
    const QStringList parts = barFilter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains(u'('))
            description += QStringLiteral(" (%1)").arg(parts[i + 1]);
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}
