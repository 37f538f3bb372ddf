// TEMPORARY placeholders so the core links while the request engine is being
// built. The engine's files replace these; this file is deleted then.
#include <stdexcept>
#include "app/core/CMyDlg.h"
namespace orv::app {
#define ORV_TODO throw std::logic_error(__func__)
void CMyDlg::OnInitDialog() { ORV_TODO; }
void CMyDlg::SendReadParams() { ORV_TODO; }
void CMyDlg::SendReadMeasure() { ORV_TODO; }
void CMyDlg::SendWriteParams(std::uint8_t, std::uint8_t) { ORV_TODO; }
void CMyDlg::SendCommand(std::uint8_t, std::uint16_t, std::uint16_t) { ORV_TODO; }
void CMyDlg::OnCommEvent() { ORV_TODO; }
void CMyDlg::OnTimer(int) { ORV_TODO; }
void CMyDlg::OpenSelectedPort() { ORV_TODO; }
std::uint8_t CMyDlg::CheckResponse() const { ORV_TODO; }
void CMyDlg::OnRestart() { ORV_TODO; }
void CMyDlg::OnRecFactory() { ORV_TODO; }
void CMyDlg::OnUploadParams() { ORV_TODO; }
}  // namespace orv::app
orv::protocol::MeasureBlock orv::protocol::DecodeMeasureBlock(std::span<const std::uint8_t, 18>) { throw std::logic_error(__func__); }
