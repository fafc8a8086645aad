#pragma once

#include "response_curve.h"

#include <QPointF>
#include <QWidget>

class QLabel;
class QuadronCore;
struct AmpSetting;

// The equalizer's nominal response, drawn from the shown settings on a logarithmic axis from
// 20 Hz to 20 kHz: each band faint, their sum bold, the subwoofer's low-pass dashed. Each band
// has a handle at its centre frequency and gain: dragging it moves both, snapped to what the
// amplifier offers, and hands them over as one edit when it is let go; the wheel steps the
// nearest band's quality factor.
class ResponsePlot : public QWidget
{
    Q_OBJECT
public:
    enum class Handle { bass, middle, treble, none };

    explicit ResponsePlot(QuadronCore& core, QWidget* parent = nullptr);

    // Where a frequency and a gain are drawn, in the plot's own pixels.
    QPointF position_of(double hz, double db) const;
    // A band's handle, at its shown values (or where a drag has it).
    QPointF handle_position(Handle handle) const;
    // A handle is drawn this large and can be taken from twice as far: a finger's width on a
    // car computer's 800x480 screen.
    static constexpr int handle_radius = 13;
    static constexpr int grab_radius = 28;
    static constexpr double top_db = 18;

    QSize sizeHint() const override { return {720, 360}; }
    QSize minimumSizeHint() const override { return {400, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct BandSettings
    {
        const AmpSetting* gain;
        const AmpSetting* centre;
        const AmpSetting* quality; // none for the shelf
    };
    const BandSettings& band_settings(Handle handle) const;
    // The shown value of a setting, or the dragged one.
    int value_of(const AmpSetting* setting) const;
    response_curve::ToneSection section() const;
    QRectF plot_area() const;
    double hz_at(double x) const;
    double db_at(double y) const;
    Handle handle_at(const QPointF& point, double within) const;
    bool editable() const;
    void drag_to(const QPointF& point);

    QuadronCore& core;
    BandSettings bands[3];
    Handle dragged = Handle::none;
    int dragged_gain = 0;
    int dragged_centre = 0;
};

// The window around the plot, built the first time it is opened.
class ResponseWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ResponseWindow(QuadronCore& core, const QIcon& icon);
    ResponsePlot* plot() const { return response_plot; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    QLabel* note = nullptr;
    ResponsePlot* response_plot = nullptr;
};
