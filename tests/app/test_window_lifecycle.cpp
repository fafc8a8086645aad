// The window's life in the tray: hidden start with no form built, show and hide, close, the
// settings loaded without touching the autostart entry.
#include "window_rig.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

QSystemTrayIcon* tray(const WindowRig& rig)
{
    return rig.window->findChild<QSystemTrayIcon*>();
}

QAction* menu_entry(const WindowRig& rig, int index)
{
    return tray(rig)->contextMenu()->actions().at(index);
}

} // namespace

class TestWindowLifecycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void starts_hidden_in_the_tray_without_a_form()
    {
        WindowRig rig;
        QVERIFY(!rig.window->isVisible());
        QVERIFY(tray(rig)->isVisible());
        QCOMPARE(tray(rig)->toolTip(), QStringLiteral("Brenvik Quadron"));
        const QImage icon = tray(rig)->icon().pixmap(128).toImage();
        const QImage drawn(QStringLiteral(":/images/sounds.png"));
        QCOMPARE(icon.size(), drawn.size());
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(icon.convertToFormat(premultiplied), drawn.convertToFormat(premultiplied));
        QCOMPARE(menu_entry(rig, 0)->text(), QStringLiteral("Показать"));
        QVERIFY(menu_entry(rig, 1)->isSeparator());
        QCOMPARE(menu_entry(rig, 2)->text(), QStringLiteral("Выход"));
        QVERIFY(rig.window->findChildren<QSlider*>().isEmpty());

        rig.connect_amplifier(); // the amplifier is served with no form at all
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        QVERIFY(rig.window->findChildren<QSlider*>().isEmpty());
        rig.show();
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Brenvik Quadron v.1.03"));
        QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
    }

    void the_first_entry_names_the_next_action()
    {
        WindowRig rig;
        QAction* entry = menu_entry(rig, 0);
        entry->trigger();
        QVERIFY(rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));
        rig.window->showMinimized();
        entry->trigger(); // a minimized window counts as visible: it is hidden
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));

        rig.window->message_arrived(QStringLiteral("rise up"));
        QVERIFY(!rig.window->isVisible());
        rig.window->message_arrived(QStringLiteral("Rise up!"));
        QVERIFY(rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));

        QVERIFY(!rig.window->close()); // the close button hides
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));

        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Context);
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!rig.window->isVisible());
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Trigger);
        QVERIFY(rig.window->isVisible());
        rig.window->showMinimized();
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Trigger);
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
        WindowRig rig(path);
        rig.show();
        auto* box = rig.find<QCheckBox>(QStringLiteral("autoload_checkBox"));
        QVERIFY(box->isChecked());
        QCOMPARE(rig.hot_keys->registrations.at(0).key, 0u);
        const QDir autostart(config.filePath(QStringLiteral("autostart")));
        QVERIFY(!autostart.exists());

        // A user's click does write the entry, and the choice is saved at once.
        box->setChecked(false);
        box->setChecked(true);
        QVERIFY(!autostart.isEmpty());
        box->setChecked(false);
        QVERIFY(autostart.isEmpty());
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("autoload")).toString(),
                 QStringLiteral("false"));
        box->setChecked(true);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("autoload")).toString(),
                 QStringLiteral("true"));
    }

    void the_lamp_says_why_it_is_red_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<int>("open_errno");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing plugged in") << false << 0 << false << QStringLiteral("не найден");
        QTest::newRow("not allowed") << true << EACCES << false << QStringLiteral("нет прав");
        QTest::newRow("cannot be opened") << true << EBUSY << false << QStringLiteral("не удалось");
        QTest::newRow("silent") << true << 0 << true << QStringLiteral("не отвечает");
        QTest::newRow("in step") << true << 0 << false << QStringLiteral("подключён");
    }
    void the_lamp_says_why_it_is_red()
    {
        QFETCH(bool, plugged);
        QFETCH(int, open_errno);
        QFETCH(bool, silent);
        QFETCH(QString, says);
        WindowRig rig;
        rig.amp->plugged = plugged;
        rig.amp->open_errno = open_errno;
        if (silent)
            rig.amp->silent = {55};
        rig.show();
        rig.connect_amplifier();
        QVERIFY2(rig.find<QLabel>(QStringLiteral("status_label"))->toolTip().contains(says),
                 qPrintable(rig.find<QLabel>(QStringLiteral("status_label"))->toolTip()));
    }
};

QTEST_MAIN(TestWindowLifecycle)
#include "test_window_lifecycle.moc"
