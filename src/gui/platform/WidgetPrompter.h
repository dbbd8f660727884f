#pragma once

#include "core/platform/Prompter.h"

#include <QPointer>
#include <QWidget>

// Shows real message boxes and file dialogs, parented to the given window.
class WidgetPrompter final : public Prompter
{
public:
    explicit WidgetPrompter(QWidget* parent = nullptr);
    // The window the dialogs belong to (the main window, once it exists).
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer message(Icon icon, const QString& title, const QString& text,
                   Buttons buttons = Buttons::Ok) override;
    QString askFileName(FileDialog kind, const QString& filter, const QString& title = {}) override;

    // "Text Files (*.Txt)|*.Txt|All Files (*.*)|*.*" -> "Text Files (*.Txt);;All Files (*.*)"
    static QString toQtFilter(const QString& barFilter);

private:
    QPointer<QWidget> m_parent;
};
