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

#include <algorithm>

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
    // Hidden in the tray at the start, with no form built even while the amplifier is served;
    // the menu's first entry shows and hides the window and names what it will do next.
    void lives_in_the_tray()
    {
        WindowRig rig;
        QVERIFY(!rig.window->isVisible());
        QVERIFY(tray(rig)->isVisible());
        QCOMPARE(tray(rig)->toolTip(), QStringLiteral("Brenvik Quadron"));
        const QImage icon = tray(rig)->icon().pixmap(128).toImage();
        const QImage drawn(QStringLiteral(":/images/sounds.png"));
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(icon.convertToFormat(premultiplied), drawn.convertToFormat(premultiplied));
        QAction* entry = menu_entry(rig, 0);
        QCOMPARE(entry->text(), QStringLiteral("Показать"));
        QVERIFY(menu_entry(rig, 1)->isSeparator());
        QCOMPARE(menu_entry(rig, 2)->text(), QStringLiteral("Выход"));
        rig.connect_amplifier();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        QVERIFY(rig.window->findChildren<QSlider*>().isEmpty());

        entry->trigger();
        QVERIFY(rig.window->isVisible());
        QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));
        rig.window->showMinimized();
        entry->trigger(); // a minimized window counts as visible: it is hidden
        QVERIFY(!rig.window->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));
        rig.show();
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
        file.write("[General]\nautoload=yes\n");
        file.close();
        WindowRig rig(path);
        rig.show();
        auto* box = rig.find<QCheckBox>(QStringLiteral("autoload_checkBox"));
        QVERIFY(box->isChecked());
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
        QTest::addColumn<int>("open_errno"); // -1: nothing plugged in
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing plugged in") << -1 << false << QStringLiteral("не найден");
        QTest::newRow("not allowed") << EACCES << false << QStringLiteral("нет прав");
        QTest::newRow("cannot be opened") << EBUSY << false << QStringLiteral("не удалось");
        QTest::newRow("silent") << 0 << true << QStringLiteral("не отвечает");
        QTest::newRow("in step") << 0 << false << QStringLiteral("подключён");
    }
    void the_lamp_says_why_it_is_red()
    {
        QFETCH(int, open_errno);
        QFETCH(bool, silent);
        QFETCH(QString, says);
        WindowRig rig;
        rig.amp->plugged = open_errno >= 0;
        rig.amp->open_errno = std::max(open_errno, 0);
        if (silent)
            rig.amp->silent = {55};
        rig.show();
        rig.connect_amplifier();
        const QString tip = rig.find<QLabel>(QStringLiteral("status_label"))->toolTip();
        QVERIFY2(tip.contains(says), qPrintable(tip));
    }
};

QTEST_MAIN(TestWindowLifecycle)
#include "test_window_lifecycle.moc"
