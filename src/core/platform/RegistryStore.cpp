#include "core/platform/RegistryStore.h"

#include <QSettings>
#include <QStringList>

QString readRegistryValue(const QString& fullPath)
{
    QStringList parts = fullPath.split(u'\\', Qt::SkipEmptyParts);
    // hive, "SOFTWARE", organisation, application and at least the value's name
    if (parts.size() < 5 || parts[1].compare(QStringLiteral("SOFTWARE"), Qt::CaseInsensitive) != 0)
        return {};
    QSettings::Scope scope;
    const QString hive = parts[0].toUpper();
    if (hive == QStringLiteral("HKCU") || hive == QStringLiteral("HKEY_CURRENT_USER"))
        scope = QSettings::UserScope;
    else if (hive == QStringLiteral("HKLM") || hive == QStringLiteral("HKEY_LOCAL_MACHINE"))
        scope = QSettings::SystemScope;
    else
        return {};
    const QSettings store(QSettings::NativeFormat, scope, parts[2], parts[3]);
    if (store.status() != QSettings::NoError)
        return {};
    const QString key = parts.mid(4).join(u'/');
    const QVariant value = store.value(key);
    // An INI value with unquoted commas reads back as a list; the text is what was written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}
