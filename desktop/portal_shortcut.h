#pragma once

#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QVariantMap>

// One element of the desktop portal's shortcut lists (D-Bus a(sa{sv})): a shortcut's name and
// its properties (description, preferred_trigger, trigger_description). Register both types
// with qDBusRegisterMetaType before use.
struct PortalShortcut
{
    QString name;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

inline QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.name << shortcut.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.name >> shortcut.properties;
    argument.endStructure();
    return argument;
}
