// The window's life in the tray: hidden start, show and hide, close, "Выход", the settings
// file written at the end.
#include "widget_rig.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

QAction* menu_entry(const WidgetRig& rig, int index)
{
    auto* tray = rig.window->findChild<QSystemTrayIcon*>();
    return tray->contextMenu()->actions().at(index);
}

} // namespace

class TestWindowLifecycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void starts_hidden_in_the_tray()
    {
        WidgetRig rig;
        QVERIFY(!rig.window->isVisible());
        auto* tray = rig.window->findChild<QSystemTrayIcon*>();
        QVERIFY(tray && tray->isVisible());
        QCOMPARE(tray->toolTip(), QStringLiteral("Brenvik Quadron"));
        QVERIFY(!tray->icon().isNull());
        QCOMPARE(menu_entry(rig, 0)->text(), QStringLiteral("Показать"));
        QVERIFY(menu_entry(rig, 1)->isSeparator());
        QCOMPARE(menu_entry(rig, 2)->text(), QStringLiteral("Выход"));
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Brenvik Quadron v.1.03"));
        QVERIFY(!(rig.window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
    }

    void the_first_entry_names_the_next_action()
    {
        WidgetRig rig;
        QAction* entry = menu_entry(rig, 0);
        entry->trigger();
        QVERIFY(rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));
        rig.window->showMinimized();
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));
        entry->trigger(); // a minimized window counts as visible: it is hidden
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));

        QMetaObject::invokeMethod(rig.window.get(), "message_arrived",
                                  Q_ARG(QString, QStringLiteral("rise up")));
        QVERIFY(!rig.window->isVisible());
        rig.window->message_arrived(QStringLiteral("Rise up!"));
        QVERIFY(rig.window->isVisible());
        QVERIFY(!rig.window->isMinimized());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));

        QVERIFY(!rig.window->close()); // the close button hides
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));
    }

    void a_tray_click_shows_and_restores()
    {
        WidgetRig rig;
        auto* tray = rig.window->findChild<QSystemTrayIcon*>();
        Q_EMIT tray->activated(QSystemTrayIcon::Context);
        Q_EMIT tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!rig.window->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(rig.window->isVisible());
        rig.window->showMinimized();
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(!rig.window->isMinimized());
    }

    void loading_the_settings_does_not_touch_autostart()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString path = config.filePath(QStringLiteral("config.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nautoload=yes\n[HotKeys]\nvolume_up_global_hot_key=0x42\n");
        file.close();
        WidgetRig rig(path);
        QVERIFY(rig.check_box("autoload_checkBox")->isChecked());
        QCOMPARE(rig.hot_keys->registrations.at(0).key, 0u);
        QVERIFY(!QDir(config.filePath(QStringLiteral("autostart"))).exists());

        // A user's click does write the entry.
        rig.check_box("autoload_checkBox")->setChecked(false);
        rig.check_box("autoload_checkBox")->setChecked(true);
        QVERIFY(!QDir(config.filePath(QStringLiteral("autostart"))).isEmpty());
        rig.check_box("autoload_checkBox")->setChecked(false);
        QVERIFY(QDir(config.filePath(QStringLiteral("autostart"))).isEmpty());
    }
};

QTEST_MAIN(TestWindowLifecycle)
#include "test_window_lifecycle.moc"
