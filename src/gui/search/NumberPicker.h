#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PickerLists.h"

#include <QStringList>
#include <QWidget>

#include <functional>

struct AppContext;
class QListWidget;
class QPushButton;

// What the employee and terminal pickers share: a list of numbers in which several entries can
// be selected at once, "ตกลง" handing the selected numbers on in list order joined by ",", and
// "ยกเลิก" closing without changing anything. Either button closes the picker.
class NumberPicker : public QWidget
{
    Q_OBJECT

public:
    using Lister = std::function<Expected<QList<PickerEntry>>()>;

    // Fills the list from the lister. A failure is shown to the operator with its reason and
    // leaves the list empty. Returns false then.
    bool load(const Lister& lister);

    const QStringList& numbers() const { return m_numbers; }

Q_SIGNALS:
    // "ตกลง" with at least one entry selected: the numbers, in list order, joined by ",".
    void numbersChosen(const QString& numbers);

protected:
    NumberPicker(AppContext& context, const QString& listName, const QString& title, QWidget* parent);

    // Called on "ตกลง" with the selected rows in list order, before numbersChosen.
    virtual void rowsChosen(const QList<int>& rows);
    // Called after the list has been filled (empty on failure).
    virtual void listed(const QStringList& numbers);
    QListWidget& list() { return *m_list; }

private:
    void cmdOK_Click();
    void closeWindow();

    AppContext& m_context;
    QListWidget* m_list;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QStringList m_numbers;
};
