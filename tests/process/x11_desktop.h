#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

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
    // Mapped override-redirect windows of pid (menus and other pop-ups).
    QList<quint32> shown_popups(qint64 pid);
    // The program's icons embedded in trayer's panel; pid 0 means any process.
    QList<quint32> tray_icons(qint64 pid = 0);
    // WM_DELETE_WINDOW, as a window manager sends for the close button.
    void close_window(quint32 window);
    // Where the window's pixels of this colour (0xRRGGBB) gather: their centre, in the
    // window's own coordinates; (-1, -1) for none.
    std::pair<int, int> centre_of_colour(quint32 window, quint32 rgb);

private:
    xcb_connection_t* connection = nullptr;
    quint32 root = 0;
};
