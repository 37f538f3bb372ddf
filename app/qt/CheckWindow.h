#pragma once
// The calibration check beside the dialog: the set-up form, the run's
// buttons, the current point with the reference to accept, the points table
// of both runs and the result. It shows what the core's check window model
// holds and hands every press and edit to it. Controls carry object names
// ("asFound", "accept", "reference", "table", ...) for tests to find them.
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/core/features/CheckWindowModel.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace orv::app::qt {

class CheckWindow : public QWidget {
    Q_OBJECT
public:
    // parent: the dialog, so that its modal run does not block this window.
    CheckWindow(CheckWindowModel& model, QWidget* parent);
    ~CheckWindow() override;

    // Shows the model again; its onChange calls this.
    void Refresh();
    // Room for the form, the point and both runs of five points at once.
    QSize sizeHint() const override { return {900, 820}; }

    // As the dialog's features ask for a file (empty: cancelled) and show a message.
    std::function<QString(QWidget* parent, bool save, const QString& caption, const QString& filter,
                           const QString& suffix)>
        askForFile;
    std::function<void(const QString&)> complain;

protected:
    // Closing ends a run in progress; the window and its record stay for the next opening.
    void closeEvent(QCloseEvent* event) override;

private:
    void Edited();
    void SaveRecord();
    void OpenRecord();
    void PrintCertificate();

    CheckWindowModel& model_;
    std::array<QLineEdit*, kFormFields> fields_{};
    QCheckBox* downwards_;
    QLabel* problems_;
    QPushButton* asFound_;
    QPushButton* asLeft_;
    QPushButton* newCheck_;
    QPushButton* open_;
    QPushButton* save_;
    QPushButton* certificate_;
    QLabel* heading_;
    QLabel* apply_;
    QLabel* measured_;
    QLabel* state_;
    QLabel* referenceLabel_;
    QLineEdit* reference_;
    QLineEdit* meter_;
    QPushButton* accept_;
    QPushButton* cutShort_;
    QPushButton* abort_;
    QLabel* device_;
    QTableWidget* table_;
    QLabel* result_;
    QLabel* notice_;
    std::uint64_t shownForm_ = 0;
    std::uint64_t shownPoint_ = 0;
    std::vector<CheckRow> shownRows_;
};

}  // namespace orv::app::qt
