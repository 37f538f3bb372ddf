#pragma once
// The measured value and the ambient temperature over time, drawn from the
// readings the window's own poll brings in: it asks the device nothing.
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "calib/LiveReadings.h"

class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace orv::app::qt {

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kSpanMs = 10 * 60 * 1000;

    // unit gives the measured value's unit as the dialog shows it.
    TrendWindow(const calib::LiveReadings& live, std::function<QString()> unit, QWidget* parent = nullptr);

    // Redraws from the readings; the live readings call it on every change.
    void Refresh();
    void SetPaused(bool paused);
    void SetWholeRun(bool whole);

    // What the view covers now and what the labels say, for tests.
    std::pair<qint64, qint64> ShownRange() const;
    QString StatsText() const;
    QString StatusText() const;
    int CurveSegments() const;

    // "Record to CSV..." in the window, handled by the dialog's features.
    std::function<void()> onRecord;
    std::function<void()> onStopRecording;

private:
    QLineSeries* Curve(int index, bool ambient);

    const calib::LiveReadings& live_;
    std::function<QString()> unit_;
    QChart* chart_;
    QChartView* view_;
    QDateTimeAxis* timeAxis_;
    QValueAxis* measuredAxis_;
    QValueAxis* ambientAxis_;
    QLabel* stats_;
    QLabel* status_;
    QPushButton* pause_;
    QPushButton* whole_;
    QPushButton* record_;
    std::optional<qint64> pausedAt_;
    int segments_ = 0;
    std::vector<QLineSeries*> measuredCurves_;  // owned by the chart
    std::vector<QLineSeries*> ambientCurves_;
};

}  // namespace orv::app::qt
