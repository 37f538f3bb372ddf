#pragma once
// The window menu's features beside the dialog: saved configurations, the
// live trend with its CSV recording, the device report and the certificate
// of a saved calibration check. They listen to
// what the dialog takes in and change nothing of what it does; unused, they
// leave the window and the line exactly as they are.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "app/core/features/CheckWindowModel.h"
#include "app/core/features/ConfigTransfer.h"
#include "app/core/features/ReadingsFeed.h"
#include "calib/LiveReadings.h"
#include "calib/TrendView.h"

class QAction;
class QWidget;

namespace orv::app::qt {

class CheckWindow;
class CMyDlgWindow;
class TrendWindow;

class DeviceFeatures : public QObject {
    Q_OBJECT
public:
    explicit DeviceFeatures(CMyDlgWindow& window);
    ~DeviceFeatures() override;

    // For the window menu, in order; a null entry stands for a separator.
    // Each carries its keyboard shortcut and is also an action of the window.
    QList<QAction*> MenuActions() const { return actions_; }

    // From the menu: ask for a file, then do it, and say what went wrong.
    void SaveConfiguration();
    void OpenConfiguration();
    void ShowTrend();
    // Starts a recording after asking for its file, or ends the one that runs.
    void RecordOrStop();
    void RecordCsv();
    void DeviceReport();
    // The calibration check beside the dialog; its set-up is read when it first opens.
    void ShowCheck();
    // Asks for a saved check record, then for the PDF to write its certificate to.
    void PrintCertificate();

    // The same with the file given; an empty result means it worked.
    QString SaveConfigurationTo(const QString& file);
    QString OpenConfigurationFrom(const QString& file);
    QString RecordCsvTo(const QString& file);
    QString WriteReportTo(const QString& file);

    TrendWindow* Trend() const;
    CheckWindow* Check() const;
    CheckWindowModel* CheckModel() const { return checkModel_.get(); }
    const calib::LiveReadings& Live() const { return *live_; }

private:
    QString AskForFile(QWidget* parent, bool save, const QString& caption, const QString& filter, const QString& suffix,
                       const QString& proposed = {});
    calib::DialogContext DialogNow() const;
    void Changed();
    void Complain(const QString& text);

    CMyDlgWindow& window_;
    LastBlockRead lastRead_;
    std::unique_ptr<calib::LiveReadings> live_;
    std::unique_ptr<ReadingsFeed> feed_;
    QPointer<TrendWindow> trend_;
    std::unique_ptr<CheckWindowModel> checkModel_;
    QPointer<CheckWindow> check_;
    QList<QAction*> actions_;
    QAction* record_ = nullptr;
};

}  // namespace orv::app::qt
