#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

struct xcb_connection_t;

// What an X display shows of the program: its top-level windows, its icon in trayer's panel,
// and the close request a window manager would send.
class X11Desktop
{
public:
    // display_name empty: the one in DISPLAY.
    explicit X11Desktop(const QByteArray& display_name = {});
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;
    ~X11Desktop();

    bool is_connected() const { return connection != nullptr; }
    bool has_tray_host();

    // Mapped top-level windows titled exactly title; pid 0 means any process.
    QList<quint32> shown_windows(const QString& title, qint64 pid = 0);
    // Top-level windows titled exactly title, mapped or not.
    QList<quint32> all_windows(const QString& title, qint64 pid = 0);
    // Mapped override-redirect windows of pid (menus and other pop-ups).
    QList<quint32> shown_popups(qint64 pid);
    // The program's icons embedded in trayer's panel.
    QList<quint32> tray_icons(qint64 pid = 0);

    QSize size(quint32 window);

    // WM_DELETE_WINDOW, as a window manager sends for the close button.
    void close_window(quint32 window);

private:
    QList<quint32> children(quint32 window);
    QByteArray property(quint32 window, quint32 atom);
    QString title(quint32 window);
    QByteArray window_class(quint32 window);
    QByteArray instance_name(quint32 window);
    qint64 pid(quint32 window);
    bool is_shown(quint32 window, bool* override_redirect = nullptr);
    QList<quint32> panels();
    void collect_icons(quint32 window, qint64 pid, QList<quint32>& icons);
    QList<quint32> top_level_windows(const QString& title, qint64 pid, bool shown_only);
    quint32 atom(const char* name);

    xcb_connection_t* connection = nullptr;
    quint32 root = 0;
};
