// TEMPORARY placeholders so the core links while measurement and calibration
// are being built. Their files replace these; this file is deleted then.
#include <stdexcept>
#include "app/core/CMyDlg.h"
namespace orv::app {
#define ORV_TODO throw std::logic_error(__func__)
void CMyDlg::OnAutoUpload() { ORV_TODO; }
void CMyDlg::OnStopUpload() { ORV_TODO; }
void CMyDlg::PollTick() { ORV_TODO; }
void CMyDlg::ShowMeasurement() { ORV_TODO; }
void CMyDlg::DisableUpdateControls() { ORV_TODO; }
void CMyDlg::EnableUpdateControls() { ORV_TODO; }
void CMyDlg::StartCalibrationView(int) { ORV_TODO; }
void CMyDlg::ApplyCalibrationView(int) { ORV_TODO; }
void CMyDlg::PresetVoltageCalibration() { ORV_TODO; }
void CMyDlg::PresetCurrentCalibration() { ORV_TODO; }
void CMyDlg::PresetResistanceCalibration() { ORV_TODO; }
void CMyDlg::PresetThermocoupleCalibration() { ORV_TODO; }
void CMyDlg::SimulateZeroOutput() { ORV_TODO; }
void CMyDlg::SimulateFullOutput() { ORV_TODO; }
void CMyDlg::FollowMeasurement() { ORV_TODO; }
void CMyDlg::LoadTrimDefaults() { ORV_TODO; }
void CMyDlg::EnableFactoryPanel() { ORV_TODO; }
}  // namespace orv::app
