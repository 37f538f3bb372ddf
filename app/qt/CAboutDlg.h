#pragma once
// The about box (template 100): the icon, the program's name and version, OK.
#include <QDialog>

namespace orv::app::qt {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace orv::app::qt
