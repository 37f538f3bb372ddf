// TEMPORARY placeholders so the core links while the configuration logic is
// being built. The configuration files replace these; this file is deleted then.
#include <stdexcept>
#include "app/core/CMyDlg.h"
namespace orv::app {
#define ORV_TODO throw std::logic_error(__func__)
WindowSettings::WindowSettings() {}
std::string& WindowSettings::Text(int) { ORV_TODO; }
const std::string& WindowSettings::Text(int) const { ORV_TODO; }
const std::array<int, 31> kBoundTextIds{};
void CMyDlg::CollectSettings() { ORV_TODO; }
void CMyDlg::ShowSettings() { ORV_TODO; }
int CMyDlg::CodeToTypeIndex(int, int) { ORV_TODO; }
int CMyDlg::TypeIndexToCode(int, int) { ORV_TODO; }
void CMyDlg::FillInputTypeList(int, int) { ORV_TODO; }
void CMyDlg::ApplyTypeRules(int, int) { ORV_TODO; }
void CMyDlg::ShowUnitLabels(int, int) { ORV_TODO; }
void CMyDlg::OnInputTypeChanged() { ORV_TODO; }
void CMyDlg::OnModelChanged() { ORV_TODO; }
void CMyDlg::DecodeParams(std::span<const std::uint8_t, config::kParamBlockSize>) { ORV_TODO; }
void CMyDlg::EncodeParams() { ORV_TODO; }
std::string CMyDlg::FormatRangeValue(double) const { ORV_TODO; }
void CMyDlg::WriteParamSlice(std::uint8_t, std::uint8_t) { ORV_TODO; }
void CMyDlg::OnLoadBuffer() { ORV_TODO; }
}  // namespace orv::app
