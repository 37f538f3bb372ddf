#pragma once
// Control, timer and resource ids of the main dialog.

namespace orv::app::id {

inline constexpr int Exit = 1;
inline constexpr int Comm = 1000;

// Main settings
inline constexpr int RangeZero = 1002;
inline constexpr int RangeFull = 1003;
inline constexpr int HiddenEdit = 1004;
inline constexpr int InputType = 1005;
inline constexpr int CjcInternal = 1006;
inline constexpr int CjcExternal = 1007;
inline constexpr int Wire2 = 1008;
inline constexpr int Wire3 = 1009;
inline constexpr int Wire4 = 1010;
inline constexpr int BreakLow = 1011;
inline constexpr int BreakHigh = 1012;
inline constexpr int OutputNormal = 1045;   // "4mA - 20mA"
inline constexpr int OutputReverse = 1046;  // "20mA - 4mA"
inline constexpr int Offset = 1047;
inline constexpr int Damping = 1088;
inline constexpr int PortList = 1064;
inline constexpr int ModelList = 1077;

// Unit labels
inline constexpr int UnitZero = 1083;
inline constexpr int UnitFull = 1084;
inline constexpr int UnitOffset = 1085;
inline constexpr int UnitAmbient = 1089;
inline constexpr int UnitMeasured = 1090;

// Live values
inline constexpr int AmbientValue = 1024;
inline constexpr int MeasuredValue = 1025;
inline constexpr int Rv0 = 1026;  // RV0..RV4 are 1026..1030
inline constexpr int Rv4 = 1030;

// Calibration values and references
inline constexpr int RefResistance = 1013;
inline constexpr int ResistanceCal = 1015;
inline constexpr int MillivoltCal = 1017;
inline constexpr int AmbientCal = 1018;
inline constexpr int Out1ZeroTrim = 1019;
inline constexpr int Out1FullTrim = 1020;
inline constexpr int RefTemperature = 1049;
inline constexpr int Out1ZeroSim = 1062;
inline constexpr int Out1FullSim = 1063;
inline constexpr int Out2ZeroSim = 1065;
inline constexpr int Out2ZeroTrim = 1066;
inline constexpr int Out2FullSim = 1068;
inline constexpr int Out2FullTrim = 1069;
inline constexpr int VoltageCal = 1071;
inline constexpr int CurrentCal = 1074;

// Buttons
inline constexpr int UploadParams = 1021;
inline constexpr int UpdateAllSettings = 1022;  // hidden: whole block
inline constexpr int Connection = 1023;
inline constexpr int AutoUpload = 1031;
inline constexpr int StopUpload = 1032;
inline constexpr int ViewResistance = 1033;
inline constexpr int UpdateResistance = 1035;
inline constexpr int ViewMillivolt = 1036;
inline constexpr int UpdateMillivolt = 1037;
inline constexpr int UpdateAmbient = 1038;
inline constexpr int UpdateOut1Zero = 1039;
inline constexpr int UpdateOut1Full = 1040;
inline constexpr int FollowMeasurement = 1041;
inline constexpr int SetState = 1042;
inline constexpr int SimulateZero = 1043;
inline constexpr int SimulateFull = 1044;
inline constexpr int RecFactory = 1048;
inline constexpr int ViewAmbient = 1050;
inline constexpr int UpdateModel = 1051;
inline constexpr int UpdateInputType = 1052;
inline constexpr int UpdateCjc = 1053;
inline constexpr int UpdateWiring = 1054;
inline constexpr int UpdateZero = 1055;
inline constexpr int UpdateFull = 1056;
inline constexpr int UpdateOffset = 1057;
inline constexpr int UpdateDamping = 1058;
inline constexpr int UpdateBreakAlarm = 1059;
inline constexpr int UpdateOutputDirection = 1060;
inline constexpr int Restart = 1061;
inline constexpr int UpdateOut2Zero = 1067;
inline constexpr int UpdateOut2Full = 1070;
inline constexpr int ViewVoltage = 1072;
inline constexpr int UpdateVoltage = 1073;
inline constexpr int ViewCurrent = 1075;
inline constexpr int UpdateCurrent = 1076;
inline constexpr int PresetCurrent = 1078;
inline constexpr int TrimDefaults = 1079;
inline constexpr int PresetResistance = 1080;
inline constexpr int PresetThermocouple = 1081;
inline constexpr int PresetVoltage = 1082;
inline constexpr int LoadBuffer = 1092;
inline constexpr int UpdateAll = 1093;

// Window timers
inline constexpr int TimerReadParams = 3;
inline constexpr int TimerPoll = 4;
inline constexpr int TimerWrite = 16;
inline constexpr int TimerCommand = 17;
inline constexpr int TimerViewBase = 40;  // 41..45 for the calibration view steps

// Resources
inline constexpr int AboutDialog = 100;
inline constexpr int StrAboutItem = 101;
inline constexpr int MainDialog = 102;
inline constexpr int AppIcon = 128;
inline constexpr int SysCmdAbout = 16;

}  // namespace orv::app::id
