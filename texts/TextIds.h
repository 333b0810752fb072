// The ids of the program's own texts, one name per row of the text tables. Captions are named
// after the control they label; messages and questions after what they say.
#pragma once

namespace TextId {

inline constexpr int Title = 0;
inline constexpr int GroupBoxLanguage = 1;
inline constexpr int TS_MaschinenStatus = 2;
inline constexpr int GbInfo = 3;
inline constexpr int CapMaschTyp = 4;
inline constexpr int CapMaschNr = 5;
inline constexpr int CapVarianteTxt = 6;
inline constexpr int CapStartGarantie = 7;
inline constexpr int CapServiceIn = 8;
inline constexpr int CapZaehlerstand = 9;
inline constexpr int CapBetriebsstunden = 10;
inline constexpr int CapFehlermeldung = 11;
inline constexpr int CapDatum = 12;
inline constexpr int CapChipTemp = 13;
inline constexpr int CapAkkuSpannung = 14;
inline constexpr int CapRuecklaufzeit = 15;
inline constexpr int BtnSetDateTimeKunde = 16;
inline constexpr int BtnSetRlz = 17;
inline constexpr int GroupBoxArbeitskuve = 18;
inline constexpr int CapKommentar = 19;
inline constexpr int BtnSaveChart = 20;
inline constexpr int BtnPrintChart = 21;
inline constexpr int GroupBoxMessdaten = 22;
inline constexpr int CapChartIndex = 23;
inline constexpr int CapChartDatum = 24;
inline constexpr int CapChartBsMotor = 25;
inline constexpr int CapChartTemperatur = 26;
inline constexpr int CapChartAkkuspannung = 27;
inline constexpr int CapChartAbschaltdrehzahl = 28;
inline constexpr int CapChartErrorCode = 29;
inline constexpr int CapChartWarnCode = 30;
inline constexpr int CapChartAbschaltAw = 31;
inline constexpr int GroupBoxAwKurve = 32;
inline constexpr int CapAwKurveDatum = 33;
inline constexpr int CapAwKurveZaehler = 34;
inline constexpr int BtnZyklenAktualisieren = 35;
inline constexpr int TS_Service = 36;
inline constexpr int GbService = 37;
inline constexpr int BtnFwUpdate = 38;
inline constexpr int BtnFormatSD = 39;
inline constexpr int BtnKalRun = 40;
inline constexpr int BtnSetDateTimeHersteller = 41;
inline constexpr int BtnResetService = 42;
inline constexpr int BtnWriteParaSatz = 43;
// Also the question before the clock or the warranty start is set.
inline constexpr int CbWriteParaDateTime = 44;
inline constexpr int QuestionSetDateTime = 44;
inline constexpr int CbWriteParaDelData = 45;
inline constexpr int CbWriteParaDelSz = 46;
inline constexpr int CbWriteParaDelPz = 47;
inline constexpr int CbWriteParaDelGarantie = 48;
inline constexpr int CbWriteParaDelBsz = 49;
inline constexpr int GbHersteller = 50;
inline constexpr int BtnDeleteGarantie = 51;
inline constexpr int BtnResetBsMotor = 52;
inline constexpr int BtnSetPz = 53;
inline constexpr int BtnSetSn = 54;
inline constexpr int TS_KundenTagebuch = 55;
inline constexpr int BtnWriteKTB = 56;
inline constexpr int TS_ServiceTagebuch = 57;
inline constexpr int BtnWriteSTB = 58;
inline constexpr int TS_Info = 59;
inline constexpr int CapInfoPDF = 60;
inline constexpr int LblLink01 = 61;
inline constexpr int LblLink02 = 62;
inline constexpr int DateTimeDialogCaption = 63;
inline constexpr int DateTimeDialogDate = 64;
inline constexpr int DateTimeDialogTime = 65;
// Caption of both calibration dialogs and title of the calibration force input box.
inline constexpr int Calibration = 66;
inline constexpr int CalibrationRunInstruction = 67;
inline constexpr int FwUpdateCaption = 68;
// Followed by a blank and the file name in the automatic production mode.
inline constexpr int FwUpdateInstructionAutomatic = 69;
inline constexpr int FwUpdateInstructionInteractive = 70;
inline constexpr int FirmwareTransferred = 71;
inline constexpr int FirmwareNotTransferred = 72;
inline constexpr int QuestionFormatStore = 73;
inline constexpr int QuestionClearWarranty = 74;
inline constexpr int QuestionServiceCounter = 75;
inline constexpr int QuestionOperatingTime = 76;
inline constexpr int QuestionCycleCounter = 77;
inline constexpr int ServiceDue = 78;
inline constexpr int ClockNeedsWarranty = 79;
inline constexpr int UnknownLayout = 80;
inline constexpr int ParametersTransferred = 81;
inline constexpr int ParametersNotTransferred = 82;
inline constexpr int InvalidParameterSet = 83;
inline constexpr int SaveChartTitle = 84;
// Names of the error bits of the status and of a recorded cycle.
inline constexpr int ErrorRunningTime = 85;
inline constexpr int ErrorRedWorkArea = 86;
inline constexpr int ErrorUndervoltage = 87;
inline constexpr int ErrorHallSensor = 88;
inline constexpr int ErrorTempSensorInit = 89;
inline constexpr int ErrorOvercurrent = 90;
inline constexpr int ErrorUndertemperature = 91;
inline constexpr int ErrorOvertemperature = 92;
// Names of the warning bits.
inline constexpr int WarningYellowWorkArea = 93;
inline constexpr int WarningService = 94;
inline constexpr int WarningLowBattery = 95;
inline constexpr int Cancel = 96;
inline constexpr int TakeOver = 97;
inline constexpr int Update = 98;
inline constexpr int CalibrationPressureInstruction = 99;
inline constexpr int Start = 100;
inline constexpr int ForceGraph = 101;  // no operation looks it up
inline constexpr int CapChartSolldruck = 102;
inline constexpr int UltimateForce = 103;  // no operation looks it up
inline constexpr int ClinchToolTitle = 104;  // no operation looks it up
inline constexpr int DiaryTooLong = 105;

// Ids run from 0 to Count - 1.
inline constexpr int Count = 106;

}  // namespace TextId
