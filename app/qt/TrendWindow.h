#pragma once
// The measured value, the ambient temperature and, when asked, the output
// current over time, from the readings the window's own poll brings in (it
// asks the device nothing) or from a recording opened from a file. What to
// show is worked out by the core's trend view; this window paints its scene
// and routes the mouse and its controls to it.
#include <QWidget>
#include <filesystem>
#include <functional>

#include "calib/LiveReadings.h"
#include "calib/TrendView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace orv::app::qt {

class TrendCanvas;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    // parent: the dialog, so that its modal run does not block this window.
    TrendWindow(const calib::LiveReadings& live, std::function<calib::DialogContext()> dialog, QWidget* parent);
    ~TrendWindow() override;

    // Redraws from the readings; the live readings call it on every change.
    void Refresh();
    void SetPaused(bool paused);

    // "Open Recording..." and "Save Image..." with the file given; an empty
    // result means it worked, else it is the message to show.
    QString OpenRecordingFrom(const QString& file);
    QString SaveImageTo(const QString& file);

    calib::TrendView& View() { return view_; }
    QWidget* Canvas() const;
    QPushButton* PauseButton() const { return pause_; }
    QPushButton* RecordButton() const { return record_; }
    QString StatsText() const;
    QString StatusText() const;

    // Asks for a file (empty: cancelled) and shows a message, as the dialog's features do.
    std::function<QString(QWidget* parent, bool save, const QString& caption, const QString& filter,
                           const QString& suffix)>
        askForFile;
    std::function<void(const QString&)> complain;
    // The record button, handled by the dialog's features.
    std::function<void()> onRecord;
    std::function<void()> onStopRecording;

private:
    void OpenRecording();
    void SaveImage();

    const calib::LiveReadings& live_;
    std::function<calib::DialogContext()> dialog_;
    calib::TrendView view_;
    std::filesystem::path shownFile_;
    TrendCanvas* canvas_;
    QComboBox* span_;
    QPushButton* pause_;
    QPushButton* follow_;
    QCheckBox* output_;
    QPushButton* open_;
    QPushButton* liveButton_;
    QPushButton* save_;
    QPushButton* record_;
    QLabel* stats_;
    QLabel* status_;
};

}  // namespace orv::app::qt
